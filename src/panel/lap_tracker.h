// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

namespace kerbview::panel {

/// The lap reference kept between scans, from which the fuel used on the last lap is measured.
/// All zero at program start: the reference is not pending, so with the ignition already on the
/// first lap change compares with lap 0 and fuel 0.
struct LapState {
    bool LapReferencePending = false;
    /// LapNumber at the last lap reference.
    float LapStartNumber = 0;
    /// Fuel at the last lap reference, in the display unit.
    float LapStartFuel = 0;

    /// Lap reference by the ignition flag: a contact other than 1 makes the reference pending;
    /// the first contact of 1 after that stores lapNumber and fuel and clears the pending flag.
    void TrackContact(std::int16_t contact, std::int16_t lapNumber, float fuel);

    /// Fuel used since the reference (LapStartFuel - fuel, single precision, unlimited: a refuel
    /// gives a negative figure) when lapNumber differs from LapStartNumber; nothing otherwise.
    /// Changes nothing: the caller shows the figure, then calls CloseLap.
    std::optional<float> FuelUsedOnLapChange(std::int16_t lapNumber, float fuel) const;

    /// Moves the reference to lapNumber and fuel.
    void CloseLap(std::int16_t lapNumber, float fuel);
};

}  // namespace kerbview::panel
