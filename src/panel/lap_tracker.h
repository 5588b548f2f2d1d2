// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

namespace kerbview::panel {

/// The lap reference kept between scans, from which the fuel used on the last lap is measured.
/// A figure is given only for a lap watched from its start: a reference taken at program start
/// or when the ignition comes back on lies somewhere inside a lap, so the lap change that ends
/// that lap only moves the reference to the new lap's start.
struct LapState {
    /// Set while the contact is off, and at program start: the next scan with the contact on
    /// takes a new reference.
    bool LapReferencePending = true;
    /// LapNumber at the last lap reference.
    float LapStartNumber = 0;
    /// Fuel at the last lap reference, in the display unit.
    float LapStartFuel = 0;
    /// The reference was taken at a lap change: the current lap is watched from its start.
    bool LapObservedFromStart = false;
    /// The fuel used on the last lap as last shown, in the display unit; none before the first.
    std::optional<float> LastFuelUsed;

    /// Lap reference by the ignition flag: a contact other than 1 makes the reference pending;
    /// the first contact of 1 after that stores lapNumber and fuel and clears the pending flag.
    void TrackContact(std::int16_t contact, std::int16_t lapNumber, float fuel);

    /// At a change of lapNumber (any change: a new lap, a restart, a jump) moves the reference
    /// to lapNumber and fuel, and returns the fuel used since the reference (LapStartFuel -
    /// fuel, unlimited: a refuel during the lap gives a negative figure) when the lap that ended
    /// was watched from its start. Returns nothing when the lap number has not changed.
    std::optional<float> CloseLapOnChange(std::int16_t lapNumber, float fuel);

    /// The display unit of fuel changed: LapStartFuel and LastFuelUsed follow it.
    void ConvertFuelUnit(bool toImperial);
};

}  // namespace kerbview::panel
