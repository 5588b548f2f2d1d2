// SPDX-License-Identifier: MIT
#include "panel/window_placement.h"

#include <gtest/gtest.h>

#include <limits>

namespace kerbview::panel {
namespace {

TEST(WindowPlacement, DesktopPixelsBecomeUnitsRoundedHalfToEven) {
    const DesktopRect twoScreens = VirtualDesktopUnits({-1920, -200, 3840, 1280}, 15, 15);
    EXPECT_EQ(twoScreens.left, -28800);
    EXPECT_EQ(twoScreens.top, -3000);
    EXPECT_EQ(twoScreens.width, 57600);
    EXPECT_EQ(twoScreens.height, 19200);

    const DesktopRect odd = VirtualDesktopUnits({1, 3, 5, 7}, 12.5, 12.5);
    EXPECT_EQ(odd.left, 12);    // 12.5
    EXPECT_EQ(odd.top, 38);     // 37.5
    EXPECT_EQ(odd.width, 62);   // 62.5
    EXPECT_EQ(odd.height, 88);  // 87.5
}

TEST(WindowPlacement, OffScreenPositionResetsBothCoordinates) {
    constexpr std::int64_t kW = 9840, kH = 8700;
    const DesktopRect single = VirtualDesktopUnits({0, 0, 1920, 1080}, 15, 15);  // 28800 x 16200
    const DesktopRect leftNegative = VirtualDesktopUnits({-1920, 0, 3840, 1080}, 15, 15);
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Case {
        const char* name;
        DesktopRect desktop;
        std::int32_t x, y;
        bool reset;
    };
    const Case cases[] = {
        {"left of a desktop starting at 0", single, -200, 300, true},
        {"right edge touching", single, 28800 - kW, 300, false},
        {"right edge one unit past", single, 28800 - kW + 1, 300, true},
        {"bottom edge touching", single, 300, 16200 - kH, false},
        {"bottom edge one unit past", single, 300, 16200 - kH + 1, true},
        {"above the top", single, 300, -1, true},
        {"top-left corner", single, 0, 0, false},
        {"inside a monitor at negative x", leftNegative, -15000, 450, false},
        {"left of a monitor at negative x", leftNegative, -28801, 450, true},
        {"largest stored x", single, kMax, kMax, true},
        {"smallest stored x", single, kMin, kMin, true},
    };
    for (const Case& c : cases) {
        std::int32_t x = c.x, y = c.y;
        EXPECT_EQ(ResetOffScreenPosition(x, y, kW, kH, c.desktop), c.reset) << c.name;
        EXPECT_EQ(x, c.reset ? 0 : c.x) << c.name;
        EXPECT_EQ(y, c.reset ? 0 : c.y) << c.name;
    }
}

}  // namespace
}  // namespace kerbview::panel
