// SPDX-License-Identifier: MIT
#include "panel/lap_tracker.h"

namespace kerbview::panel {

void LapState::TrackContact(std::int16_t contact, std::int16_t lapNumber, float fuel) {
    if (contact != 1) {
        LapReferencePending = true;
    } else if (LapReferencePending) {
        // A fresh reference whenever the ignition comes back on, so fuel added with the
        // ignition off during the same lap does not count as consumption.
        LapStartNumber = lapNumber;
        LapStartFuel = fuel;
        LapReferencePending = false;
    }
}

std::optional<float> LapState::FuelUsedOnLapChange(std::int16_t lapNumber, float fuel) const {
    if (static_cast<float>(lapNumber) == LapStartNumber) return std::nullopt;
    return LapStartFuel - fuel;
}

void LapState::CloseLap(std::int16_t lapNumber, float fuel) {
    LapStartFuel = fuel;
    LapStartNumber = lapNumber;
}

}  // namespace kerbview::panel
