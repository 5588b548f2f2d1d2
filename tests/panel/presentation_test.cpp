// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/colours.h"
#include "core/number_rules.h"
#include "panel/presentation_sections.h"
#include "presentation_rig.h"

namespace kerbview::panel {
namespace {

using test::Rig;
using test::TypicalSnapshot;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Presentation, LapTimeTextInBothLocalesCarriesARoundedUpFraction) {
    struct Case {
        float t;
        char sep;
        const char* want;
    } cases[] = {
        {59.9f, '.', "0:59.900"},   {60.0f, '.', "1:00.000"},    {3725.5f, '.', "62:05.500"},
        {83.456f, '.', "1:23.456"}, {83.456f, ',', "1:23,456"},  {5.2f, '.', "0:05.200"},
        {5.2f, ',', "0:05,200"},    {0.0f, '.', "-:--,---"},     {-3.0f, '.', "-:--,---"},
        {kNaN, '.', "-:--,---"},    {59.9996f, '.', "1:00.000"}, {119.9996f, ',', "2:00,000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sections::LapTimeText(c.t, c.sep), c.want) << c.t << " sep " << c.sep;
    }
    EXPECT_THROW(sections::LapTimeText(std::numeric_limits<float>::infinity(), '.'),
                 core::NumberError);

    Rig r;
    auto s = TypicalSnapshot();
    s.BestLap = 0;
    r.Present(s);
    EXPECT_EQ(r.Text(LabelN(22)), "Best: -:--,---");
    EXPECT_EQ(r.Text(LabelN(23)), "Last: 1:24.100");
}

TEST(Presentation, ReadoutsRoundHalfToEvenAndFollowTheLocale) {
    Rig r;
    r.sep = ',';
    auto s = TypicalSnapshot();
    s.WaterTemp = 84.5f;
    s.OilTemp = 85.5f;
    s.Fuel = 0.5f;
    r.Present(s);
    EXPECT_EQ(r.Text(LabelN(17)), "84");
    EXPECT_EQ(r.Text(LabelN(18)), "86");
    EXPECT_EQ(r.Text(LabelN(16)), ",50L");
    EXPECT_EQ(r.Text(Lamp(3)), "Pos 3 - 12:Driver");
    EXPECT_EQ(r.Text(LabelN(24)), "190kPA");
    EXPECT_EQ(r.Text(LabelN(43)),
              "450\xBA"
              "C");
    EXPECT_EQ(r.Text(LabelN(37)) + " " + r.Text(LabelN(38)) + " " + r.Text(LabelN(39)),
              "0,0 80,0 0,0");
}

TEST(Presentation, EngineAndBarsAreClampedAndTheLampNeedsMoreThanOne) {
    struct Case {
        float engine, bar1, bar2;
        bool lamp;
        const char *rpm, *bar1Text, *bar2Text;
    } cases[] = {
        {1.0f, 150, -5, false, "10", "100", "0"},
        {1.01f, 50.4f, 0, true, "10", "50", "0"},
        {0.0f, 100, 99.5f, false, "0", "100", "100"},
        {2000, 0.5f, 1, true, "8694", "1", "1"},  // above the limit: 900 x 9.549 + 100
    };
    for (const Case& c : cases) {
        Rig r;
        auto s = TypicalSnapshot();
        s.EngineSpeed = c.engine;
        s.BarPercent1 = c.bar1;
        s.BarPercent2 = c.bar2;
        r.Present(s);
        EXPECT_EQ(r.panel[Lamp(7)].enabled, c.lamp) << c.engine;
        EXPECT_EQ(r.Text(Element::ProgressBar3), c.rpm) << c.engine;
        EXPECT_EQ(r.Text(LabelN(35)) + "/" + r.Text(LabelN(36)),
                  std::string(c.bar1Text) + "/" + c.bar2Text);
    }
}

TEST(Presentation, IgnitionOffStopsEarlyOnlyInNameSearchMode) {
    for (std::int16_t mode : {0, 1, 2}) {
        Rig r;
        r.settings.DebugEnabled = true;
        r.DriverSelectMode = mode;
        auto s = TypicalSnapshot();
        s.Contact = 0;
        s.EngineSpeed = 0;
        const PanelModel before = r.panel;
        const PresentEnd end = r.Present(s);
        EXPECT_EQ(end, mode == 0 ? PresentEnd::IgnitionOff : PresentEnd::Complete) << mode;
        EXPECT_FALSE(r.panel[Lamp(6)].enabled);
        EXPECT_EQ(r.Text(Element::ProgressBar3), "0");
        EXPECT_EQ(r.debug.label(6), "Contacte: 0");
        EXPECT_EQ(r.Text(LabelN(30)), mode == 0 ? before[LabelN(30)].text : "Car") << mode;
        EXPECT_EQ(r.debug.label(20).empty(), mode == 0) << mode;
        EXPECT_TRUE(r.presentation.Lap().LapReferencePending);
    }
}

TEST(Presentation, FuelReferenceFollowsIgnitionAndRefuelling) {
    Rig r;
    auto s = TypicalSnapshot();
    s.LapNumber = 3;
    s.Fuel = 10;
    r.Present(s);
    // Not pending at start: the first lap change compares with lap 0 and fuel 0.
    EXPECT_EQ(r.Text(LabelN(34)), "-10.00L");
    s.Contact = 0;
    r.Present(s);
    s.Contact = 1;
    s.Fuel = 60;
    r.Present(s);
    EXPECT_EQ(r.presentation.Lap().LapStartFuel, 60.0f);
    s.LapNumber = 4;
    s.Fuel = 57;
    r.Present(s);
    EXPECT_EQ(r.Text(LabelN(34)), "3.00L");
    // A refuel during a lap without switching off gives a negative figure.
    s.LapNumber = 5;
    s.Fuel = 106.5f;
    r.Present(s);
    EXPECT_EQ(r.Text(LabelN(34)), "-49.50L");
}

TEST(Presentation, AverageSpeedLeavesOutStillWheelsAndMarkersShowBelowNinetyPercent) {
    struct Case {
        std::array<double, 4> wheels;
        const char* speedText;
        double gaugeValue;
        bool shape1, shape2;
    } cases[] = {
        {{0, 0, 100, 100}, "100", 100, true, true},
        {{0, 100, 100, 100}, "100", 100, true, false},
        {{0, 0, 0, 0}, "0", 0.001, false, false},
        {{-20, -20, -20, -20}, "0", 0.001, false, false},
    };
    for (const Case& c : cases) {
        Rig r;
        auto s = TypicalSnapshot();
        s.WheelSpeed = c.wheels;
        r.Present(s);
        EXPECT_EQ(r.Text(Element::ProgressBar4), c.speedText);
        EXPECT_EQ(r.panel[Element::ProgressBar4].value, c.gaugeValue);
        EXPECT_EQ(r.panel[Marker(1)].visible, c.shape1) << c.wheels[0];
        EXPECT_EQ(r.panel[Marker(2)].visible, c.shape2) << c.wheels[0];
    }
    struct MarkerCase {
        double average;
        std::array<double, 4> wheels;
        std::array<bool, 4> shown;
    } markerCases[] = {
        {100, {89.9, 100, 120, 90}, {true, false, false, false}},
        {100, {90, 100, 100, 100}, {false, false, false, false}},
        {1.0, {0, 1, 1, 1}, {false, false, false, false}},
        {100, {kNaN, 50, 100, 100}, {false, true, false, false}},
        {kNaN, {0, 0, 0, 0}, {false, false, false, false}},
    };
    for (const MarkerCase& c : markerCases) {
        PanelModel panel;
        sections::WheelMarkers(panel, c.average, c.wheels);
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(panel[Marker(n)].visible, c.shown[n - 1]) << c.average;
    }
}

TEST(Presentation, ThresholdColoursAtMinMaxReversedBandAndNaN) {
    struct Case {
        std::int16_t min, max;
        float water;
        core::ColourNumber want;
    } cases[] = {
        {90, 100, 89.9f, core::ColorCold}, {90, 100, 90, core::ColorOk},
        {90, 100, 99.99f, core::ColorOk},  {90, 100, 100, core::ColorHot},
        {100, 90, 80, core::ColorCold},    {100, 90, 95, core::ColorHot},
        {100, 90, 120, core::ColorHot},    {90, 100, kNaN, core::ColorCold},
    };
    for (const Case& c : cases) {
        Rig r;
        r.settings.MinMotor = c.min;
        r.settings.MaxMotor = c.max;
        r.ApplyUnits();
        auto s = TypicalSnapshot();
        s.WaterTemp = c.water;
        s.TyreTemp[0] = 79.6f;
        // The read-outs cannot show a NaN, so the colouring section is checked on its own there.
        if (std::isnan(c.water)) {
            r.Present(TypicalSnapshot());  // green first, so teal must be written
            sections::LampsAndColours(r.panel, s, r.Context());
        } else {
            r.Present(s);
            EXPECT_EQ(r.Text(LabelN(2)), "80");
            EXPECT_EQ(r.panel[LabelN(2)].backColor, core::ColorCold);
        }
        EXPECT_EQ(r.panel[LabelN(17)].backColor, c.want)
            << c.min << ".." << c.max << " " << c.water;
    }
    Rig imperial("Imperial");
    auto s = TypicalSnapshot();
    s.TyrePressure[1] = 26.1f / 0.1451352418559f;
    s.TyreTemp[4] = 95;
    imperial.Present(s);
    EXPECT_EQ(imperial.panel[LabelN(25)].backColor, core::ColorOk);
    EXPECT_EQ(imperial.panel[LabelN(6)].backColor, core::ColorOk);
}

TEST(Presentation, LevelLampsIgnoreUnknownLevelsAndFlagsNeedExactlyOne) {
    Rig r;
    auto s = TypicalSnapshot();
    s.TcState = 2;
    s.AbsState = 1;
    s.PitLimiter = 1;
    r.Present(s);
    EXPECT_TRUE(r.panel[Lamp(1)].enabled);
    s.TcState = 3;
    s.AbsState = -1;
    s.PitLimiter = 2;
    s.InPits = 1;
    r.Present(s);
    EXPECT_TRUE(r.panel[Lamp(4)].enabled);
    EXPECT_EQ(r.Text(Lamp(4)), "TC HIGH");
    EXPECT_EQ(r.Text(Lamp(5)), "ABS LOW");
    EXPECT_FALSE(r.panel[Lamp(1)].enabled);
    EXPECT_TRUE(r.panel[Lamp(2)].enabled);
    s.TcState = 0;
    r.Present(s);
    EXPECT_FALSE(r.panel[Lamp(4)].enabled);
    EXPECT_EQ(r.Text(Lamp(4)), "TC");
}

TEST(Presentation, AirTemperaturesRoundHalfToEvenWithTwoDigits) {
    struct Case {
        float t;
        const char* want;
    } cases[] = {{21.6f,
                  "Amb: 22\xBA"
                  "C"},
                 {5,
                  "Amb: 05\xBA"
                  "C"},
                 {-3,
                  "Amb: -03\xBA"
                  "C"},
                 {0.5f,
                  "Amb: 00\xBA"
                  "C"},
                 {1.5f,
                  "Amb: 02\xBA"
                  "C"},
                 {123.4f,
                  "Amb: 123\xBA"
                  "C"}};
    for (const Case& c : cases) {
        Rig r;
        auto s = TypicalSnapshot();
        s.AmbientTemp = c.t;
        r.Present(s);
        EXPECT_EQ(r.Text(LabelN(41)), c.want);
        EXPECT_EQ(r.Text(LabelN(42)),
                  "Tr: 30\xBA"
                  "C");
    }
}

TEST(Presentation, GraphicsOffLeavesColoursMarkersAndGaugesButUpdatesTexts) {
    Rig r;
    r.settings.NoGrafics = true;
    const ElementState water = r.panel[LabelN(17)], shape = r.panel[Marker(1)],
                       bar = r.panel[Element::ProgressBar3];
    auto s = TypicalSnapshot();
    s.WheelSpeed = {100, 100, 100, 100};
    s.TcState = 1;
    r.Present(s);
    EXPECT_EQ(r.panel[LabelN(17)].backColor, water.backColor);
    EXPECT_EQ(r.panel[Marker(1)].visible, shape.visible);
    EXPECT_EQ(r.panel[Element::ProgressBar3].value, bar.value);
    EXPECT_EQ(r.panel[Element::ProgressBar3].maxvalue, bar.maxvalue);
    EXPECT_EQ(r.Text(Element::ProgressBar3), "5729");
    EXPECT_EQ(r.Text(LabelN(41)),
              "Amb: 22\xBA"
              "C");
    EXPECT_TRUE(r.panel[Lamp(4)].enabled);
}

TEST(Presentation, ScanTimeSurvivesATickCounterWrap) {
    Rig r;
    r.settings.DebugEnabled = true;
    r.ScanStartTick = 0xFFFFFFF0u;
    r.now = 0x10u;
    EXPECT_EQ(r.Present(TypicalSnapshot()), PresentEnd::Complete);
    EXPECT_EQ(r.debug.label(20), "32");
}

TEST(Presentation, ErrorPartWayKeepsEarlierElementsAndLeavesLaterOnes) {
    Rig r;
    r.settings.DebugEnabled = true;
    auto s = TypicalSnapshot();
    s.AmbientTemp = 1e9f;
    s.TcState = 2;
    s.WheelSpeed = {10, 100, 100, 100};
    const PanelModel before = r.panel;
    EXPECT_FALSE(r.PresentOrReport(s));
    EXPECT_EQ(r.reporter.ErrorProc(), "Lectures");
    EXPECT_EQ(r.Text(LabelN(28)), "Track");
    EXPECT_EQ(r.Text(Lamp(4)), "TC HIGH");
    for (Element e : {LabelN(41), LabelN(42), Marker(2)}) {
        EXPECT_EQ(r.panel[e].revision, before[e].revision) << static_cast<int>(e);
    }
    EXPECT_EQ(r.panel[LabelN(17)].backColor, before[LabelN(17)].backColor);
    EXPECT_EQ(r.panel[Element::ProgressBar3].maxvalue, before[Element::ProgressBar3].maxvalue);
    EXPECT_EQ(r.debug.label(20), "");
}

// Bad values in any field end in a report or a shown value, never in a crash.
TEST(Presentation, NonFiniteAndHugeValuesTakeTheErrorPathOrShow) {
    static constexpr float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        void (*spoil)(telemetry::Snapshot&);
        bool completes;
    } cases[] = {
        {"engine NaN", [](telemetry::Snapshot& s) { s.EngineSpeed = kNaN; }, false},
        {"engine huge", [](telemetry::Snapshot& s) { s.EngineSpeed = 3e38f; }, false},
        {"bar inf", [](telemetry::Snapshot& s) { s.BarPercent1 = inf; }, true},
        {"fuel NaN", [](telemetry::Snapshot& s) { s.Fuel = kNaN; }, false},
        {"fuel huge", [](telemetry::Snapshot& s) { s.Fuel = 3e38f; }, true},
        {"lap inf", [](telemetry::Snapshot& s) { s.LastLap = inf; }, false},
        {"tyre 40000", [](telemetry::Snapshot& s) { s.TyreTemp[5] = 40000; }, false},
        {"wheel NaN", [](telemetry::Snapshot& s) { s.WheelSpeed[2] = kNaN; }, false},
        {"ratio huge", [](telemetry::Snapshot& s) { s.TyreRatio[1] = 1e308; }, false},
        {"negative everything",
         [](telemetry::Snapshot& s) { s.Position = -1, s.Fuel = -5, s.Contact = -1; }, true},
    };
    for (const Case& c : cases) {
        Rig r("Imperial");
        r.DriverSelectMode = 1;
        auto s = TypicalSnapshot();
        c.spoil(s);
        EXPECT_EQ(r.PresentOrReport(s), c.completes) << c.name;
        EXPECT_EQ(r.reporter.ErrorProc(), c.completes ? "" : "Lectures") << c.name;
    }
}

}  // namespace
}  // namespace kerbview::panel
