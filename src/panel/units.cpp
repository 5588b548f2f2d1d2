// SPDX-License-Identifier: MIT
#include "panel/units.h"

#include <cmath>
#include <exception>
#include <limits>

#include "core/number_rules.h"

namespace kerbview::panel {
namespace {

constexpr std::string_view kMetric = "Metric";
constexpr std::string_view kImperial = "Imperial";

float ToFahrenheit(float celsius) {
    return ToSingle(static_cast<double>(celsius) * kFahrenheitScale + kFahrenheitOffset);
}

std::int16_t FahrenheitThreshold(std::int16_t celsius) {
    return core::ToInt16(static_cast<double>(celsius) * kFahrenheitScale + kFahrenheitOffset);
}

}  // namespace

bool IsImperial(std::string_view unitats) { return unitats == kImperial; }

float ToSingle(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        throw core::NumberError("overflow");
    }
    return static_cast<float>(value);
}

void ConvertToDisplayUnits(telemetry::Snapshot& s, const core::Settings& settings) {
    if (!IsImperial(settings.Unitats)) return;
    s.WaterTemp = ToFahrenheit(s.WaterTemp);
    s.OilTemp = ToFahrenheit(s.OilTemp);
    for (float& t : s.TyreTemp) t = ToFahrenheit(t);
    for (float& t : s.BrakeTemp) t = ToFahrenheit(t);
    s.AmbientTemp = ToFahrenheit(s.AmbientTemp);
    s.TrackTemp = ToFahrenheit(s.TrackTemp);
    for (float& p : s.TyrePressure) p = ToSingle(static_cast<double>(p) * kKpaToPsi);
    s.Fuel = ToSingle(static_cast<double>(s.Fuel) * kLitresToGallons);
    for (double& w : s.WheelSpeed) w *= kKmhToMph;
}

Units::Units(SettingWriter write) : m_write(std::move(write)) {}

void Units::Apply(const core::Settings& settings, PanelModel& panel, LapState& lap) {
    panel.SetMenuChecked(Menu::Metrico, false);
    panel.SetMenuChecked(Menu::Imperial, false);
    const bool imperial = IsImperial(settings.Unitats);
    const std::string previousFuelUnit = m_units.FuelUnitText;
    if (imperial) {
        panel.SetMenuChecked(Menu::Imperial, true);
        panel.SetMaxValue(Element::ProgressBar4, 220.0);
        m_units.TempUnitText =
            "\xBA"
            "F";
        m_units.FuelUnitText = "G";
        m_units.PressureUnitText = "PSI";
    } else {
        panel.SetMenuChecked(Menu::Metrico, true);
        panel.SetMaxValue(Element::ProgressBar4, 350.0);
        m_units.TempUnitText =
            "\xBA"
            "C";
        m_units.FuelUnitText = "L";
        m_units.PressureUnitText = "kPA";
    }
    // The lap reference was captured in the previous fuel unit; keep it in step with the
    // unit text so the fuel used on the current lap is measured in one unit.
    if (previousFuelUnit == "L" && imperial) {
        lap.LapStartFuel = ToSingle(static_cast<double>(lap.LapStartFuel) * kLitresToGallons);
    } else if (previousFuelUnit == "G" && !imperial) {
        lap.LapStartFuel = ToSingle(static_cast<double>(lap.LapStartFuel) / kLitresToGallons);
    }
    if (imperial) {
        m_units.ActiveMaxPneu = FahrenheitThreshold(settings.MaxPneu);
        m_units.ActiveMinPneu = FahrenheitThreshold(settings.MinPneu);
        m_units.ActiveMaxMotor = FahrenheitThreshold(settings.MaxMotor);
        m_units.ActiveMinMotor = FahrenheitThreshold(settings.MinMotor);
        m_units.ActiveMaxFrens = FahrenheitThreshold(settings.MaxFrens);
        m_units.ActiveMinFrens = FahrenheitThreshold(settings.MinFrens);
        m_units.ActiveMaxPress = core::ToInt16(static_cast<double>(settings.MaxPress) * kKpaToPsi);
        m_units.ActiveMinPress = core::ToInt16(static_cast<double>(settings.MinPress) * kKpaToPsi);
    } else {
        m_units.ActiveMaxPneu = settings.MaxPneu;
        m_units.ActiveMinPneu = settings.MinPneu;
        m_units.ActiveMaxMotor = settings.MaxMotor;
        m_units.ActiveMinMotor = settings.MinMotor;
        m_units.ActiveMaxPress = settings.MaxPress;
        m_units.ActiveMinPress = settings.MinPress;
        m_units.ActiveMaxFrens = settings.MaxFrens;
        m_units.ActiveMinFrens = settings.MinFrens;
    }
    if (m_write) m_write("Opcions", "Unitats", imperial ? kImperial : kMetric);
}

bool Units::Canvia_Unitats(const core::Settings& settings, PanelModel& panel, LapState& lap,
                           core::ErrorReporter& reporter) {
    try {
        Apply(settings, panel, lap);
        return true;
    } catch (const std::exception&) {
        reporter.ReportError("Canvia_Unitats");
        return false;
    }
}

void Units::Metrico_Click(core::Settings& settings, PanelModel& panel, LapState& lap,
                          core::ErrorReporter& reporter) {
    if (settings.Unitats == kMetric) return;
    settings.Unitats = kMetric;
    Canvia_Unitats(settings, panel, lap, reporter);
}

void Units::Imperial_Click(core::Settings& settings, PanelModel& panel, LapState& lap,
                           core::ErrorReporter& reporter) {
    if (settings.Unitats == kImperial) return;
    settings.Unitats = kImperial;
    Canvia_Unitats(settings, panel, lap, reporter);
}

}  // namespace kerbview::panel
