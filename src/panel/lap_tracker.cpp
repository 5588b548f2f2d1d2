// SPDX-License-Identifier: MIT
#include "panel/lap_tracker.h"

#include "panel/units.h"

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
        ReferenceCounts = !AtStart;
    }
    AtStart = false;
}

std::optional<float> LapState::CloseLapOnChange(std::int16_t lapNumber, float fuel) {
    if (static_cast<float>(lapNumber) == LapStartNumber) return std::nullopt;
    std::optional<float> used;
    if (ReferenceCounts) used = LapStartFuel - fuel;
    LapStartFuel = fuel;
    LapStartNumber = lapNumber;
    ReferenceCounts = true;
    if (used) LastFuelUsed = used;
    return used;
}

void LapState::ConvertFuelUnit(bool toImperial) {
    LapStartFuel = ConvertFuel(LapStartFuel, toImperial);
    if (LastFuelUsed) LastFuelUsed = ConvertFuel(*LastFuelUsed, toImperial);
}

void LapState::Restart() {
    LapReferencePending = true;
    ReferenceCounts = false;
    AtStart = true;
}

}  // namespace kerbview::panel
