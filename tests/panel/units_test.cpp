// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "presentation_rig.h"

namespace kerbview::panel {
namespace {

using test::Rig;

std::string Summary(const Rig& r) {
    const DisplayUnits& u = r.units.Current();
    std::string out = u.TempUnitText + " " + u.FuelUnitText + " " + u.PressureUnitText;
    for (int v : {u.ActiveMaxPneu, u.ActiveMinPneu, u.ActiveMaxMotor, u.ActiveMinMotor,
                  u.ActiveMaxPress, u.ActiveMinPress, u.ActiveMaxFrens, u.ActiveMinFrens}) {
        out += " " + std::to_string(v);
    }
    out += r.panel.menu(Menu::Metrico).checked ? " M" : "";
    out += r.panel.menu(Menu::Imperial).checked ? " I" : "";
    return out + " " + std::to_string(static_cast<int>(r.panel[Element::ProgressBar4].maxvalue));
}

TEST(Units, CanviaUnitatsSetsTextsThresholdsMenusGaugeAndWrite) {
    struct {
        const char* unitats;
        const char* summary;
        const char* written;
    } cases[] = {
        {"Imperial", "\272F G PSI 212 176 212 194 32 26 1112 572 I 220",
         "Opcions/Unitats=Imperial"},
        {"Metric", "\272C L kPA 100 80 100 90 220 180 600 300 M 350", "Opcions/Unitats=Metric"},
        {"imperial", "\272C L kPA 100 80 100 90 220 180 600 300 M 350", "Opcions/Unitats=Metric"},
    };
    for (const auto& c : cases) {
        Rig r(c.unitats);
        EXPECT_EQ(Summary(r), c.summary) << c.unitats;
        EXPECT_EQ(r.writes, std::vector<std::string>{c.written}) << c.unitats;
    }
}

TEST(Units, MenuClickOnTheCurrentUnitRewritesNothing) {
    Rig r;
    const auto revision = r.panel.revision();
    r.units.Metrico_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_EQ(r.panel.revision(), revision);
    r.units.Imperial_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    r.units.Imperial_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_EQ(r.writes.size(), 2u);
    EXPECT_EQ(r.settings.Unitats, "Imperial");
}

TEST(Units, ThresholdOverflowReportsKeepsStepsDoneAndSkipsTheWrite) {
    Rig r;
    r.settings.MaxPneu = 20000;  // 36032 in Fahrenheit does not fit 16 bits
    r.settings.Unitats = "Imperial";
    EXPECT_FALSE(r.ApplyUnits());
    EXPECT_EQ(r.reporter.ErrorProc(), "Canvia_Unitats");
    EXPECT_EQ(Summary(r), "\272F G PSI 100 80 100 90 220 180 600 300 I 220");
    EXPECT_EQ(r.writes.size(), 1u);
}

TEST(Units, ImperialSnapshotShowsConvertedFigures) {
    Rig r("Imperial");
    telemetry::Snapshot s = test::TypicalSnapshot();
    s.WaterTemp = 90, s.BrakeTemp[0] = 450, s.TyrePressure[0] = 190, s.Fuel = 50;
    s.TyrePressure[1] = 26.1f / 0.1451352418559f, s.TyreTemp[4] = 95;
    s.WheelSpeed = {100, 100, 100, 100};
    r.Present(s);
    std::string shown;
    for (int n : {17, 43, 24, 16, 41}) shown += r.Text(LabelN(n)) + "|";
    EXPECT_EQ(shown + r.Text(Element::ProgressBar4), "194|842\272F|28PSI|13.21G|Amb: 71\272F|62");
    EXPECT_EQ(r.panel[LabelN(25)].backColor, core::ColorOk);  // 26.1 psi against 26..32
    EXPECT_EQ(r.panel[LabelN(6)].backColor, core::ColorOk);   // 203 F against 176..212
}

// The reference taken in litres must follow a change to gallons, or the next fuel-used figure
// subtracts gallons from litres.
TEST(Units, ChangeMidLapConvertsTheFuelReference) {
    Rig r;
    telemetry::Snapshot s = test::TypicalSnapshot();
    s.LapNumber = 2, s.Fuel = 40;
    r.Present(s);
    r.units.Imperial_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    s.LapNumber = 3, s.Fuel = 36;
    r.Present(s);
    EXPECT_EQ(r.Text(LabelN(34)), "1.06G");
    r.units.Metrico_Click(r.settings, r.panel, r.presentation.Lap(), r.reporter);
    EXPECT_NEAR(r.presentation.Lap().LapStartFuel, 36.0f, 1e-4);
}

}  // namespace
}  // namespace kerbview::panel
