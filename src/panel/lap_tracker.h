// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

namespace kerbview::panel {

/// The lap reference kept between scans, from which the fuel used on the last lap is measured.
/// A reference counts when it was taken at a lap change or when the ignition came back on (so
/// fuel added with the ignition off does not show as consumption). A reference taken on the
/// first scan after a start (of the program, or of the feed of snapshots) with the ignition
/// already on lies somewhere inside a lap under way: the lap change that ends that lap gives no
/// figure and only moves the reference to the new lap's start.
struct LapState {
    /// Set while the contact is off, and at a start: the next scan with the contact on takes a
    /// new reference.
    bool LapReferencePending = true;
    /// LapNumber at the last lap reference.
    float LapStartNumber = 0;
    /// Fuel at the last lap reference, in the display unit.
    float LapStartFuel = 0;
    /// The reference counts: the lap change that ends its lap gives a figure.
    bool ReferenceCounts = false;
    /// No scan has been seen since the start.
    bool AtStart = true;
    /// The fuel used on the last lap as last shown, in the display unit; none before the first.
    std::optional<float> LastFuelUsed;

    /// Lap reference by the ignition flag: a contact other than 1 makes the reference pending;
    /// the first contact of 1 after that stores lapNumber and fuel and clears the pending flag.
    void TrackContact(std::int16_t contact, std::int16_t lapNumber, float fuel);

    /// At a change of lapNumber (any change: a new lap, a restart, a jump) moves the reference
    /// to lapNumber and fuel, and returns the fuel used since the reference (LapStartFuel -
    /// fuel, unlimited: a refuel during the lap gives a negative figure) when the reference
    /// counts. Returns nothing when the lap number has not changed.
    std::optional<float> CloseLapOnChange(std::int16_t lapNumber, float fuel);

    /// The display unit of fuel changed: LapStartFuel and LastFuelUsed follow it.
    void ConvertFuelUnit(bool toImperial);

    /// The snapshots start afresh (the simulator attached, a connection to the server made):
    /// the next scans are taken as at program start. The figure last shown stays.
    void Restart();
};

}  // namespace kerbview::panel
