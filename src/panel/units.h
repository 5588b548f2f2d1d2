// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "telemetry/snapshot.h"

namespace kerbview::panel {

/// Metric to imperial factors, applied in double precision.
inline constexpr double kFahrenheitScale = 1.8;
inline constexpr double kFahrenheitOffset = 32.0;
inline constexpr double kKpaToPsi = 0.1451352418559;
inline constexpr double kLitresToGallons = 0.264172052358;
inline constexpr double kKmhToMph = 0.621371192237;
/// Engine speed as read (radians per second) to the revolutions per minute the panel shows.
inline constexpr double kRadPerSecToRpm = 9.549;

/// Range of the speed gauge ProgressBar4 in each unit system.
inline constexpr double kSpeedGaugeMaxMetric = 350.0;
inline constexpr double kSpeedGaugeMaxImperial = 220.0;

/// The unit texts and the colour thresholds in the display unit. Empty texts and zero
/// thresholds until the units are first applied.
struct DisplayUnits {
    /// The unit system the texts are in; empty until the units are first applied.
    std::optional<bool> Imperial;
    std::string TempUnitText;      // "\xBA" "C" or "\xBA" "F" (masculine ordinal indicator)
    std::string FuelUnitText;      // "L" or "G"
    std::string PressureUnitText;  // "kPA" or "PSI"
    std::int16_t ActiveMaxPneu = 0;
    std::int16_t ActiveMinPneu = 0;
    std::int16_t ActiveMaxMotor = 0;
    std::int16_t ActiveMinMotor = 0;
    std::int16_t ActiveMaxPress = 0;
    std::int16_t ActiveMinPress = 0;
    std::int16_t ActiveMaxFrens = 0;
    std::int16_t ActiveMinFrens = 0;
};

/// True only for the exact, case-sensitive text "Imperial"; anything else counts as metric.
bool IsImperial(std::string_view unitats);

/// A double stored into a single: NaN and infinities pass through, a finite value beyond the
/// single range throws core::NumberError (the run-time's overflow).
float ToSingle(double value);

/// Sets the unit system and the three unit texts of units. Never fails.
void SetUnitTexts(DisplayUnits& units, bool imperial);

/// Sets the eight active thresholds of units: the configured MaxMin values, converted to
/// Fahrenheit and psi (rounded halves to even) when imperial. Throws core::NumberError when a
/// converted value does not fit 16 bits, leaving the thresholds set before it.
void SetActiveThresholds(DisplayUnits& units, const core::Settings& settings, bool imperial);

/// A fuel quantity in the other unit system (litres to US gallons or back), stored as a single.
float ConvertFuel(float value, bool toImperial);

/// The snapshot in the display units of settings: when Unitats is "Imperial" a converted copy
/// (temperatures x*1.8+32, pressures to psi, fuel to US gallons, wheel speeds to mph, each
/// computed in double and stored in the field's own type); otherwise an unchanged copy.
/// Throws core::NumberError when a converted single overflows.
telemetry::Snapshot InDisplayUnits(const telemetry::Snapshot& snapshot,
                                   const core::Settings& settings);

}  // namespace kerbview::panel
