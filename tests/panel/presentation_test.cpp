// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "core/number_rules.h"
#include "panel/presentation.h"
#include "panel/presentation_sections.h"

namespace kerbview::panel {
namespace {

// Expected texts write the masculine ordinal indicator (Windows-1252 byte 0xBA) as "\272".

using Snap = telemetry::Snapshot;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

/// A sane mid-race snapshot in metric units, ignition on.
Snap TypicalSnapshot() {
    Snap s;
    s.DriverName = "Driver", s.CarName = "Car", s.TrackName = "Track";
    s.OilTemp = 95, s.WaterTemp = 92, s.Position = 3, s.DriverSlot = 12;
    s.EngineSpeed = 600, s.EngineMaxSpeed = 900, s.Contact = 1, s.LapNumber = 3, s.Fuel = 45.3f;
    s.BestLap = 83.456f, s.LastLap = 84.1f, s.CentreReadout = 7;
    s.TyreTemp.fill(85), s.TyrePressure.fill(190), s.BrakeTemp.fill(450);
    s.WheelSpeed = {150, 151, 149, 150}, s.TyreRatio = {1.0, 0.75, 0.0, 0.9};
    s.BarPercent1 = 55, s.TrackTemp = 30, s.AmbientTemp = 21.6f;
    return s;
}

/// One Presentation with the settings, texts and display units it reads, and the snapshot s it
/// shows, typical until a test changes it.
struct Rig {
    PanelModel panel;
    DebugModel debug;
    core::Settings settings;
    ui::LanguageTexts texts;
    DisplayUnits units;
    Presentation presentation{panel, debug};
    std::int16_t DriverSelectMode = 0;
    char sep = '.';
    std::uint32_t ScanStartTick = 0, now = 0;
    Snap s = TypicalSnapshot();

    explicit Rig(std::string unitats = "Metric") {
        settings.Unitats = std::move(unitats);
        texts.TxtBest = "Best", texts.TxtLast = "Last";
        texts.TxtTc = "TC", texts.TxtTcLow = "TC LOW", texts.TxtTcHigh = "TC HIGH";
        texts.TxtAbs = "ABS", texts.TxtAbsLow = "ABS LOW", texts.TxtAbsHigh = "ABS HIGH";
        ApplyUnits();
    }
    Rig(const Rig&) = delete;  // the clock captures this

