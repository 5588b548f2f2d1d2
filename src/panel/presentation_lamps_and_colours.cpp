// SPDX-License-Identifier: MIT
// Lamps, ambient and track temperatures and threshold colouring of the presentation.
#include <cmath>

#include "core/colours.h"
#include "core/number_rules.h"
#include "panel/presentation_sections.h"

namespace kerbview::panel::sections {
namespace {

// Levels other than 0, 1 and 2 write nothing: the lamp keeps its previous state and text.
void LevelLamp(PanelModel& panel, Element lamp, std::int16_t level, const std::string& off,
               const std::string& low, const std::string& high) {
    switch (level) {
        case 0:
            panel.SetEnabled(lamp, false);
            panel.SetText(lamp, off);
            break;
        case 1:
            panel.SetEnabled(lamp, true);
            panel.SetText(lamp, low);
            break;
        case 2:
            panel.SetEnabled(lamp, true);
            panel.SetText(lamp, high);
            break;
        default: break;
    }
}

std::string AirTemperatureText(float value, const std::string& unit) {
    return core::FormatPicture(core::ToInt16(value), core::Picture::ZeroZero, '.') + unit;
}

// Three separate tests, compared in single precision. A NaN passes only the first; with
// Min > Max a value between them is written teal and then red.
void Colour(PanelModel& panel, Element field, float v, std::int16_t min, std::int16_t max) {
    const float lo = static_cast<float>(min);
    const float hi = static_cast<float>(max);
    if (v < lo || std::isnan(v)) panel.SetBackColor(field, core::ColorCold);
    if (v >= hi) panel.SetBackColor(field, core::ColorHot);
    if (v >= lo && v < hi) panel.SetBackColor(field, core::ColorOk);
}

}  // namespace

bool LampsAndColours(PanelModel& panel, const telemetry::Snapshot& s,
                     const PresentContext& context) {
    const ui::LanguageTexts& t = context.texts;
    const DisplayUnits& u = context.units;

    panel.SetEnabled(Lamp(1), s.PitLimiter == 1);
    panel.SetEnabled(Lamp(2), s.InPits == 1);
    LevelLamp(panel, Lamp(4), s.TcState, t.TxtTc, t.TxtTcLow, t.TxtTcHigh);
    LevelLamp(panel, Lamp(5), s.AbsState, t.TxtAbs, t.TxtAbsLow, t.TxtAbsHigh);

    panel.SetText(LabelN(41), "Amb: " + AirTemperatureText(s.AmbientTemp, u.TempUnitText));
    panel.SetText(LabelN(42), "Tr: " + AirTemperatureText(s.TrackTemp, u.TempUnitText));

    if (context.settings.NoGrafics) return false;

    Colour(panel, LabelN(18), s.OilTemp, u.ActiveMinMotor, u.ActiveMaxMotor);
    Colour(panel, LabelN(17), s.WaterTemp, u.ActiveMinMotor, u.ActiveMaxMotor);
    for (int zone = 0; zone < 12; ++zone) {
        Colour(panel, LabelN(2 + zone), s.TyreTemp[static_cast<std::size_t>(zone)], u.ActiveMinPneu,
               u.ActiveMaxPneu);
    }
    for (int w = 0; w < 4; ++w) {
        Colour(panel, LabelN(24 + w), s.TyrePressure[static_cast<std::size_t>(w)], u.ActiveMinPress,
               u.ActiveMaxPress);
    }
    for (int w = 0; w < 4; ++w) {
        Colour(panel, LabelN(43 + w), s.BrakeTemp[static_cast<std::size_t>(w)], u.ActiveMinFrens,
               u.ActiveMaxFrens);
    }
    return true;
}

}  // namespace kerbview::panel::sections
