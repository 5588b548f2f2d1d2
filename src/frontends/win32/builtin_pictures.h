// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

/// The program's own built-in pictures, painted with GDI so they scale with their frame.
namespace kerbview::win32 {

/// A neutral racing car seen from above, nose up, filling frame. Its four tyres sit where the
/// wheel markers Shape1..Shape4 lie over Image1 in the initial layout.
void PaintCarTopView(HDC dc, const RECT& frame);

/// The Kerbview logo: the name over a red and white kerb stripe, filling frame.
void PaintLogo(HDC dc, const RECT& frame);

}  // namespace kerbview::win32