    void ApplyUnits() {
        SetUnitTexts(units, IsImperial(settings.Unitats));
        SetActiveThresholds(units, settings, IsImperial(settings.Unitats));
    }
    PresentEnd Present() {
        return presentation.Present(s, {settings, texts, units, DriverSelectMode, sep,
                                        ScanStartTick, [this] { return now; }});
    }
    /// Present with the caller's error boundary: false when the presentation threw.
    bool Completes() {
        try {
            Present();
            return true;
        } catch (const core::NumberError&) {
            return false;
        }
    }
    /// The texts of labels, each followed by "|".
    std::string Labels(std::initializer_list<int> numbers) const {
        std::string shown;
        for (int n : numbers) shown += panel[LabelN(n)].text + "|";
        return shown;
    }
    const std::string& Text(Element e) const { return panel[e].text; }
};

TEST(Presentation, LapTimeTextInBothLocalesCarriesARoundedUpFraction) {
    const std::tuple<float, char, const char*> cases[] = {
        {59.9f, '.', "0:59.900"},   {60.0f, '.', "1:00.000"},    {3725.5f, '.', "62:05.500"},
        {83.456f, ',', "1:23,456"}, {0.0f, '.', "-:--,---"},     {-3.0f, '.', "-:--,---"},
        {kNaN, '.', "-:--,---"},    {59.9996f, '.', "1:00.000"}, {119.9996f, ',', "2:00,000"}};
    for (const auto& [t, sep, want] : cases) EXPECT_EQ(sections::LapTimeText(t, sep), want) << t;
}

TEST(Presentation, ReadoutsRoundHalfToEvenUseTheLocaleSeparatorAndSurviveATickWrap) {
    Rig r;
    r.sep = ',';
    r.settings.DebugEnabled = true, r.ScanStartTick = 0xFFFFFFF0u, r.now = 0x10u;
    r.s.WaterTemp = 84.5f, r.s.OilTemp = 85.5f, r.s.Fuel = 0.5f, r.s.BestLap = 0;
    r.Present();
    EXPECT_EQ(r.Labels({17, 18, 16, 24, 43, 37, 38, 39, 22, 23}),
              "84|86|,50L|190kPA|450\272C|0,0|80,0|0,0|Best: -:--,---|Last: 1:24,100|");
    EXPECT_EQ(r.debug.Label(20), "32") << "the scan time across a tick counter wrap";
    EXPECT_EQ(r.debug.Label(6), "Contacte: 1");

    std::string shown;  // air temperatures: two digits at least
    for (float t : {5.0f, -3.0f, 0.5f, 1.5f, 123.4f}) {
        r.s.AmbientTemp = t;
        r.Present();
        shown += r.Text(LabelN(41)) + "|";
    }
    EXPECT_EQ(shown, "Amb: 05\272C|Amb: -03\272C|Amb: 00\272C|Amb: 02\272C|Amb: 123\272C|");
}

// The engine and the bars are clamped, the lamp needs more than one; the average leaves out
// wheels standing still, and a marker shows a wheel below 90 % of it.
TEST(Presentation, GaugesAreClampedAndTheAverageLeavesOutStillWheels) {
    struct {
        float engine, bar1, bar2;
        std::array<double, 4> wheels;
        const char* texts;  // ProgressBar3, Label35, Label36, ProgressBar4
        bool lamp, marker1, marker2;
    } cases[] = {
        {1.0f, 150, -5, {0, 0, 100, 100}, "10|100|0|100", false, true, true},
        {1.01f, 50.4f, 0, {0, 100, 100, 100}, "10|50|0|100", true, true, false},
        {0.0f, 100, 99.5f, {0, 0, 0, 0}, "0|100|100|0", false, false, false},
        // Above the limit 900 x 9.549 + 100.
        {2000, 0.5f, 1, {-20, -20, -20, -20}, "8694|1|1|0", true, false, false},
    };
    for (const auto& c : cases) {
        Rig r;
        r.s.EngineSpeed = c.engine, r.s.BarPercent1 = c.bar1, r.s.BarPercent2 = c.bar2;
        r.s.WheelSpeed = c.wheels;
        r.Present();
        EXPECT_EQ(r.Text(Element::ProgressBar3) + "|" + r.Labels({35, 36}) +
                      r.Text(Element::ProgressBar4),
                  c.texts);
        EXPECT_EQ(r.panel[Lamp(7)].enabled, c.lamp) << c.engine;
        EXPECT_EQ(r.panel[Element::ProgressBar4].value, c.wheels[3] > 0 ? 100 : 0.001);
        EXPECT_EQ(r.panel[Marker(1)].visible, c.marker1) << c.wheels[1];
        EXPECT_EQ(r.panel[Marker(2)].visible, c.marker2) << c.wheels[1];
    }
    // The average, the wheels, and which of the four markers show.
    const std::tuple<double, std::array<double, 4>, std::array<bool, 4>> markers[] = {
        {100, {89.9, 100, 120, 90}, {true, false, false, false}},
        {1.0, {0, 1, 1, 1}, {false, false, false, false}},
        {100, {kNaN, 50, 100, 100}, {false, true, false, false}}};
    for (const auto& [average, wheels, shown] : markers) {
        PanelModel panel;
        sections::WheelMarkers(panel, average, wheels);
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(panel[Marker(n)].visible, shown[n - 1]) << average;
        }
    }
}

// Label34 after each scan. A lap ending gives a figure when its reference counts: one taken at
// a lap change, or when the ignition came back on (fuel added with it off is no consumption);
// not one taken at a start of the program or of the snapshots (the lap under way then).
TEST(Presentation, FuelUsedIsMeasuredFromLapStartsAndFromTheIgnitionComingBackOn) {
    constexpr std::int16_t kRestart = -1;  // the snapshots start afresh
    struct Scan {
        std::int16_t contact, lap;
        float fuel;
        const char* shown;
    };
    const std::pair<std::int16_t, std::vector<Scan>> cases[] = {
        // Ignition off and on again while the lap stays, refuelled from 10 to 60; started
        // mid-lap, and at the end refuelled with the ignition on.
        {0,
         {{1, 1, 19, ""},
          {1, 2, 16, ""},
          {1, 3, 13, "3.00L"},
          {1, 3, 10, "3.00L"},
          {0, 3, 10, "3.00L"},
          {0, 3, 60, "3.00L"},
          {1, 3, 60, "3.00L"},
          {1, 4, 57.13f, "2.87L"},
          {1, 5, 106.5f, "-49.37L"}}},
        // Started with the ignition off: its coming on counts.
        {0, {{0, 3, 40, ""}, {1, 3, 40, ""}, {1, 4, 37, "3.00L"}}},
        // Laps close with the ignition off when the panel keeps updating.
        {1,
         {{1, 3, 40, ""},
          {1, 4, 37, ""},
          {0, 5, 34, "3.00L"},
          {1, 5, 60, "3.00L"},
          {1, 6, 58, "2.00L"},
          {kRestart, 0, 0, "2.00L"},
          {0, 7, 30, "2.00L"},
          {0, 8, 27, "3.00L"}}},
    };
    for (const auto& [mode, scans] : cases) {
        Rig r;
        r.DriverSelectMode = mode;
        for (std::size_t i = 0; i < scans.size(); ++i) {
            const Scan& scan = scans[i];
            if (scan.contact == kRestart) {
                r.presentation.Lap().Restart();
            } else {
                r.s.Contact = scan.contact, r.s.LapNumber = scan.lap, r.s.Fuel = scan.fuel;
                r.Present();
            }
            EXPECT_EQ(r.Text(LabelN(34)), scan.shown) << "mode " << mode << ", scan " << i;
        }
    }
}

TEST(Presentation, ThresholdColoursAtMinMaxAndReversedBand) {
    // The engine band's minimum and maximum, the water temperature, and its colour.
    const std::tuple<std::int16_t, std::int16_t, float, core::ColourNumber> cases[] = {
        {90, 100, 89.9f, core::ColorCold}, {90, 100, 90, core::ColorOk},
        {90, 100, 99.99f, core::ColorOk},  {90, 100, 100, core::ColorHot},
        {100, 90, 80, core::ColorCold},    {100, 90, 95, core::ColorHot}};
    for (const auto& [min, max, water, want] : cases) {
        Rig r;
        r.settings.MinMotor = min, r.settings.MaxMotor = max;
        r.ApplyUnits();
        r.Present();  // 92: some colour other than teal first
        r.s.WaterTemp = water, r.s.TyreTemp[0] = 79.6f;
        r.Present();
        EXPECT_EQ(r.Text(LabelN(2)), "80");
        EXPECT_EQ(r.panel[LabelN(2)].backColor, core::ColorCold);
        EXPECT_EQ(r.panel[LabelN(17)].backColor, want) << min << ".." << max << " " << water;
    }
}

// Lamps ignore unknown levels and flags need exactly one. With graphics off, colours, markers
// and gauges stay as they were, texts and lamps follow the snapshot.
TEST(Presentation, LampsIgnoreUnknownLevelsAndGraphicsOffLeavesColoursMarkersAndGauges) {
    Rig r;
    r.settings.NoGrafics = true;
    const PanelModel before = r.panel;
    r.s.TcState = 2, r.s.AbsState = 1, r.s.PitLimiter = 1;
    r.Present();
    r.s.TcState = 3, r.s.AbsState = -1, r.s.PitLimiter = 2, r.s.InPits = 1;
    r.Present();
    EXPECT_EQ(r.Text(Lamp(4)) + "|" + r.Text(Lamp(5)), "TC HIGH|ABS LOW");
    EXPECT_TRUE(r.panel[Lamp(4)].enabled);
    EXPECT_FALSE(r.panel[Lamp(1)].enabled);
    EXPECT_TRUE(r.panel[Lamp(2)].enabled);
    for (Element e : {Marker(1), Element::ProgressBar1}) {
        EXPECT_EQ(r.panel[e].revision, before[e].revision) << static_cast<int>(e);
    }
    EXPECT_EQ(r.panel[LabelN(17)].backColor, before[LabelN(17)].backColor);
    EXPECT_EQ(r.panel[Element::ProgressBar3].value, before[Element::ProgressBar3].value);
    EXPECT_EQ(r.Text(Element::ProgressBar3) + " " + r.Text(LabelN(42)), "5729 Tr: 30\272C");
    r.s.TcState = 0;
    r.Present();
    EXPECT_FALSE(r.panel[Lamp(4)].enabled);
    EXPECT_EQ(r.Text(Lamp(4)), "TC");
}

TEST(Presentation, ErrorPartWayKeepsEarlierElementsAndLeavesLaterOnes) {
    Rig r;
    r.settings.DebugEnabled = true;
    r.s.AmbientTemp = 1e9f, r.s.TcState = 2, r.s.WheelSpeed = {10, 100, 100, 100};
    const PanelModel before = r.panel;
    EXPECT_FALSE(r.Completes());
    EXPECT_EQ(r.Text(LabelN(28)) + "|" + r.Text(Lamp(4)), "Track|TC HIGH");
    for (Element e : {LabelN(41), LabelN(42), Marker(2)}) {
        EXPECT_EQ(r.panel[e].revision, before[e].revision) << static_cast<int>(e);
    }
    EXPECT_EQ(r.panel[LabelN(17)].backColor, before[LabelN(17)].backColor);
    EXPECT_EQ(r.panel[Element::ProgressBar3].maxvalue, before[Element::ProgressBar3].maxvalue);
    EXPECT_EQ(r.debug.Label(20), "");
}

// Bad values in any field end in a "Lectures" report or a shown value, never in a crash.
TEST(Presentation, NonFiniteAndHugeValuesTakeTheErrorPathOrShow) {
    struct {
        const char* name;
        void (*spoil)(Snap&);
        bool completes;
    } cases[] = {{"engine NaN", [](Snap& s) { s.EngineSpeed = kNaN; }, false},
                 {"bar inf", [](Snap& s) { s.BarPercent1 = kInf; }, true},
                 {"lap inf", [](Snap& s) { s.LastLap = kInf; }, false},
                 {"tyre 40000", [](Snap& s) { s.TyreTemp[5] = 40000; }, false},
                 {"wheel NaN", [](Snap& s) { s.WheelSpeed[2] = kNaN; }, false},
                 {"ambient beyond single in F", [](Snap& s) { s.AmbientTemp = 3e38f; }, false},
                 {"negative", [](Snap& s) { s.Position = -1, s.Fuel = -5, s.Contact = -1; }, true}};
    for (const auto& c : cases) {
        Rig r("Imperial");
        r.DriverSelectMode = 1;
        c.spoil(r.s);
        EXPECT_EQ(r.Completes(), c.completes) << c.name;
    }
}

TEST(Units, TextsAndThresholdsFollowTheUnitSystemAndAnOverflowKeepsTheEarlierOnes) {
    const auto summary = [](const DisplayUnits& u) {
        std::string out = u.TempUnitText + " " + u.FuelUnitText + " " + u.PressureUnitText;
        for (int v : {u.ActiveMaxPneu, u.ActiveMinPneu, u.ActiveMaxMotor, u.ActiveMinMotor,
                      u.ActiveMaxPress, u.ActiveMinPress, u.ActiveMaxFrens, u.ActiveMinFrens}) {
            out += " " + std::to_string(v);
        }
        return out;
    };
    EXPECT_EQ(summary(Rig("Imperial").units), "\272F G PSI 212 176 212 194 32 26 1112 572");
    EXPECT_EQ(summary(Rig("imperial").units), "\272C L kPA 100 80 100 90 220 180 600 300");

    Rig r;
    r.settings.MaxMotor = 20000;  // 36032 in Fahrenheit does not fit 16 bits
    EXPECT_THROW(SetActiveThresholds(r.units, r.settings, true), core::NumberError);
    EXPECT_EQ(summary(r.units), "\272C L kPA 212 176 100 90 220 180 600 300");
}

TEST(Units, ImperialSnapshotShowsConvertedFigures) {
    Rig r("Imperial");
    r.s.WaterTemp = 90, r.s.BrakeTemp[0] = 450, r.s.TyrePressure[0] = 190, r.s.Fuel = 50;
    r.s.TyrePressure[1] = 26.1f / 0.1451352418559f, r.s.TyreTemp[4] = 95;
    // 28.505 psi by the exact factor, 28.485 by the common 0.14504: the rounding tells them apart.
    r.s.TyrePressure[2] = 196.4f;
    r.s.WheelSpeed = {100, 100, 100, 100};
    r.Present();
    EXPECT_EQ(r.Labels({17, 43, 24, 26, 16, 41}) + r.Text(Element::ProgressBar4),
              "194|842\272F|28PSI|29PSI|13.21G|Amb: 71\272F|62");
    EXPECT_EQ(r.panel[LabelN(25)].backColor, core::ColorOk);  // 26.1 psi against 26..32
    EXPECT_EQ(r.panel[LabelN(6)].backColor, core::ColorOk);   // 203 F against 176..212
}

// The reference taken in litres must follow a change to gallons, or the next figure subtracts
// gallons from litres; the figure already shown changes unit with the menu, not a lap later.
TEST(Units, ChangeMidLapConvertsTheFuelReferenceAndTheShownFigure) {
    Rig r;
    const auto scan = [&](std::int16_t lap, float fuel) {
        r.s.LapNumber = lap, r.s.Fuel = fuel;
        r.Present();
        return r.Text(LabelN(34));
    };
    const auto change = [&](const char* unitats) {
        r.settings.Unitats = unitats;
        r.ApplyUnits();
        r.presentation.UnitsChanged(IsImperial(unitats), r.units, r.sep);
        return r.Text(LabelN(34));
    };
    scan(1, 40);
    scan(2, 37);
    EXPECT_EQ(scan(3, 36), "1.00L");
    EXPECT_EQ(change("Imperial"), ".26G");
    EXPECT_EQ(scan(4, 32), "1.06G");
    EXPECT_EQ(change("Metric"), "4.00L");
    EXPECT_NEAR(r.presentation.Lap().LapStartFuel, 32.0f, 1e-4);
}

}  // namespace
}  // namespace kerbview::panel
