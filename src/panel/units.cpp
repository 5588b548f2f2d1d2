// SPDX-License-Identifier: MIT
#include "panel/units.h"

#include <cmath>
#include <limits>

#include "core/number_rules.h"

namespace kerbview::panel {
namespace {

float ToFahrenheit(float celsius) {
    return ToSingle(static_cast<double>(celsius) * kFahrenheitScale + kFahrenheitOffset);
}

std::int16_t FahrenheitThreshold(std::int16_t celsius) {
    return core::ToInt16(static_cast<double>(celsius) * kFahrenheitScale + kFahrenheitOffset);
}

std::int16_t PsiThreshold(std::int16_t kpa) {
    return core::ToInt16(static_cast<double>(kpa) * kKpaToPsi);
}

}  // namespace

bool IsImperial(std::string_view unitats) { return unitats == "Imperial"; }

float ToSingle(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        throw core::NumberError("overflow");
    }
    return static_cast<float>(value);
}

void SetUnitTexts(DisplayUnits& units, bool imperial) {
    units.Imperial = imperial;
    units.TempUnitText = imperial ? "\xBA"
                                    "F"
                                  : "\xBA"
                                    "C";
    units.FuelUnitText = imperial ? "G" : "L";
    units.PressureUnitText = imperial ? "PSI" : "kPA";
}

void SetActiveThresholds(DisplayUnits& u, const core::Settings& s, bool imperial) {
    const auto temperature = [imperial](std::int16_t c) {
        return imperial ? FahrenheitThreshold(c) : c;
    };
    const auto pressure = [imperial](std::int16_t kpa) {
        return imperial ? PsiThreshold(kpa) : kpa;
    };
    u.ActiveMaxPneu = temperature(s.MaxPneu);
    u.ActiveMinPneu = temperature(s.MinPneu);
    u.ActiveMaxMotor = temperature(s.MaxMotor);
    u.ActiveMinMotor = temperature(s.MinMotor);
    u.ActiveMaxFrens = temperature(s.MaxFrens);
    u.ActiveMinFrens = temperature(s.MinFrens);
    u.ActiveMaxPress = pressure(s.MaxPress);
    u.ActiveMinPress = pressure(s.MinPress);
}

float ConvertFuel(float value, bool toImperial) {
    const double v = static_cast<double>(value);
    return ToSingle(toImperial ? v * kLitresToGallons : v / kLitresToGallons);
}

telemetry::Snapshot InDisplayUnits(const telemetry::Snapshot& snapshot,
                                   const core::Settings& settings) {
    telemetry::Snapshot s = snapshot;
    if (!IsImperial(settings.Unitats)) return s;
    s.WaterTemp = ToFahrenheit(s.WaterTemp);
    s.OilTemp = ToFahrenheit(s.OilTemp);
    for (float& t : s.TyreTemp) t = ToFahrenheit(t);
    for (float& t : s.BrakeTemp) t = ToFahrenheit(t);
    s.AmbientTemp = ToFahrenheit(s.AmbientTemp);
    s.TrackTemp = ToFahrenheit(s.TrackTemp);
    for (float& p : s.TyrePressure) p = ToSingle(static_cast<double>(p) * kKpaToPsi);
    s.Fuel = ToSingle(static_cast<double>(s.Fuel) * kLitresToGallons);
    for (double& w : s.WheelSpeed) w *= kKmhToMph;
    return s;
}

}  // namespace kerbview::panel
