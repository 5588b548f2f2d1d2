// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/number_rules.h"
#include "presentation_rig.h"

namespace kerbview::panel {
namespace {

using test::Rig;
using test::TypicalSnapshot;

TEST(Units, ImperialThresholdsRoundAndUnitTextsUseOrdinalIndicator) {
    Rig r("Imperial");
    const DisplayUnits& u = r.units.Current();
    EXPECT_EQ(u.TempUnitText,
              "\xBA"
              "F");
    EXPECT_EQ(u.FuelUnitText, "G");
    EXPECT_EQ(u.PressureUnitText, "PSI");
    const std::int16_t got[] = {u.ActiveMaxPneu,  u.ActiveMinPneu,  u.ActiveMaxMotor,
                                u.ActiveMinMotor, u.ActiveMaxPress, u.ActiveMinPress,
                                u.ActiveMaxFrens, u.ActiveMinFrens};
    const std::int16_t want[] = {212, 176, 212, 194, 32, 26, 1112, 572};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(got[i], want[i]) << "threshold " << i;
    EXPECT_EQ(r.panel[Element::ProgressBar4].maxvalue, 220.0);
    EXPECT_TRUE(r.panel.menu(Menu::Imperial).checked);
    EXPECT_FALSE(r.panel.menu(Menu::Metrico).checked);
    ASSERT_EQ(r.writes.size(), 1u);
    EXPECT_EQ(r.writes[0].section + "/" + r.writes[0].key + "=" + r.writes[0].value,
              "Opcions/Unitats=Imperial");
}

TEST(Units, LowerCaseImperialCountsAsMetricAndWritesMetric) {
    Rig r("imperial");
    EXPECT_EQ(r.units.Current().TempUnitText,
              "\xBA"
              "C");
    EXPECT_EQ(r.units.Current().ActiveMinPress, 180);
    EXPECT_EQ(r.panel[Element::ProgressBar4].maxvalue, 350.0);
    EXPECT_TRUE(r.panel.menu(Menu::Metrico).checked);
    EXPECT_EQ(r.writes.back().value, "Metric");
}

TEST(Units, MenuClickOnCurrentUnitRewritesNothing) {
    Rig r;
    const auto revision = r.panel.revision();
    r.units.Metrico_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_EQ(r.writes.size(), 1u);
    EXPECT_EQ(r.panel.revision(), revision);
    r.units.Imperial_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_EQ(r.settings.Unitats, "Imperial");
    EXPECT_EQ(r.writes.size(), 2u);
    r.units.Imperial_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_EQ(r.writes.size(), 2u);
}

TEST(Units, ThresholdOverflowReportsAndSkipsTheWriteButKeepsStepsDone) {
    Rig r;
    r.settings.MaxPneu = 20000;  // 36032 in Fahrenheit: beyond 16 bits
    r.settings.Unitats = "Imperial";
    EXPECT_FALSE(r.ApplyUnits());
    EXPECT_EQ(r.reporter.ErrorProc(), "Canvia_Unitats");
    EXPECT_EQ(r.writes.size(), 1u);  // only the start-up write
    EXPECT_EQ(r.units.Current().TempUnitText,
              "\xBA"
              "F");
    EXPECT_EQ(r.panel[Element::ProgressBar4].maxvalue, 220.0);
    EXPECT_EQ(r.units.Current().ActiveMaxPneu, 100);  // the metric value from before
}

TEST(Units, ImperialSnapshotShowsConvertedFigures) {
    Rig r("Imperial");
    auto s = TypicalSnapshot();
    s.WaterTemp = 90;
    s.BrakeTemp[0] = 450;
    s.TyrePressure[0] = 190;
    s.Fuel = 50;
    s.WheelSpeed = {100, 100, 100, 100};
    ASSERT_EQ(r.Present(s), PresentEnd::Complete);
    EXPECT_EQ(r.Text(LabelN(17)), "194");
    EXPECT_EQ(r.Text(LabelN(43)),
              "842\xBA"
              "F");
    EXPECT_EQ(r.Text(LabelN(24)), "28PSI");
    EXPECT_EQ(r.Text(LabelN(16)), "13.21G");
    EXPECT_EQ(r.Text(Element::ProgressBar4), "62");
}

TEST(Units, ConversionOverflowOfASingleIsAnError) {
    telemetry::Snapshot s;
    core::Settings imperial;
    imperial.Unitats = "Imperial";
    s.AmbientTemp = std::numeric_limits<float>::max();
    EXPECT_THROW(ConvertToDisplayUnits(s, imperial), core::NumberError);
    s = {};
    s.AmbientTemp = std::numeric_limits<float>::quiet_NaN();
    EXPECT_NO_THROW(ConvertToDisplayUnits(s, imperial));
    EXPECT_TRUE(std::isnan(s.AmbientTemp));
}

// The lap reference taken in litres must follow a change to gallons, or the next fuel-used
// figure subtracts gallons from litres.
TEST(Units, ChangeMidLapConvertsTheFuelReference) {
    Rig r;
    auto s = TypicalSnapshot();
    s.LapNumber = 2;
    s.Fuel = 40;
    r.Present(s);  // first lap change: reference lap 2 / 40 L
    r.units.Imperial_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    s.LapNumber = 3;
    s.Fuel = 36;
    r.Present(s);
    EXPECT_EQ(r.Text(LabelN(34)), "1.06G");
    r.units.Metrico_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_NEAR(r.presentation.Lap().LapStartFuel, 36.0f, 1e-4);
}

}  // namespace
}  // namespace kerbview::panel
