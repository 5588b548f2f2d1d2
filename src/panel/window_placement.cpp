// SPDX-License-Identifier: MIT
#include "panel/window_placement.h"

#include <algorithm>
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

DesktopPoint SideWindowPosition(SidePlace place, const DesktopRect& anchor, std::int64_t width,
                                std::int64_t height, const DesktopRect& screen, std::int64_t gap) {
    const std::int64_t screenRight = screen.left + screen.width;
    DesktopPoint at;
    if (place == SidePlace::Centred) {
        at = {anchor.left + anchor.width / 2 - width / 2,
              anchor.top + anchor.height / 2 - height / 2};
    } else {
        at = {anchor.left + anchor.width + gap, anchor.top};
        const std::int64_t onTheLeft = anchor.left - gap - width;
        if (at.x + width > screenRight && onTheLeft >= screen.left) at.x = onTheLeft;
    }
    // Into the screen; the left and top edges win over the right and bottom ones.
    at.x = std::max(screen.left, std::min(at.x, screenRight - width));
    at.y = std::max(screen.top, std::min(at.y, screen.top + screen.height - height));
    return at;
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
