// SPDX-License-Identifier: MIT
// The lap history fed tables of worked scans; every expected figure is worked out by hand in
// the comment beside its case.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "laps/lap_history.h"

namespace kerbview::laps {
namespace {

// One scan of a worked lap; restart marks LapHistory::Restart() before it.
struct Scan {
    std::int64_t ms;
    std::int16_t lap;
    float fuel;
    float last;
    std::int16_t pits = 0;
    std::int16_t limiter = 0;
    std::int16_t contact = 1;
    bool restart = false;
};

telemetry::Snapshot Snap(const Scan& s) {
    telemetry::Snapshot snapshot;
    snapshot.CarName = "BMW 320si WTCC", snapshot.TrackName = "Anderstorp";
    snapshot.LapNumber = s.lap, snapshot.Fuel = s.fuel, snapshot.LastLap = s.last;
    snapshot.InPits = s.pits, snapshot.PitLimiter = s.limiter, snapshot.Contact = s.contact;
    return snapshot;
}

struct Expected {
    std::int16_t lap;
    std::optional<float> time;
    std::optional<float> used;
    bool pits, in, out, refuel, best;
};

struct Case {
    const char* name;
    std::vector<Scan> scans;
    std::vector<Expected> rows;
};

TEST(LapHistory, WorkedLapsGiveTheirRows) {
    const std::vector<Case> cases = {
        // Lap 1 is under way at the first scan: no fuel figure, but the game's time (92).
        // Lap 2: 59 at its line, 56 at the next: 3 used. Lap 3: limiter at 5 s, in the pits at
        // 6 s (in), 10 l in at 7 s (refuel), out at 8 s (out): 56 - 62 = -6 used; its 85 s
        // (a short pit lane) is the fastest but a pit lap, so lap 2's 91 is best.
        {"refuel during a pit lap",
         {{0, 1, 60, 0},
          {1000, 1, 59.5f, 0},
          {2000, 2, 59, 92},
          {3000, 2, 56.5f, 92},
          {4000, 3, 56, 91},
          {5000, 3, 54, 91, 0, 1},
          {6000, 3, 53.5f, 91, 1, 1},
          {7000, 3, 63.5f, 91, 1, 1},
          {8000, 3, 63, 91},
          {9000, 4, 62, 85}},
         {{1, 92.0f, std::nullopt, false, false, false, false, false},
          {2, 91.0f, 3.0f, false, false, false, false, true},
          {3, 85.0f, -6.0f, true, true, true, true, false}}},
        // The pits entered before the line (lap 2: in lap, 49 - 47 = 2 used) and left after it
        // (lap 3 starts at the line scan in the pits and leaves: out lap, 47 - 44 = 3 used).
        // The limiter alone marks lap 1 (pressed on the way in, a lap early): no lap is best.
        {"pit stop across the line",
         {{0, 1, 50, 0},
          {500, 1, 49.5f, 0, 0, 1},
          {1000, 2, 49, 90},
          {2000, 2, 47.5f, 90, 1, 1},
          {3000, 3, 47, 95, 1, 1},
          {4000, 3, 46.8f, 95},
          {5000, 4, 44, 100}},
         {{1, 90.0f, std::nullopt, true, false, false, false, false},
          {2, 95.0f, 2.0f, true, true, false, false, false},
          {3, 100.0f, 3.0f, true, false, true, false, false}}},
        // A restart within lap 2: that lap is not watched from its start (no figure); lap 3,
        // from its line on, is: 45 - 43 = 2.
        {"restart within a lap",
         {{0, 1, 50, 0},
          {1000, 2, 48, 90},
          {1500, 2, 47, 90},
          {2000, 2, 46.5f, 90, 0, 0, 1, true},
          {3000, 3, 45, 91},
          {4000, 4, 43, 92}},
         {{1, 90.0f, std::nullopt, false, false, false, false, true},
          {2, 91.0f, std::nullopt, false, false, false, false, false},
          {3, 92.0f, 2.0f, false, false, false, false, false}}},
        // Lap 1's time comes a second after its line (88.5). Lap 2's never comes: the row is
        // completed without one 3 s after its line (at 6 s), and the 89 that turns up at
        // 6.5 s is not taken for it. 48 - 46 = 2 used.
        {"lap time lagging, then not arriving",
         {{0, 1, 50, 80},
          {1000, 2, 48, 80},
          {1500, 2, 47.9f, 80},
          {2000, 2, 47.8f, 88.5f},
          {3000, 3, 46, 88.5f},
          {4000, 3, 45.9f, 88.5f},
          {6000, 3, 45, 88.5f},
          {6500, 3, 44.9f, 89}},
         {{1, 88.5f, std::nullopt, false, false, false, false, true},
          {2, std::nullopt, 2.0f, false, false, false, false, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LapHistory history;
        for (const Scan& s : c.scans) {
            if (s.restart) history.Restart();
            history.Take(Snap(s), s.ms);
        }
        ASSERT_EQ(history.Rows().size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const LapRow& r = history.Rows()[i];
            const Expected& e = c.rows[i];
            SCOPED_TRACE("lap " + std::to_string(e.lap));
            EXPECT_EQ(r.LapNumber, e.lap);
            EXPECT_EQ(r.LapTime, e.time);
            EXPECT_EQ(r.FuelUsed, e.used);
            EXPECT_EQ(r.WatchedFromStart, e.used.has_value());
            EXPECT_EQ(r.TouchedPits, e.pits);
            EXPECT_EQ(r.InLap, e.in);
            EXPECT_EQ(r.OutLap, e.out);
            EXPECT_EQ(r.Refuelled, e.refuel);
            EXPECT_EQ(r.Best, e.best);
        }
    }
}

TEST(LapHistory, PendingRowWaitsForTheLapTime) {
    LapHistory history;
    history.Take(Snap({0, 1, 50, 80}), 0);
    history.Take(Snap({1000, 2, 48, 80}), 1000);
    ASSERT_TRUE(history.Pending().has_value());
    EXPECT_EQ(history.Pending()->FuelAtLine, 48.0f);
    EXPECT_TRUE(history.Rows().empty());
    history.Take(Snap({1200, 2, 47.9f, 81}), 1200);
    EXPECT_FALSE(history.Pending().has_value());
    ASSERT_EQ(history.Rows().size(), 1u);
    EXPECT_EQ(history.Rows()[0].LapTime, 81.0f);
}

// Lap 2's scans: its start line (base 80), one scan inside (90) and its end line (100): means
// of 90, peaks of 100. Lap 1 has only its first scan (70) and its end line (80): mean 75. The
// tyre zones read base - 110 + z (a cold tyre on a winter track: -20 + z, peak -10 + z for lap
// 2, mean -35 + z for lap 1); pressures 2 * base + w, brakes 5 * base + w.
TEST(LapHistory, AveragesAndPeaksCoverBothLinesOfTheLap) {
    LapHistory history;
    const float base[] = {70, 80, 90, 100};
    const std::int16_t laps[] = {1, 2, 2, 3};
    for (int i = 0; i < 4; ++i) {
        telemetry::Snapshot s = Snap({i * 1000, laps[i], 50.0f - static_cast<float>(i), 90});
        for (std::size_t z = 0; z < 12; ++z) s.TyreTemp[z] = base[i] - 110 + static_cast<float>(z);
        for (std::size_t w = 0; w < 4; ++w) {
            s.TyrePressure[w] = 2 * base[i] + static_cast<float>(w);
            s.BrakeTemp[w] = 5 * base[i] + static_cast<float>(w);
        }
        s.WaterTemp = base[i], s.OilTemp = base[i] + 1, s.EngineSpeed = 8 * base[i];
        history.Take(s, i * 1000);
    }
    ASSERT_EQ(history.Rows().size(), 1u);  // lap 2's time (still 90) has not come yet
    ASSERT_TRUE(history.Pending().has_value());
    const LapRow& lap1 = history.Rows()[0];
    const LapRow& lap2 = *history.Pending();
    for (std::size_t z = 0; z < 12; ++z) {
        EXPECT_EQ(lap1.TyreTempAverage[z], -35.0f + static_cast<float>(z));
        EXPECT_EQ(lap2.TyreTempAverage[z], -20.0f + static_cast<float>(z));
        EXPECT_EQ(lap2.TyreTempPeak[z], -10.0f + static_cast<float>(z));
    }
    for (std::size_t w = 0; w < 4; ++w) {
        EXPECT_EQ(lap2.TyrePressureAverage[w], 180.0f + static_cast<float>(w));
        EXPECT_EQ(lap2.BrakeTempPeak[w], 500.0f + static_cast<float>(w));
    }
    EXPECT_EQ(lap2.WaterTempPeak, 100.0f);
    EXPECT_EQ(lap2.OilTempPeak, 101.0f);
    EXPECT_EQ(lap2.EngineSpeedPeak, 800.0f);
}

// The race clock starts at the crossing into lap 1 (5 s) and again at a new session's (the
// lap number falling back to 1 at 100 s, whose row gets no lap time though LastLap moved).
// Another track then starts a new history: no rows, no race clock, and its first lap change
// gives no fuel figure (the lap under way was not watched from its start).
TEST(LapHistory, RaceClockAndNewTrackStartAfresh) {
    LapHistory history;
    history.Take(Snap({0, 0, 60, 0}), 0);
    history.Take(Snap({5000, 1, 59.9f, 0}), 5000);
    EXPECT_EQ(history.RaceStartMs(), 5000);
    history.Take(Snap({95000, 2, 57, 90}), 95000);
    EXPECT_EQ(history.LapStartMs(), 95000);
    history.Take(Snap({100000, 1, 56.9f, 91}), 100000);
    EXPECT_EQ(history.RaceStartMs(), 100000);
    ASSERT_EQ(history.Rows().size(), 3u);
    EXPECT_EQ(history.Rows()[2].LapNumber, 2);
    EXPECT_EQ(history.Rows()[2].LapTime, std::nullopt);

    telemetry::Snapshot other = Snap({101000, 4, 40, 70});
    other.TrackName = "Monza";
    history.Take(other, 101000);
    EXPECT_TRUE(history.Rows().empty());
    EXPECT_EQ(history.RaceStartMs(), std::nullopt);
    other.LapNumber = 5, other.LastLap = 71, other.Fuel = 38;
    history.Take(other, 102000);
    ASSERT_EQ(history.Rows().size(), 1u);
    EXPECT_EQ(history.Rows()[0].FuelUsed, std::nullopt);
    EXPECT_EQ(history.TrackName(), "Monza");
}

}  // namespace
}  // namespace kerbview::laps
