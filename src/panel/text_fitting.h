// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <span>

#include "panel/panel_elements.h"

/// How large a text is drawn in its element's place: the layout's scaled font size, smaller only
/// when the text would not fit, and one size for captions of one kind. Plain rules; the view
/// measures.
namespace kerbview::panel {

/// The smallest pixel size a fitted text is ever drawn at.
inline constexpr int kSmallestFittedPixels = 6;

/// The pixel size a text is drawn at: `wanted` (the layout's scaled size) when the text fits its
/// place there, otherwise the largest smaller size at which it fits, never below 6 (at 6 when
/// none fits). fits(size) says whether the text fits at a size; width(size), the text's width
/// against `room`, only guides the search, since a text's width grows about in step with its
/// size. Calls fits for the wanted size first and for few sizes in all.
int FittedPixelSize(int wanted, int room, const std::function<double(int)>& width,
                    const std::function<bool(int)>& fits);

/// The elements whose texts are drawn at one size, so that captions of one kind look alike in
/// every language: the water and oil captions (Label19, Label20), and the lap captions
/// (Label29, Label31, Label33). Each is drawn at the smallest of the sizes their texts fit at.
/// Empty for every other element.
std::span<const Element> SameSizeGroup(Element e);

}  // namespace kerbview::panel
