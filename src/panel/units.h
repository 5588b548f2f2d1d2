// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/error_report.h"
#include "core/settings.h"
#include "panel/lap_tracker.h"
#include "panel/panel_model.h"
#include "telemetry/snapshot.h"

namespace kerbview::panel {

/// Metric to imperial factors, applied in double precision.
inline constexpr double kFahrenheitScale = 1.8;
inline constexpr double kFahrenheitOffset = 32.0;
inline constexpr double kKpaToPsi = 0.1451352418559;
inline constexpr double kLitresToGallons = 0.264172052358;
inline constexpr double kKmhToMph = 0.621371192237;

/// Writes one setting at once: section, key, value (Windows-1252). Its result is not examined.
using SettingWriter =
    std::function<void(std::string_view section, std::string_view key, std::string_view value)>;

/// The unit texts and the colour thresholds in the display unit. Empty texts and zero
/// thresholds until Canvia_Unitats first runs.
struct DisplayUnits {
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

/// The per-scan conversion: when settings.Unitats is "Imperial", converts the snapshot in place
/// (temperatures x*1.8+32, pressures to psi, fuel to US gallons, wheel speeds to mph), each
/// computed in double and stored back in the field's own type; in metric nothing is touched.
/// Throws core::NumberError when a converted single overflows.
void ConvertToDisplayUnits(telemetry::Snapshot& snapshot, const core::Settings& settings);

/// Owns the unit texts and active thresholds and applies the Unitats setting.
class Units {
public:
    /// write stores Opcions/Unitats; it may be empty (nothing is stored).
    explicit Units(SettingWriter write);

    const DisplayUnits& Current() const { return m_units; }

    /// Canvia_Unitats: unchecks Metrico and Imperial, checks the chosen one, sets the
    /// ProgressBar4 maximum (350 or 220), the unit texts and the eight active thresholds, then
    /// writes Opcions/Unitats. When the fuel unit changes, lap.LapStartFuel is converted to the
    /// new unit so that the next fuel-used figure does not mix litres and gallons.
    /// Never throws: an error (a threshold that does not fit 16 bits) is reported as
    /// "Canvia_Unitats"; the steps done stay done and nothing is written. Returns false then.
    bool Canvia_Unitats(const core::Settings& settings, PanelModel& panel, LapState& lap,
                        core::ErrorReporter& reporter);

    /// Metrico menu click: when Unitats is not "Metric", sets it and calls Canvia_Unitats;
    /// otherwise touches nothing.
    void Metrico_Click(core::Settings& settings, PanelModel& panel, LapState& lap,
                       core::ErrorReporter& reporter);
    /// Imperial menu click: when Unitats is not "Imperial", sets it and calls Canvia_Unitats;
    /// otherwise touches nothing.
    void Imperial_Click(core::Settings& settings, PanelModel& panel, LapState& lap,
                        core::ErrorReporter& reporter);

private:
    void Apply(const core::Settings& settings, PanelModel& panel, LapState& lap);

    SettingWriter m_write;
    DisplayUnits m_units;
};

}  // namespace kerbview::panel
