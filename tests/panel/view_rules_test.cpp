// SPDX-License-Identifier: MIT
// The colour decoding and PanelModel::ChangedSince are checked through their users' tables: the
// feed encoder's (web_tests) and the Qt menus' (qt_tests).
#include "panel/view_rules.h"

#include <gtest/gtest.h>

#include <bitset>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "panel/text_fitting.h"

namespace kerbview::panel {
namespace {

std::size_t Index(Element e) { return static_cast<std::size_t>(e); }

TEST(ViewRules, BarFillNeverFailsOutsideTheRangeForNaNOrAnEmptyRange) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double cases[][4] = {{0, 100, 50, 0.5},     {0, 350, 400, 1},  {0, 100, -5, 0},
                               {0, 100, nan, 0},      {0, 0, 0, 0},      {100, 100, 200, 0},
                               {0, inf, 5, 0},        {0, 100, inf, 1},  {0, 10000, 0.001, 1e-7},
                               {-1e308, 1e308, 0, 0}, {100, 0, 25, 0.75}};
    for (const auto& [lo, hi, value, fill] : cases) {
        EXPECT_NEAR(BarFillFraction(lo, hi, value), fill, 1e-12) << lo << " " << hi << " " << value;
    }
}

// A lamp, a caption without a fill and a filled field at a few sizes; 15.75 points are 21 pixels.
TEST(ViewRules, TextsKeepTheirFieldsMarginAndAlignment) {
    const std::tuple<Element, int, int, TextAlign> fields[] = {
        {Element::Label19, 21, 1, TextAlign::Left},
        {Element::Label2, 13, 2, TextAlign::Centre},
        {Element::Label2, 25, 3, TextAlign::Centre},
        {Element::Label2, 44, 4, TextAlign::Centre}};
    for (const auto& [e, wanted, margin, align] : fields) {
        EXPECT_EQ(TextMargin(e, wanted), margin) << Info(e).name << " " << wanted;
        EXPECT_EQ(TextAlignment(e), align) << Info(e).name;
    }
    EXPECT_EQ(TextMargin(Lamp(1), 13), 4);
    EXPECT_EQ(PointsToPixels(15.75), 21);
}

// A filled field Label2 under the gauges Bar(1) and Bar(2) or the lamp Lamp(1), or a caption
// without a fill, Label19; every other element is elsewhere. Places in pixels.
TEST(ViewRules, AFrameSkipsWhatOpaqueElementsAboveCoverInTheRegion) {
    const Element f = Element::Label2, b1 = Bar(1), b2 = Bar(2);
    const PixelRect all{0, 0, 10, 10}, left{0, 0, 5, 10}, right{5, 0, 5, 10}, tall{0, 0, 10, 15};
    struct Case {
        const char* what;
        std::vector<std::pair<Element, PixelRect>> places;
        std::vector<PixelRect> damage;
        std::optional<Element> hidden;
        std::vector<Element> painted, opaque;
    };
    // clang-format off
    const Case cases[] = {
        {"a bar over all of it", {{f, all}, {b1, all}}, {all}, {}, {b1}, {b1}},
        {"a bar over half", {{f, all}, {b1, left}}, {all}, {}, {b1, f}, {b1, f}},
        {"the region only where the bar is", {{f, all}, {b1, left}}, {left}, {}, {b1}, {b1}},
        {"two bars over its halves", {{f, all}, {b1, left}, {b2, right}}, {all}, {}, {b2, b1}, {b2, b1}},
        {"a region reaching below the bars", {{f, tall}, {b1, left}, {b2, right}}, {all, {0, 10, 10, 5}}, {}, {b2, b1, f}, {b2, b1, f}},
        {"a lamp", {{f, all}, {Lamp(1), all}}, {all}, {}, {Lamp(1), f}, {f}},
        {"a caption without a fill", {{Element::Label19, all}}, {all}, {}, {Element::Label19}, {}},
        {"a hidden bar", {{f, all}, {b1, all}}, {all}, b1, {f}, {f}},
        {"outside the region", {{f, {20, 0, 5, 5}}}, {all}, {}, {}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        PanelModel model;
        if (c.hidden) model.SetVisible(*c.hidden, false);
        std::array<PixelRect, kElementCount> places{};
        for (const auto& [e, r] : c.places) places[Index(e)] = r;
        FramePlan plan;
        PlanFrame(model, places, c.damage, plan);
        EXPECT_EQ(plan.toPaint, c.painted) << c.what;
        // The places beneath which nothing is painted, told apart by left and height.
        const auto key = [](const PixelRect& r) { return r.left * 100 + r.height; };
        std::vector<int> covered, want;
        for (const PixelRect& r : plan.covered) covered.push_back(key(r));
        for (const Element e : c.opaque) want.push_back(key(places[Index(e)]));
        EXPECT_EQ(covered, want) << c.what;
    }
}

// Views redraw what changed, and every reading when the panel goes stale or fresh. A change is
// painted at once when the last frame is a refresh period old, otherwise when the period has
// passed; a screen that tells no rate counts as 60 Hz.
TEST(ViewRules, ViewsRedrawWhatChangedAndEveryReadingWhenItGoesStaleOrFreshAtTheScreensRate) {
    PanelModel model;
    const std::uint64_t seen = model.Revision();
    model.SetText(LabelN(15), "Conectado");  // a status text, not a reading
    std::bitset<kElementCount> expected;
    expected.set(Index(LabelN(15)));
    EXPECT_EQ(ElementsToRedraw(model, seen, false), expected);
    model.SetStale(true);
    for (const Element e : {LabelN(2), Lamp(4), Bar(3), Marker(1)}) expected.set(Index(e));
    const std::bitset<kElementCount> stale = ElementsToRedraw(model, seen, false);
    EXPECT_EQ(stale & expected, expected);
    EXPECT_FALSE(stale.test(Index(LabelN(19)))) << "a caption keeps its look";
    EXPECT_EQ(ElementsToRedraw(model, model.Revision(), true).count(), 0u);

    EXPECT_NEAR(FrameIntervalMs(144), 6.944, 0.001);
    EXPECT_NEAR(FrameIntervalMs(0), 16.667, 0.001);
    const std::pair<double, int> cases[] = {{0, 17}, {10.2, 7}, {16.6, 1}, {16.7, 0}, {1e9, 0}};
    for (const auto& [since, wait] : cases) EXPECT_EQ(FrameWaitMs(16.7, since), wait) << since;
}

}  // namespace
}  // namespace kerbview::panel
