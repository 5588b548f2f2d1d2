// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kerbview::panel {

/// A rectangle of left, top, width and height.
struct DesktopRect {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

/// The bounding rectangle of all screens in position units: the pixel rectangle times the
/// units per pixel of each axis, each side rounded to a whole number (halves to even).
DesktopRect VirtualDesktopUnits(const DesktopRect& pixels, double unitsPerPixelX,
                                double unitsPerPixelY);

/// True when a window of the given size at x, y is not wholly inside the desktop. A window
/// exactly touching the right or bottom edge is inside. Cannot overflow for 32-bit inputs.
bool IsOffScreen(std::int64_t x, std::int64_t y, std::int64_t windowWidth,
                 std::int64_t windowHeight, const DesktopRect& desktop);

/// Moves a stored position that is off-screen to 0, 0 (both coordinates, whichever side was
/// out). Returns true when it did.
bool ResetOffScreenPosition(std::int32_t& PosFormX, std::int32_t& PosFormY,
                            std::int64_t windowWidth, std::int64_t windowHeight,
                            const DesktopRect& desktop);

}  // namespace kerbview::panel
