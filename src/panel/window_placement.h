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

/// A window's top-left corner.
struct DesktopPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

/// Where a side window opens against the windows it belongs to.
enum class SidePlace {
    Centred,  ///< centred on them
    Beside,   ///< beside them, on the right or else on the left, tops level
};

/// The top-left corner of a side window's frame (its outer rectangle, decorations included) of
/// width x height, placed as place says against anchor (the frame of the main window, or of the
/// main window and the side windows it should not cover), gap apart when beside it, then moved
/// the least distance to lie wholly inside screen (the screen's area for windows). A side
/// window larger than screen gets its top-left corner, so that its title bar can be reached.
/// Any one unit (pixels here).
DesktopPoint SideWindowPosition(SidePlace place, const DesktopRect& anchor, std::int64_t width,
                                std::int64_t height, const DesktopRect& screen,
                                std::int64_t gap = 8);

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
