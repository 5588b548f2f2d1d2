// SPDX-License-Identifier: MIT
#pragma once

/// The one conversion of the lap history's and the fuel strategy's metric quantities for
/// display, with the panel's own factors (panel/units.h), so a change of Unitats mid-stint
/// converts what is shown and never what is kept.
namespace kerbview::laps {

/// What a number measures. Lap times, positions and lap counts are shown as kept.
enum class Quantity {
    Temperature,  ///< degrees Celsius; Fahrenheit when imperial
    Pressure,     ///< kPa; psi when imperial
    Fuel,         ///< litres; US gallons when imperial
    EngineSpeed,  ///< radians per second; rpm in both systems, as the panel shows it
};

/// A kept (metric) value in the display unit of the unit system.
double ForDisplay(Quantity quantity, double value, bool imperial);
/// A value entered in the display unit (a tank size typed in gallons) as kept (metric).
double FromDisplay(Quantity quantity, double value, bool imperial);

}  // namespace kerbview::laps
