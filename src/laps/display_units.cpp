// SPDX-License-Identifier: MIT
#include "laps/display_units.h"

#include "panel/units.h"

namespace kerbview::laps {

double ForDisplay(Quantity quantity, double value, bool imperial) {
    switch (quantity) {
        case Quantity::EngineSpeed: return value * panel::kRadPerSecToRpm;
        case Quantity::Temperature:
            return imperial ? value * panel::kFahrenheitScale + panel::kFahrenheitOffset : value;
        case Quantity::Pressure: return imperial ? value * panel::kKpaToPsi : value;
        case Quantity::Fuel: return imperial ? value * panel::kLitresToGallons : value;
    }
    return value;
}

double FromDisplay(Quantity quantity, double value, bool imperial) {
    switch (quantity) {
        case Quantity::EngineSpeed: return value / panel::kRadPerSecToRpm;
        case Quantity::Temperature:
            return imperial ? (value - panel::kFahrenheitOffset) / panel::kFahrenheitScale : value;
        case Quantity::Pressure: return imperial ? value / panel::kKpaToPsi : value;
        case Quantity::Fuel: return imperial ? value / panel::kLitresToGallons : value;
    }
    return value;
}

}  // namespace kerbview::laps
