// SPDX-License-Identifier: MIT
// Lamps, ambient and track temperatures and threshold colouring of the presentation.
#include <algorithm>
#include <cmath>
#include <utility>

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

// The active thresholds (minimum, maximum) of a band.
std::pair<std::int16_t, std::int16_t> Band(const DisplayUnits& u, ThresholdBand band) {
    switch (band) {
        case ThresholdBand::Motor: return {u.ActiveMinMotor, u.ActiveMaxMotor};
        case ThresholdBand::Pneu: return {u.ActiveMinPneu, u.ActiveMaxPneu};
        case ThresholdBand::Press: return {u.ActiveMinPress, u.ActiveMaxPress};
        case ThresholdBand::Frens: break;
    }
    return {u.ActiveMinFrens, u.ActiveMaxFrens};
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

    // The values in the order of the fields they colour.
    using S = telemetry::Snapshot;
    static_assert(kThresholdFields.size() == 2 + std::tuple_size_v<decltype(S::TyreTemp)> +
                                                 std::tuple_size_v<decltype(S::TyrePressure)> +
                                                 std::tuple_size_v<decltype(S::BrakeTemp)>);
    std::array<float, kThresholdFields.size()> values{s.OilTemp, s.WaterTemp};
    auto next = std::copy(s.TyreTemp.begin(), s.TyreTemp.end(), values.begin() + 2);
    next = std::copy(s.TyrePressure.begin(), s.TyrePressure.end(), next);
    std::copy(s.BrakeTemp.begin(), s.BrakeTemp.end(), next);
    for (std::size_t i = 0; i < kThresholdFields.size(); ++i) {
        const auto [min, max] = Band(u, kThresholdFields[i].band);
        Colour(panel, kThresholdFields[i].element, values[i], min, max);
    }
    return true;
}

}  // namespace kerbview::panel::sections
