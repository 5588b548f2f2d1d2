// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include "frontends/win32/wic_pictures.h"
#include "panel/panel_elements.h"

/// The program's own built-in pictures, painted with GDI so they scale with their frame.
namespace kerbview::win32 {

/// A neutral racing car seen from above, nose up, filling frame. Its four tyres sit where the
/// wheel markers Shape1..Shape4 lie over Image1 in the initial layout.
void PaintCarTopView(HDC dc, const RECT& frame);

/// The Kerbview logo: the name over a red and white kerb stripe, filling frame.
void PaintLogo(HDC dc, const RECT& frame);

/// The built-in picture of e (the car for Image1, the logo for Picture1) alone on a width x
/// height DIB section, transparent where it draws nothing (premultiplied alpha); an empty Dib
/// for another element.
Dib BuiltinPicture(panel::Element e, int width, int height);

}  // namespace kerbview::win32
