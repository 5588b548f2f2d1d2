// SPDX-License-Identifier: MIT
#include "panel/layout_scaling.h"
#include "panel/element_catalogue.h"
#include "panel/text_fitting.h"
#include "panel/window_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace kerbview::panel {
namespace {

// Initial client area 9720 x 7935 inside an outer window of 9840 x 8700 (ratio 1.131...).
constexpr double kClientW = 9720, kClientH = 7935, kOuterW = 9840, kOuterH = 8700;

std::vector<RecordedGeometry> Collection() {
    return {
        {LayoutKind::Picture, 0, 0, 9720, 7555, 12},  // font of a picture: not kept
        {LayoutKind::Other, 1, 2, 3, 4, 8.25},        // menu, timer or list
        {LayoutKind::TextField, 4560, 120, 3615, 375, 14.25},
        {LayoutKind::Lamp, 1320, 7560, 975, 375, 9.75},
        {LayoutKind::BarGauge, 4680, 6840, 3495, 735, 9.75},
        {LayoutKind::WheelMarker, 5400, 1920, 375, 735, 5},  // font of a marker: not kept
    };
}

LayoutRecord Opened() { return RecordLayout(Collection(), kClientW, kClientH, kOuterW, kOuterH); }

std::map<std::size_t, ScaledGeometry> Scale(const LayoutRecord& r, double cw, double ch) {
    std::map<std::size_t, ScaledGeometry> out;
    ScaleElements(r, cw, ch, [&](std::size_t i, const ScaledGeometry& g) { out[i] = g; });
    return out;
}

// Below the minimum width (8000), or the height it gives, nothing moves.
TEST(LayoutScaling, OneSideDrivesTheOtherInWholePixelsWithinTheScreenAndNotBelowTheMinimum) {
    const OuterSize screen{1280 * 15, 1000 * 15};
    const double minHeight = std::ceil(8000 / (kOuterW / kOuterH));  // 7074
    struct Case {
        double w, h;
        std::optional<OuterSize> resizeTo;
        bool scale = true;
    };
    const Case cases[] = {
        {kOuterW, 10875, OuterSize{12300, 10875}},  // height alone drives the width
        {12345, kOuterH, OuterSize{12345, 10920}},  // wider: taller, 10914.97 to a whole pixel
        {8000, minHeight, OuterSize{8000, 7080}},
        // Past the screen: the largest size in the ratio that fits, sides down to whole pixels.
        {18000, kOuterH, OuterSize{16965, 14985}},
        {kOuterW, 16000, OuterSize{16965, 14985}},
        {kOuterW + 0.0002, kOuterH, std::nullopt},  // equal in single precision
        {kOuterW, kOuterH + 0.0002, std::nullopt},
        {7999, kOuterH, std::nullopt, false},
        {9000, minHeight - 1, std::nullopt, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        LayoutRecord r = Opened();
        const ResizeAction a = OnResize(r, WindowState::Normal, c.w, c.h, 15, screen);
        EXPECT_EQ(a.scale, c.scale);
        if (!c.scale) {
            EXPECT_EQ(r.LastWidth, kOuterW) << "moved below the minimum";
        }
        ASSERT_EQ(a.resizeTo.has_value(), c.resizeTo.has_value());
        if (!c.resizeTo) continue;
        EXPECT_EQ(a.resizeTo->width, c.resizeTo->width);
        EXPECT_EQ(a.resizeTo->height, c.resizeTo->height);
        const ResizeAction nested =
            OnResize(r, WindowState::Normal, c.resizeTo->width, c.resizeTo->height, 15, screen);
        EXPECT_TRUE(nested.scale);
        EXPECT_FALSE(nested.resizeTo.has_value());
    }
}

TEST(LayoutScaling, MaximizedScalesAxesApartFontsWithHeightAndMinimizedEmptyAreaScalesNothing) {
    LayoutRecord r = Opened();
    const ResizeAction max = OnResize(r, WindowState::Maximized, 28800, 16200, 15);
    EXPECT_TRUE(max.scale);
    EXPECT_FALSE(max.resizeTo.has_value());
    EXPECT_EQ(r.LastWidth, kOuterW);

    // Every recorded element scales with the client area, fonts with its height only.
    const auto g = Scale(r, 2 * kClientW, 1.25 * kClientH);
    ASSERT_EQ(g.size(), 5u);
    EXPECT_FALSE(g.contains(1));
    const ScaledGeometry& t = g.at(2);
    EXPECT_EQ((std::vector{t.left, t.top, t.width, t.height, t.fontSize.value()}),
              (std::vector{4560 * 2.0, 120 * 1.25, 3615 * 2.0, 375 * 1.25, 14.25 * 1.25}));
    EXPECT_DOUBLE_EQ(g.at(4).fontSize.value(), 9.75 * 1.25);
    EXPECT_FALSE(g.at(0).fontSize.has_value());
    EXPECT_FALSE(g.at(5).fontSize.has_value());

    const ResizeAction min = OnResize(r, WindowState::Minimized, 0, 0, 15);
    EXPECT_TRUE(min.scale);
    for (const auto& [w, h] : {std::pair{0.0, 0.0}, {kClientW, 0.0}, {0.0, kClientH}}) {
        EXPECT_TRUE(Scale(r, w, h).empty()) << w << "x" << h;
    }
}

TEST(LayoutScaling, CatalogueLaysOutAllButTheListInsideThePanelAndLongerCollectionsAreCut) {
    const std::vector<RecordedGeometry> collection = CatalogueGeometry();
    ASSERT_LE(collection.size(), kLayoutEntries);
    const LayoutRecord r = RecordLayout(collection, kClientW, kClientH, kOuterW, kOuterH);
    // 48 labels, 7 lamps, 4 gauges, 4 markers and 3 pictures.
    EXPECT_EQ(Scale(r, kClientW, kClientH).size(), 66u);
    std::size_t withFont = 0;
    for (std::size_t i = 0; i < kLayoutEntries; ++i) withFont += r.LayoutFontSize[i] > 0 ? 1 : 0;
    EXPECT_EQ(withFont, 59u);

    // A collection longer than the tables records its first 201 entries and scales only those.
    std::vector<RecordedGeometry> many(205, {LayoutKind::TextField, 1, 1, 1, 1, 1});
    const LayoutRecord big = RecordLayout(many, kClientW, kClientH, kOuterW, kOuterH);
    EXPECT_EQ(Scale(big, kClientW, kClientH).size(), kLayoutEntries);

    // Every place lies inside the panel; a wrong one shows up here, the names are the golden
    // panels' (app_tests).
    for (const ElementInfo& info : ElementCatalogue()) {
        if (info.element == Element::List1) {
            EXPECT_GE(info.left, kDesignClientWidth);  // placed beyond the right edge
            continue;
        }
        EXPECT_GE(info.left, 0) << info.name;
        EXPECT_GE(info.top, 0) << info.name;
        // Command1(7) as listed reaches one pixel past the right edge.
        EXPECT_LE(info.left + info.width, kDesignClientWidth + kTwipsPerPixel) << info.name;
        EXPECT_LE(info.top + info.height, kDesignClientHeight) << info.name;
        EXPECT_FALSE(info.role.empty()) << info.name;
    }
}

TEST(WindowPlacement, DesktopUnitsRoundHalfToEvenAndAnOffScreenPositionResetsBothCoordinates) {
    const DesktopRect half = VirtualDesktopUnits({1, 3, 5, 7}, 12.5, 12.5);  // from x.5
    EXPECT_EQ((std::vector{half.left, half.top, half.width, half.height}),
              (std::vector<std::int64_t>{12, 38, 62, 88}));
    constexpr std::int64_t kW = 9840, kH = 8700;
    const DesktopRect single = VirtualDesktopUnits({0, 0, 1920, 1080}, 15, 15);  // 28800 x 16200
    const DesktopRect leftNegative = VirtualDesktopUnits({-1920, 0, 3840, 1080}, 15, 15);
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    // What the case is, the desktop, the stored position, and whether it is reset.
    const std::tuple<const char*, DesktopRect, std::int32_t, std::int32_t, bool> cases[] = {
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
        {"smallest stored x", single, kMin, kMin, true}};
    for (const auto& [name, desktop, storedX, storedY, reset] : cases) {
        std::int32_t x = storedX, y = storedY;
        EXPECT_EQ(ResetOffScreenPosition(x, y, kW, kH, desktop), reset) << name;
        EXPECT_EQ(x, reset ? 0 : storedX) << name;
        EXPECT_EQ(y, reset ? 0 : storedY) << name;
    }
}

// The layout's size when the text fits; otherwise the largest size that does, never below 6,
// also where the width does not grow in step with the size (a fixed part, a line too tall).
TEST(TextFitting, LargestSizeFromTheWantedOneDownAtWhichTheTextFits) {
    struct Case {
        const char* what;
        int wanted, room;
        double perPixel, fixed;  // the text's width: perPixel x size + fixed
        int tallest;             // the largest size whose line fits the place's height
        int expected;
    };
    const Case cases[] = {
        {"fits as laid out", 21, 55, 1.38, 0, 99, 21},
        {"fits exactly", 21, 63, 3, 0, 99, 21},
        {"a pixel too wide", 21, 62, 3, 0, 99, 20},
        {"much too wide", 21, 55, 3.05, 0, 99, 18},
        {"a fixed part: the first guess is too large", 21, 55, 2, 20, 99, 17},
        {"a negative part: the first guess is too small", 21, 40, 3, -10, 99, 16},
        {"too tall", 21, 200, 1, 0, 16, 16},
        {"too wide at every size", 21, 55, 100, 0, 99, 6},
        {"wanted below the smallest", 4, 55, 1, 0, 99, 6},
    };
    for (const Case& c : cases) {
        const auto width = [&](int px) { return c.perPixel * px + c.fixed; };
        const auto fits = [&](int px) { return width(px) <= c.room && px <= c.tallest; };
        EXPECT_EQ(FittedPixelSize(c.wanted, c.room, width, fits), c.expected) << c.what;
    }
}

// Pixels; the screen's area for windows ends above a 30-pixel panel.
TEST(WindowPlacement, SideWindowsOpenBesideOrCentredAndWhollyOnTheScreen) {
    const DesktopRect screen{0, 0, 1920, 1050}, leftScreen{-1920, 0, 1920, 1050};
    const DesktopRect main{0, 0, 650, 570};
    struct Case {
        const char* name;
        SidePlace place;
        DesktopRect anchor, screen;
        std::int64_t width, height, x, y;
    };
    // clang-format off
    const Case cases[] = {
        {"beside, on the right", SidePlace::Beside, main, screen, 320, 170, 658, 0},
        {"beside, on the left when the right is full", SidePlace::Beside, {1200, 100, 650, 570}, screen, 320, 170, 872, 100},
        {"beside, overlapping when neither side has room", SidePlace::Beside, {100, 0, 1700, 900}, screen, 320, 170, 1600, 0},
        {"beside, pushed up from the bottom", SidePlace::Beside, {0, 700, 650, 340}, screen, 420, 510, 658, 540},
        {"beside, on a screen left of the primary", SidePlace::Beside, {-700, 0, 650, 570}, leftScreen, 320, 170, -1028, 0},
        {"centred", SidePlace::Centred, main, screen, 480, 201, 85, 185},
        {"centred, pushed up and left from the corner", SidePlace::Centred, {1270, 480, 650, 570}, screen, 800, 600, 1120, 450},
        {"larger than the screen: its top-left corner", SidePlace::Centred, main, screen, 2000, 1200, 0, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        const DesktopPoint at = SideWindowPosition(c.place, c.anchor, c.width, c.height, c.screen);
        EXPECT_EQ((std::vector{at.x, at.y}), (std::vector{c.x, c.y})) << c.name;
    }
}

}  // namespace
}  // namespace kerbview::panel
