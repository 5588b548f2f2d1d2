// SPDX-License-Identifier: MIT
#include "panel/view_rules.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "panel/text_fitting.h"

namespace kerbview::panel {
namespace {

TEST(ViewRules, ColourNumbersDecodeToPartsSystemColoursOrNothing) {
    const std::pair<core::ColourNumber, std::vector<int>> cases[] = {
        {0x123456, {0, 0x56, 0x34, 0x12}}, {0xFFFFFF, {0, 255, 255, 255}},
        {kSystemWindowText, {1, 0, 0, 0}}, {kSystemHighlight, {2, 0, 0, 0}},
        {kNoFill, {3, 0, 0, 0}},           {0x80000005, {3, 0, 0, 0}},
    };
    for (const auto& [number, want] : cases) {
        const DecodedColour d = DecodeColour(number);
        EXPECT_EQ((std::vector<int>{static_cast<int>(d.kind), d.red, d.green, d.blue}), want)
            << std::hex << number;
    }
}

TEST(ViewRules, BarFillNeverFailsOutsideTheRangeForNaNOrAnEmptyRange) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double cases[][4] = {{0, 100, 50, 0.5},     {0, 350, 400, 1},  {0, 100, -5, 0},
                               {0, 100, nan, 0},      {0, 0, 0, 0},      {100, 100, 200, 0},
                               {0, inf, 5, 0},        {0, 100, inf, 1},  {0, 10000, 0.001, 1e-7},
                               {-1e308, 1e308, 0, 0}, {100, 0, 25, 0.75}};
    for (const auto& [min, max, value, fill] : cases) {
        EXPECT_NEAR(BarFillFraction(min, max, value), fill, 1e-12)
            << min << " " << max << " " << value;
    }
}

// Margins and alignment by the kind of field; the layout's 15.75 points are 21 pixels.
TEST(ViewRules, TextsKeepTheirFieldsMarginAndAlignment) {
    struct Case {
        Element e;
        int wanted, margin;
        TextAlign align;
    };
    const Case cases[] = {
        {Lamp(1), 13, 4, TextAlign::Centre},         {Element::Label19, 21, 1, TextAlign::Left},
        {Element::Label2, 13, 2, TextAlign::Centre}, {Element::Label2, 25, 3, TextAlign::Centre},
        {Element::Label2, 44, 4, TextAlign::Centre},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextMargin(c.e, c.wanted), c.margin) << Info(c.e).name << " " << c.wanted;
        if (Info(c.e).kind == ElementKind::TextField) {
            EXPECT_EQ(TextAlignment(c.e), c.align) << Info(c.e).name;
        }
    }
    EXPECT_EQ(PointsToPixels(15.75), 21);
    EXPECT_EQ(PointsToPixels(9.75), 13);
}

// A filled field Label2 lies under the gauges Bar(1) and Bar(2), the lamp Lamp(1) and a caption
// without a fill, Label19; every other element is elsewhere. Places in pixels.
TEST(ViewRules, AFrameSkipsWhatOpaqueElementsAboveCoverInTheRegion) {
    const Element field = Element::Label2, bar1 = Bar(1), bar2 = Bar(2);
    struct Case {
        const char* what;
        std::vector<std::pair<Element, PixelRect>> places;
        std::vector<PixelRect> damage;
        std::optional<Element> hidden;
        std::vector<Element> painted, opaque;
    };
    const PixelRect whole{0, 0, 10, 10}, left{0, 0, 5, 10}, right{5, 0, 5, 10};
    const Case cases[] = {
        {"a bar over all of it", {{field, whole}, {bar1, whole}}, {whole}, {}, {bar1}, {bar1}},
        {"a bar over half",
         {{field, whole}, {bar1, left}},
         {whole},
         {},
         {bar1, field},
         {bar1, field}},
        {"the region only where the bar is",
         {{field, whole}, {bar1, left}},
         {left},
         {},
         {bar1},
         {bar1}},
        {"two bars over its halves",
         {{field, whole}, {bar1, left}, {bar2, right}},
         {whole},
         {},
         {bar2, bar1},
         {bar2, bar1}},
        {"a region reaching below the bars",
         {{field, {0, 0, 10, 15}}, {bar1, left}, {bar2, right}},
         {whole, {0, 10, 10, 5}},
         {},
         {bar2, bar1, field},
         {bar2, bar1, field}},
        {"a lamp", {{field, whole}, {Lamp(1), whole}}, {whole}, {}, {Lamp(1), field}, {field}},
        {"a caption without a fill",
         {{Element::Label19, whole}},
         {whole},
         {},
         {Element::Label19},
         {}},
        {"a hidden bar", {{field, whole}, {bar1, whole}}, {whole}, bar1, {field}, {field}},
        {"outside the region", {{field, {20, 0, 5, 5}}}, {whole}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        PanelModel model;
        if (c.hidden) model.SetVisible(*c.hidden, false);
        std::array<PixelRect, kElementCount> places{};
        for (const auto& [e, r] : c.places) places[static_cast<std::size_t>(e)] = r;
        FramePlan plan;
        PlanFrame(model, places, c.damage, plan);
        EXPECT_EQ(plan.toPaint, c.painted) << c.what;
        std::vector<int> covered, want;
        for (const PixelRect& r : plan.covered) covered.insert(covered.end(), {r.left, r.width});
        for (const Element e : c.opaque) {
            const PixelRect& r = places[static_cast<std::size_t>(e)];
            want.insert(want.end(), {r.left, r.width});
        }
        EXPECT_EQ(covered, want) << c.what;
    }
}

// A change is painted at once when the last frame is a refresh period old, otherwise when the
// period has passed.
TEST(ViewRules, FramesComeNoFasterThanTheScreenRefreshes) {
    EXPECT_NEAR(FrameIntervalMs(60), 16.667, 0.001);
    EXPECT_NEAR(FrameIntervalMs(144), 6.944, 0.001);
    EXPECT_NEAR(FrameIntervalMs(0), 16.667, 0.001) << "a screen that tells no rate";
    const std::pair<double, int> cases[] = {{0, 17}, {10.2, 7}, {16.6, 1}, {16.7, 0}, {1e9, 0}};
    for (const auto& [since, wait] : cases) EXPECT_EQ(FrameWaitMs(16.7, since), wait) << since;
}

TEST(PanelModel, ChangedSinceNamesTheElementsAndMenusWrittenAfterARevision) {
    PanelModel model;
    const std::uint64_t start = model.Revision();
    model.SetText(Element::Label37, "1.0");
    model.SetMenuChecked(Menu::TS_150, true);
    const std::uint64_t middle = model.Revision();
    model.SetText(Element::Label37, "1.0");  // no change
    model.SetValue(Bar(3), 40);
    const PanelChanges all = model.ChangedSince(start), later = model.ChangedSince(middle);
    EXPECT_EQ(all.elements.count(), 2u);
    EXPECT_TRUE(all.elements[static_cast<std::size_t>(Element::Label37)]);
    EXPECT_TRUE(all.menus[static_cast<std::size_t>(Menu::TS_150)]);
    EXPECT_EQ(later.elements.count() + later.menus.count(), 1u);
    EXPECT_TRUE(later.elements[static_cast<std::size_t>(Bar(3))]);
    EXPECT_TRUE(model.ChangedSince(model.Revision()).elements.none());
}

}  // namespace
}  // namespace kerbview::panel
