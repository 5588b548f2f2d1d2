// SPDX-License-Identifier: MIT
// The green-lap rule, the fuel to the finish and the display conversion, on rows worked by hand.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

#include "laps/display_units.h"
#include "laps/fuel_strategy.h"

namespace kerbview::laps {
namespace {

// A lap watched from its start, with one flag of LapRow set when given.
LapRow Lap(float fuel, float time, bool LapRow::*flag = nullptr) {
    LapRow r;
    r.FuelUsed = fuel, r.LapTime = time, r.WatchedFromStart = true;
    if (flag) r.*flag = true;
    return r;
}

TEST(FuelStrategy, GreenLapsAreTheLatestFiveCleanLapsNearTheirMedian) {
    LapRow unwatched = Lap(3, 90), noTime = Lap(3, 90);
    unwatched.FuelUsed.reset(), unwatched.WatchedFromStart = false, noTime.LapTime.reset();
    const std::vector<std::pair<std::vector<LapRow>, std::vector<std::size_t>>> cases = {
        // Six clean laps: only the latest five count.
        {{Lap(3.3f, 90), Lap(3, 90), Lap(3.1f, 91), Lap(2.9f, 89), Lap(3, 90), Lap(3, 90)},
         {1, 2, 3, 4, 5}},
        // Median fuel of {3, 3, 2.4, 3, 3} is 3: 2.4 is 20 % under (fuel saving); of
        // {3, 3, 2.6, 3} it is 3 too (the two middle ones), and 2.6 at 13 % stays.
        {{Lap(3, 90), Lap(3, 90), Lap(2.4f, 92), Lap(3, 90), Lap(3, 90)}, {0, 1, 3, 4}},
        {{Lap(3, 90), Lap(3, 90), Lap(2.6f, 92), Lap(3, 90)}, {0, 1, 2, 3}},
        // Median time of {90, 90, 110, 90} is 90: the spin's 110 is 22 % over.
        {{Lap(3, 90), Lap(3, 90), Lap(3, 110), Lap(3, 90)}, {0, 1, 3}},
        // Pit, refuel, ignition-off, unwatched and timeless laps are no candidates: the five
        // are taken from the clean laps around them.
        {{Lap(3, 90), Lap(3, 90), Lap(3, 90, &LapRow::TouchedPits), Lap(3, 90),
          Lap(3, 90, &LapRow::Refuelled), Lap(3, 90, &LapRow::IgnitionOff), Lap(3, 90), unwatched,
          noTime, Lap(3, 90), Lap(3, 90)},
         {1, 3, 6, 9, 10}},
        // Two laps whose median (2.5) both are 20 % off: no figure rather than a guess.
        {{Lap(2, 90), Lap(3, 90)}, {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(GreenLaps(cases[i].first), cases[i].second) << "case " << i;
    }
    // The mean of the latest five of the first case: (3 + 3.1 + 2.9 + 3 + 3) / 5 = 3 l, and
    // (90 + 91 + 89 + 90 + 90) / 5 = 90 s.
    const auto consumption = StintConsumption(cases[0].first);
    ASSERT_TRUE(consumption.has_value());
    EXPECT_FLOAT_EQ(consumption->FuelPerLap, 3.0f);
    EXPECT_FLOAT_EQ(consumption->LapTime, 90.0f);
    EXPECT_EQ(consumption->Laps, 5);
}

RaceSettings Laps(double laps, std::optional<double> tank = std::nullopt) {
    return RaceSettings{RaceLength{RaceLength::Unit::Laps, laps}, 1, tank};
}
RaceSettings Minutes(double minutes) {
    return RaceSettings{RaceLength{RaceLength::Unit::Minutes, minutes}, 1, std::nullopt};
}
RaceNow At(float fuel, std::int16_t lap, std::optional<std::int64_t> clock = std::nullopt,
           std::optional<std::int64_t> lapStart = std::nullopt) {
    return RaceNow{fuel, lap, clock, lapStart};
}

using Race = RaceFigures;

// Two green laps of 3 l and 90 s: 3 l a lap, 90 s a lap. A 30-minute race is 1 800 000 ms.
TEST(FuelStrategy, FuelToFinishForLapsAndTimedRaces) {
    const std::vector<LapRow> rows = {Lap(3, 90), Lap(3, 90)};
    struct Case {
        const char* name;
        RaceSettings settings;
        RaceNow now;
        std::optional<RaceFigures> race;
    };
    const std::vector<Case> cases = {
        // 20 - 15 + 1 = 6 laps; (6 + 1) * 3 = 21 l; 21 - 10 = 11 to add; one stop.
        {"laps race", Laps(20), At(10, 15), Race{6, 21, 11, 1}},
        // 55 l in a 60 l tank covers the 21 l needed.
        {"enough fuel", Laps(20, 60), At(55, 15), Race{6, 21, 0, 0}},
        // 40 laps from lap 1: 41 * 3 = 123 l; 73 more, 10 fit now; ceil(73 / 60) = 2 stops.
        {"tank caps the fuel to add", Laps(40, 60), At(50, 1), Race{40, 123, 10, 2}},
        {"laps race run", Laps(20), At(10, 21), Race{0, 0, 0, 0}},
        // Lap started at 28:29: next line at 29:59, a second before the clock runs out, so one
        // more lap starts: 2 laps, (2 + 1) * 3 = 9 l.
        {"last lap starts just before the end", Minutes(30), At(20, 5, 1'750'000, 1'709'000),
         Race{2, 9, 0, 0}},
        // Lap started at 28:31: next line at 30:01, after the end: this lap is the last.
        {"last lap under way", Minutes(30), At(20, 5, 1'750'000, 1'711'000), Race{1, 6, 0, 0}},
        // The lap in progress started at 30:01: the flag has been shown.
        {"timed race run", Minutes(30), At(20, 6, 1'802'000, 1'801'000), Race{0, 0, 0, 0}},
        // 150 s into a 90 s lap at 29:10: its line is due now, and one more lap starts
        // before 30:00: 1 + ceil(50 / 90) = 2.
        {"overdue lap", Minutes(30), At(20, 5, 1'750'000, 1'600'000), Race{2, 9, 0, 0}},
        // On the grid: the lap in progress and ceil(1800 / 90) = 20 laps; 21 + 1 reserve = 66 l.
        {"before the start", Minutes(30), At(60, 0), Race{21, 66, 6, 1}},
        {"timed race joined late", Minutes(30), At(20, 3), std::nullopt},
        // A length no race has (a damaged settings file) stops at a million laps.
        {"absurd length", Laps(1e12), At(10, 15), Race{1'000'000, 3'000'003, 2'999'993, 1}},
        {"no race length", RaceSettings{}, At(20, 3), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto figures = FuelToFinish(rows, c.now, c.settings, std::nullopt);
        ASSERT_TRUE(figures.has_value());
        EXPECT_EQ(figures->Race, c.race);
        EXPECT_DOUBLE_EQ(figures->LapsOfFuel, c.now.Fuel / 3.0);
        EXPECT_DOUBLE_EQ(figures->MinutesOfFuel, c.now.Fuel / 3.0 * 1.5);
    }
}

TEST(FuelStrategy, NothingBeforeTwoGreenLapsUnlessRemembered) {
    const RaceNow now = At(20, 5);
    const std::vector<LapRow> one = {Lap(9, 90, &LapRow::TouchedPits), Lap(3, 90)};
    EXPECT_FALSE(FuelToFinish(one, now, Laps(10), std::nullopt).has_value());

    const Consumption remembered{2.5f, 80, 4, false};
    auto figures = FuelToFinish(one, now, Laps(10), remembered);
    ASSERT_TRUE(figures.has_value());
    EXPECT_TRUE(figures->Basis.FromMemory);
    EXPECT_EQ(figures->Basis.Laps, 4);
    EXPECT_DOUBLE_EQ(figures->LapsOfFuel, 8.0);  // 20 / 2.5

    // Two green laps: the stint's own figure wins over the memory.
    figures = FuelToFinish(std::vector<LapRow>{Lap(3, 90), Lap(3, 90)}, now, Laps(10), remembered);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->Basis, (Consumption{3, 90, 2, false}));
}

TEST(FuelStrategy, ConsumptionMemoryLinesReadBackAndBadOnesAreRefused) {
    const ConsumptionMemory kept{"BMW\t320si", "Anderstorp", {2.95f, 93.807f, 5, false}};
    EXPECT_EQ(kept.ToLine(), "2.95\t93.807\t5\tBMW 320si\tAnderstorp");
    const auto back = ConsumptionMemory::FromLine(kept.ToLine());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Figure, (Consumption{2.95f, 93.807f, 5, true}));
    EXPECT_EQ(back->Car, "BMW 320si");
    for (const char* bad :
         {"", "2.95\t93.8\t5\tcar", "x\t93.8\t5\tcar\ttrack", "-1\t93.8\t5\tcar\ttrack",
          "2.95\t0\t5\tcar\ttrack", "2.95\t93.8\t5\tcar\ttrack\textra"}) {
        EXPECT_FALSE(ConsumptionMemory::FromLine(bad).has_value()) << bad;
    }
}

// What is kept stays metric whatever Unitats says: a change of units converts the display only,
// and a tank size entered in gallons is kept in litres.
TEST(FuelStrategy, UnitsChangeTheDisplayOnly) {
    // Per quantity: a metric value, it in imperial units, and its display in the metric system.
    // 100 C = 212 F; 200 kPa * 0.1451352418559 psi; 60 l * 0.264172052358 gal;
    // 100 rad/s * 9.549 = 954.9 rpm in both systems.
    const std::tuple<Quantity, double, double, double> cases[] = {
        {Quantity::Temperature, 100, 212, 100},
        {Quantity::Pressure, 200, 29.02704837118, 200},
        {Quantity::Fuel, 60, 15.85032314148, 60},
        {Quantity::EngineSpeed, 100, 954.9, 954.9}};
    for (const auto& [quantity, metric, imperial, display] : cases) {
        EXPECT_NEAR(ForDisplay(quantity, metric, true), imperial, 1e-9);
        EXPECT_NEAR(ForDisplay(quantity, metric, false), display, 1e-9);
        EXPECT_NEAR(FromDisplay(quantity, imperial, true), metric, 1e-9);
    }
}

}  // namespace
}  // namespace kerbview::laps
