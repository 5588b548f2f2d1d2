// SPDX-License-Identifier: MIT
#include "panel/window_placement.h"

#include <cmath>

namespace kerbview::panel {
namespace {

// nearbyint rounds halves to the even neighbour in the default rounding mode.
std::int64_t Scaled(std::int64_t pixels, double unitsPerPixel) {
    return static_cast<std::int64_t>(std::nearbyint(static_cast<double>(pixels) * unitsPerPixel));
}

}  // namespace

DesktopRect VirtualDesktopUnits(const DesktopRect& pixels, double unitsPerPixelX,
                                double unitsPerPixelY) {
    return DesktopRect{
        .left = Scaled(pixels.left, unitsPerPixelX),
        .top = Scaled(pixels.top, unitsPerPixelY),
        .width = Scaled(pixels.width, unitsPerPixelX),
        .height = Scaled(pixels.height, unitsPerPixelY),
    };
}

bool IsOffScreen(std::int64_t x, std::int64_t y, std::int64_t windowWidth,
                 std::int64_t windowHeight, const DesktopRect& desktop) {
    // Positions come from 32-bit settings and sizes from the screen, so 64-bit sums cannot wrap.
    return x + windowWidth > desktop.left + desktop.width || x < desktop.left || y < desktop.top ||
           y + windowHeight > desktop.top + desktop.height;
}

bool ResetOffScreenPosition(std::int32_t& PosFormX, std::int32_t& PosFormY,
                            std::int64_t windowWidth, std::int64_t windowHeight,
                            const DesktopRect& desktop) {
    if (!IsOffScreen(PosFormX, PosFormY, windowWidth, windowHeight, desktop)) {
        return false;
    }
    PosFormX = 0;
    PosFormY = 0;
    return true;
}

}  // namespace kerbview::panel
