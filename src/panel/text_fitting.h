// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "panel/panel_elements.h"

/// How large a text is drawn in its element's place and where: the layout's scaled font size,
/// smaller only when the text would not fit, one size for captions of one kind, the room kept
/// free beside it and its alignment. Plain rules; the view measures.
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

/// Pixels of a font size in points on the panel, whose pixels are a 96th of an inch.
int PointsToPixels(double points);

/// Pixels a text keeps free on each side of element e's place when its font is fitted: 4 in a
/// lamp; 1 in a field without a fill (a caption keeps to its own width); in a filled field a
/// tenth of the wanted pixel size, at least 2, so that figures in adjacent fields (three tyre
/// temperatures of three digits each) never run together, whatever the window's size.
int TextMargin(Element e, int wantedPixels);

enum class TextAlign : std::uint8_t { Left, Centre };

/// Where text field e's text lies across its place: centred in a filled field, from the left in
/// one without a fill, which is read as a caption. From top to bottom it is always centred.
/// (Lamps and gauges centre their texts.)
TextAlign TextAlignment(Element e);

/// The elements whose texts are drawn at one size, so that captions of one kind look alike in
/// every language: the water and oil captions (Label19, Label20), and the lap captions
/// (Label29, Label31, Label33). Each is drawn at the smallest of the sizes their texts fit at.
/// Empty for every other element.
std::span<const Element> SameSizeGroup(Element e);

}  // namespace kerbview::panel
