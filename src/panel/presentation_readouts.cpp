// SPDX-License-Identifier: MIT
// Engine, bars, contact and the plain read-outs of the presentation.
#include <cmath>

#include "core/number_rules.h"
#include "panel/presentation_sections.h"

namespace kerbview::panel::sections {
namespace {

using core::FormatPicture;
using core::Picture;

// Values below 0.0001 show as 0.001 so the gauges never get exactly zero or a negative value.
template <typename T>
T RaiseTiny(T v) {
    return v < T(0.0001) ? T(0.001) : v;
}

}  // namespace

std::string WholeText(double value) { return core::PlainText(core::ToInt16(value)); }

std::string FuelUsedText(float used, const DisplayUnits& units, char sep) {
    return FormatPicture(used, Picture::PointZeroZero, sep) + units.FuelUnitText;
}

std::string LapTimeText(float t, char sep) {
    if (!(t > 0)) return "-:--,---";
    const float wholeSeconds = std::trunc(t);
    std::string fraction = FormatPicture(t - wholeSeconds, Picture::PointZeroZeroZero, sep);
    double seconds = wholeSeconds;
    // A fraction of 0.9995 or more prints as a whole second: carry it so 59.9996 reads 1:00.000.
    if (fraction.front() != sep) {
        seconds += 1;
        fraction = std::string(1, sep) + "000";
    }
    const double minutes = std::trunc(seconds / 60);
    return FormatPicture(minutes, Picture::Zero, sep) + ":" +
           FormatPicture(seconds - minutes * 60, Picture::ZeroZero, sep) + fraction;
}

void EngineBarsAndContact(PanelModel& panel, const telemetry::Snapshot& s, char sep, Derived& d) {
    panel.SetEnabled(Lamp(7), s.EngineSpeed > 1.0f);
    d.EngineRpm = ToSingle(static_cast<double>(s.EngineSpeed) * kRadPerSecToRpm);
    d.EngineRpmLimit = ToSingle(static_cast<double>(s.EngineMaxSpeed) * kRadPerSecToRpm + 100.0);
    d.EngineRpm = RaiseTiny(d.EngineRpm);
    if (d.EngineRpm > d.EngineRpmLimit) d.EngineRpm = d.EngineRpmLimit;
    panel.SetText(Element::ProgressBar3, WholeText(d.EngineRpm));

    d.Bar1 = RaiseTiny(s.BarPercent1);
    if (d.Bar1 > 100.0f) d.Bar1 = 100.0f;
    d.Bar2 = RaiseTiny(s.BarPercent2);
    if (d.Bar2 > 100.0f) d.Bar2 = 100.0f;
    panel.SetText(LabelN(35), FormatPicture(d.Bar1, Picture::Zero, sep));
    panel.SetText(LabelN(36), FormatPicture(d.Bar2, Picture::Zero, sep));

    panel.SetEnabled(Lamp(6), s.Contact == 1);
}

void DebugCaptions(DebugModel& debug, const telemetry::Snapshot& s, const LapState& lap, char sep) {
    debug.SetLabel(1, "Ultima Volta: " + core::SingleText(s.LastLap, sep));
    debug.SetLabel(2, "Regvolta: " + core::SingleText(lap.LapStartNumber, sep));
    debug.SetLabel(3, "Benzina: " + core::SingleText(s.Fuel, sep));
    debug.SetLabel(4, "Benzina inicial: " + core::SingleText(lap.LapStartFuel, sep));
    debug.SetLabel(5, "Numero Volta: " + core::PlainText(s.LapNumber));
    debug.SetLabel(6, "Contacte: " + core::PlainText(s.Contact));
}

void Readouts(PanelModel& panel, const telemetry::Snapshot& s, LapState& lap,
              const PresentContext& context, Derived& d) {
    const char sep = context.decimalSeparator;
    const DisplayUnits& units = context.units;

    panel.SetEnabled(Lamp(3), true);
    panel.SetText(Lamp(3), "Pos " + core::PlainText(s.Position) + " - " +
                               core::PlainText(s.DriverSlot) + ":" + s.DriverName);
    panel.SetText(LabelN(30), s.CarName);
    panel.SetText(LabelN(17), WholeText(s.WaterTemp));
    panel.SetText(LabelN(18), WholeText(s.OilTemp));
    panel.SetText(LabelN(32), core::PlainText(s.LapNumber));
    panel.SetText(LabelN(16),
                  FormatPicture(s.Fuel, Picture::PointZeroZero, sep) + units.FuelUnitText);

    if (auto used = lap.CloseLapOnChange(s.LapNumber, s.Fuel)) {
        panel.SetText(LabelN(34), FuelUsedText(*used, units, sep));
    }

    panel.SetText(LabelN(22), context.texts.TxtBest + ": " + LapTimeText(s.BestLap, sep));
    panel.SetText(LabelN(23), context.texts.TxtLast + ": " + LapTimeText(s.LastLap, sep));

    panel.SetText(LabelN(14), core::PlainText(s.CentreReadout));
    for (int zone = 0; zone < 12; ++zone) {
        panel.SetText(LabelN(2 + zone), WholeText(s.TyreTemp[static_cast<std::size_t>(zone)]));
    }
    for (int w = 0; w < 4; ++w) {
        panel.SetText(LabelN(24 + w), WholeText(s.TyrePressure[static_cast<std::size_t>(w)]) +
                                          units.PressureUnitText);
    }
    for (int w = 0; w < 4; ++w) {
        panel.SetText(LabelN(43 + w),
                      WholeText(s.BrakeTemp[static_cast<std::size_t>(w)]) + units.TempUnitText);
    }

    // Wheels standing exactly still are left out, so a locked wheel does not pull the mean down.
    double sum = 0;
    int count = 0;
    for (double w : s.WheelSpeed) {
        if (w != 0) {
            sum += w;
            ++count;
        }
    }
    d.AverageWheelSpeed = RaiseTiny(count >= 1 ? sum / count : 0.0);
    panel.SetText(Element::ProgressBar4, WholeText(d.AverageWheelSpeed));

    for (int w = 0; w < 4; ++w) {
        double ratio = s.TyreRatio[static_cast<std::size_t>(w)];
        if (ratio == 0) ratio = 1.0;
        panel.SetText(LabelN(37 + w),
                      FormatPicture((1.0 - ratio) * 320.0, Picture::ZeroPointZero, sep));
    }

    panel.SetText(LabelN(28), s.TrackName);
}

}  // namespace kerbview::panel::sections
