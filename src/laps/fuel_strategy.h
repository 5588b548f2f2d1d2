// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "laps/lap_history.h"

/// Fuel to the finish, drawn from a stint's lap rows (docs/laps-and-fuel.md). Every quantity is
/// metric (litres, seconds); display_units.h converts for display.
namespace kerbview::laps {

/// The most green laps the consumption rests on: the latest ones.
inline constexpr std::size_t kGreenLapsUsed = 5;
/// A lap whose fuel used or lap time is further than this share from the median of the
/// candidates is left out (a fuel-saving lap, a spin).
inline constexpr double kMedianTolerance = 0.15;
/// The fewest green laps a figure from this stint rests on.
inline constexpr std::size_t kFewestGreenLaps = 2;

/// The race length the driver entered.
struct RaceLength {
    enum class Unit { Laps, Minutes };
    Unit unit = Unit::Laps;
    /// Laps (a whole number) or minutes on the program's clock from the crossing into lap 1.
    double value = 0;
};

/// The race settings, metric.
struct RaceSettings {
    /// None: no race length entered; the figures then stop at the fuel left.
    std::optional<RaceLength> Length;
    /// Laps of fuel kept in hand beyond the finish.
    double ReserveLaps = 1;
    /// The tank's size in litres, when entered: caps the fuel to add and counts the stops.
    std::optional<double> TankSize;
};

/// Consumption per lap and the lap time that goes with it, and what they rest on.
struct Consumption {
    float FuelPerLap = 0;  // litres
    float LapTime = 0;     // seconds
    /// The green laps the figure rests on: this stint's, or for a remembered figure those it
    /// rested on when it was kept.
    int Laps = 0;
    /// Remembered from an earlier run of this car on this track, not this stint's laps.
    bool FromMemory = false;
    bool operator==(const Consumption&) const = default;
};

/// The indices in rows of the green laps the consumption rests on, oldest first. The
/// candidates are the latest kGreenLapsUsed rows that have a lap time and a fuel used above 0,
/// were watched from their start, and neither touched the pits, took fuel, nor had the
/// ignition off; of those, a lap whose fuel used or lap time differs from the candidates'
/// median (the mean of the two middle values for an even count) by more than
/// kMedianTolerance of that median is left out.
std::vector<std::size_t> GreenLaps(std::span<const LapRow> rows);

/// The consumption of this stint: the means of the fuel used and of the lap times over
/// GreenLaps(rows). None when fewer than kFewestGreenLaps laps are green.
std::optional<Consumption> StintConsumption(std::span<const LapRow> rows);

/// A consumption kept between runs for one car on one track, so that a race's first stint has
/// a figure from practice. Texts are Windows-1252 as the simulator gives them.
struct ConsumptionMemory {
    std::string Car;
    std::string Track;
    Consumption Figure;  // FromMemory is set when read back

    /// One line, without a line end: fuel per lap, lap time and laps with a point as the
    /// decimal mark, then car and track, separated by tabs. Tabs, CR and LF in the names are
    /// written as spaces.
    std::string ToLine() const;
    /// Reads a line written by ToLine. None for anything else: a wrong count of fields, a
    /// number that is not one, a fuel per lap or lap time that is not above 0.
    static std::optional<ConsumptionMemory> FromLine(std::string_view line);
    bool operator==(const ConsumptionMemory&) const = default;
};

/// Where the race is now.
struct RaceNow {
    float Fuel = 0;  // litres
    /// The lap in progress (the snapshot's LapNumber; lap 1 is the first racing lap).
    std::int16_t LapNumber = 0;
    /// The program's time since the crossing into lap 1; none when not seen.
    std::optional<std::int64_t> RaceClockMs;
    /// The race clock at the crossing that started the lap in progress; none when not seen.
    std::optional<std::int64_t> LapStartClockMs;
};

/// The race clock and lap of a history at the program's time nowMs.
RaceNow RaceNowOf(const LapHistory& history, std::int64_t nowMs);

/// What is left to the finish of the race length entered.
struct RaceFigures {
    /// Laps still to drive, the lap in progress counted whole; 0 once the race is run.
    int LapsToDrive = 0;
    /// Fuel for those laps and the reserve (0 once the race is run).
    float FuelNeeded = 0;
    /// FuelNeeded less the fuel in the tank, at least 0, capped by the room in the tank now
    /// (TankSize - Fuel) when the tank size is known.
    float FuelToAdd = 0;
    /// 0 when the fuel in the tank suffices; otherwise, with a tank size, the extra fuel
    /// divided by a full tank, rounded up (each stop adds at most a tank); without one, 1.
    int StopsNeeded = 0;
    bool operator==(const RaceFigures&) const = default;
};

/// The fuel strategy.
struct FuelFigures {
    Consumption Basis;
    double LapsOfFuel = 0;     // Fuel / FuelPerLap
    double MinutesOfFuel = 0;  // LapsOfFuel * LapTime / 60
    /// None without a race length, and for a timed race under way whose start was not seen.
    std::optional<RaceFigures> Race;
};

/// The strategy from this stint's rows, or from remembered when fewer than kFewestGreenLaps
/// laps are green. None when neither gives a figure: nothing rather than a guess.
///
/// Laps still to drive: for a race of N laps, N - LapNumber + 1 (at least 0); for a race of T
/// minutes, the lap in progress plus every lap that starts before the clock reaches T, the next
/// crossing expected one lap time after the lap in progress started (one lap time from now when
/// that start was not seen, now when the lap is overdue); a lap that started at or after T
/// means the race is run. Before the start (LapNumber below 1, no race clock) a timed race
/// counts the lap in progress plus ceil(T / LapTime).
std::optional<FuelFigures> FuelToFinish(std::span<const LapRow> rows, const RaceNow& now,
                                        const RaceSettings& settings,
                                        const std::optional<Consumption>& remembered);

}  // namespace kerbview::laps
