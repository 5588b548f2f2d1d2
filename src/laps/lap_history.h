// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "panel/lap_tracker.h"
#include "telemetry/snapshot.h"

/// The lap history of a stint and the fuel strategy drawn from it (docs/laps-and-fuel.md). Plain
/// logic: fed snapshots and times, it returns rows and figures, all in metric units; the
/// display's conversion is display_units.h.
namespace kerbview::laps {

/// One finished lap, in metric units: seconds, litres, degrees Celsius, kPa, radians per second.
/// A lap's scans run from the scan at the line that started it through the scan at the line
/// that ended it (the scan at a line belongs to both laps).
struct LapRow {
    /// The lap that ended: the snapshot's LapNumber before the change.
    std::int16_t LapNumber = 0;
    /// The game's LastLap for this lap; none when the game gave no new time within
    /// kLapTimeWaitMs, or when the lap number did not move on by one (a jump or a new session).
    std::optional<float> LapTime;
    /// The fuel used on the lap by the panel's rule (panel::LapState, fed in litres): fuel at
    /// the reference minus fuel at the line. None when the lap was not watched from its start.
    /// Negative when fuel went in with the ignition on.
    std::optional<float> FuelUsed;
    /// Fuel in the tank at the line that ended the lap.
    float FuelAtLine = 0;
    /// Position at the line that ended the lap.
    std::int16_t Position = 0;
    /// The program's time (the nowMs given to LapHistory::Take) of the scan at that line.
    std::int64_t LineMs = 0;

    /// The lap was watched from its start: FuelUsed is there, and the averages and peaks cover
    /// the whole lap (otherwise only the part seen).
    bool WatchedFromStart = false;
    /// InPits or PitLimiter was set at some scan of the lap.
    bool TouchedPits = false;
    /// InPits went from set to clear during the lap: the car left the pits.
    bool OutLap = false;
    /// InPits went from clear to set during the lap: the car entered the pits.
    bool InLap = false;
    /// The fuel rose during the lap by more than kRefuelRise from one scan to the next.
    bool Refuelled = false;
    /// The ignition was off at some scan of the lap: the panel's rule then measures the fuel
    /// only from the ignition coming back on, so FuelUsed covers part of the lap.
    bool IgnitionOff = false;
    /// The fastest of the stint's laps that have a lap time and did not touch the pits (a pit
    /// lane can be shorter than the track, and a pit lap is no reference to drive against).
    /// At most one row is marked; a tie goes to the earlier lap.
    bool Best = false;

    /// Per zone, in the snapshot's order (FL 1-3, FR 1-3, RL 1-3, RR 1-3): the mean over the
    /// lap's scans (each scan counts once) and the highest value.
    std::array<float, 12> TyreTempAverage{};
    std::array<float, 12> TyreTempPeak{};
    /// Per wheel (FL, FR, RL, RR): the mean tyre pressure and the highest brake temperature.
    std::array<float, 4> TyrePressureAverage{};
    std::array<float, 4> BrakeTempPeak{};
    float WaterTempPeak = 0;
    float OilTempPeak = 0;
    /// Radians per second as read; display_units.h turns it into rpm.
    float EngineSpeedPeak = 0;

    bool operator==(const LapRow&) const = default;
};

/// How long a row waits for the game's LastLap after the lap number changed. The game writes
/// the lap time a moment after the lap count (within a frame or two); a second scan at the
/// slowest scan times still falls inside 3 s, and a row held longer would keep the fuel figure
/// of a green lap from the strategy for no gain. A row whose time did not come is kept
/// without one rather than given the previous lap's time.
inline constexpr std::int64_t kLapTimeWaitMs = 3000;

/// A rise of the fuel between two scans above this many litres is a refuel; smaller ones are
/// taken as the reading's noise.
inline constexpr float kRefuelRise = 0.1f;

/// The lap history of one stint: one car on one track. Fed every snapshot (base units, as
/// acquired or received, before any display conversion) with the program's time of the scan.
/// Never throws; keeps no reference to what it is given.
class LapHistory {
public:
    /// Takes one scan. nowMs is the program's own clock (or a recording's sample time on
    /// replay) and never decreases. At a change of LapNumber the lap that ended becomes a
    /// pending row, which is moved to Rows() once the game's LastLap differs from its value at
    /// the scan before the change (at once when it changed at the same scan), or once
    /// kLapTimeWaitMs have passed without that. A snapshot whose CarName or TrackName differs
    /// from the stint's starts a new history: the rows, the pending row and the race clock are
    /// dropped, and the lap under way is not watched from its start.
    void Take(const telemetry::Snapshot& snapshot, std::int64_t nowMs);

    /// The snapshots start afresh (simulator attached, connection made): the lap under way is
    /// not watched from its start. A pending row is completed without a lap time. The rows and
    /// the race clock stay.
    void Restart();

    /// The finished laps of the stint, oldest first.
    const std::vector<LapRow>& Rows() const { return m_rows; }
    /// The lap that ended last while its lap time is awaited; nothing otherwise. Everything but
    /// LapTime and Best is final.
    const std::optional<LapRow>& Pending() const { return m_pending; }
    /// Goes up whenever Rows() or Pending() changed.
    std::uint64_t Revision() const { return m_revision; }

    /// The car and track of the stint (Windows-1252); empty before the first scan.
    const std::string& CarName() const { return m_car; }
    const std::string& TrackName() const { return m_track; }

    /// The program's time of the latest crossing of the line into lap 1 (the lap number
    /// changing to 1 from any other number): the start of the race clock. None until seen.
    std::optional<std::int64_t> RaceStartMs() const { return m_raceStartMs; }
    /// The program's time of the crossing that started the lap in progress; none when that
    /// crossing was not seen since the history's start or the last Restart.
    std::optional<std::int64_t> LapStartMs() const { return m_lapStartMs; }
    /// The latest scan's fuel (litres) and lap number; 0 before the first scan.
    float Fuel() const { return m_fuel; }
    std::int16_t LapNumber() const { return m_lapNumber; }

private:
    // What a lap's scans add up to, from the scan at its starting line on.
    struct LapScans {
        std::uint32_t count = 0;
        std::array<double, 12> tyreSum{};
        std::array<double, 4> pressureSum{};
        LapRow row;  // flags and peaks so far
        std::optional<bool> lastInPits;
        std::optional<float> lastFuel;
    };

    void StartNewHistory(const telemetry::Snapshot& snapshot);
    void AddScan(const telemetry::Snapshot& snapshot);
    void CloseLap(const telemetry::Snapshot& snapshot, std::int64_t nowMs,
                  std::optional<float> fuelUsed);
    void CompletePending(std::optional<float> lapTime);
    void MarkBest();

    std::string m_car;
    std::string m_track;
    bool m_started = false;
    panel::LapState m_lap;  // the panel's lap rule, fed in litres
    std::optional<std::int16_t> m_previousLap;
    float m_previousLastLap = 0;
    LapScans m_scans;
    std::vector<LapRow> m_rows;
    std::optional<LapRow> m_pending;
    float m_pendingBaseline = 0;  // LastLap at the scan before the pending row's line
    std::int64_t m_pendingSinceMs = 0;
    std::optional<std::int64_t> m_raceStartMs;
    std::optional<std::int64_t> m_lapStartMs;
    float m_fuel = 0;
    std::int16_t m_lapNumber = 0;
    std::uint64_t m_revision = 0;
};

}  // namespace kerbview::laps
