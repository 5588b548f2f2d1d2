// SPDX-License-Identifier: MIT
// The lap history fed tables of worked scans; every expected figure is worked out by hand in
// the comment beside its case.
#include <gtest/gtest.h>

#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "laps/lap_history.h"

namespace kerbview::laps {
namespace {

telemetry::Snapshot Snap(std::int16_t lap, float fuel, float lastLap) {
    telemetry::Snapshot s;
    s.CarName = "BMW 320si WTCC", s.TrackName = "Anderstorp", s.Contact = 1;
    s.LapNumber = lap, s.Fuel = fuel, s.LastLap = lastLap;
    return s;
}

// Scans written "ms lap fuel lastLap [flags]", separated by ";". Flags: p in the pits, l pit
// limiter, R a Restart() before the scan.
std::vector<std::string> Replay(const std::string& scans) {
    LapHistory history;
    std::istringstream all(scans);
    for (std::string text; std::getline(all, text, ';');) {
        std::istringstream in(text);
        std::int64_t ms = 0;
        std::int16_t lap = 0;
        float fuel = 0, last = 0;
        std::string flags;
        in >> ms >> lap >> fuel >> last >> flags;
        telemetry::Snapshot s = Snap(lap, fuel, last);
        s.InPits = flags.find('p') != std::string::npos;
        s.PitLimiter = flags.find('l') != std::string::npos;
        if (flags.find('R') != std::string::npos) history.Restart();
        history.Take(s, ms);
    }
    std::vector<std::string> rows;
    for (const LapRow& r : history.Rows()) {
        std::ostringstream row;
        row << r.LapNumber << " time " << (r.LapTime ? std::to_string(*r.LapTime) : "-") << " used "
            << (r.FuelUsed ? std::to_string(*r.FuelUsed) : "-")
            << (r.WatchedFromStart != r.FuelUsed.has_value() ? " WATCHED?" : "")
            << (r.TouchedPits ? " pits" : "") << (r.InLap ? " in" : "") << (r.OutLap ? " out" : "")
            << (r.Refuelled ? " refuel" : "") << (r.Best ? " best" : "");
        rows.push_back(row.str());
    }
    return rows;
}

TEST(LapHistory, WorkedLapsGiveTheirRows) {
    struct Case {
        const char* name;
        const char* scans;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        // Lap 1 is under way at the first scan: no fuel figure, but the game's time (92). Lap 2:
        // 59 at its line, 56 at the next: 3 used. Lap 3: limiter, pits (in), 10 l in (refuel),
        // out: 56 - 62 = -6; its 85 s (a short pit lane) is fastest but a pit lap: lap 2 is best.
        {"refuel during a pit lap",
         "0 1 60 0; 1000 1 59.5 0; 2000 2 59 92; 3000 2 56.5 92; 4000 3 56 91; 5000 3 54 91 l;"
         "6000 3 53.5 91 pl; 7000 3 63.5 91 pl; 8000 3 63 91; 9000 4 62 85",
         {"1 time 92.000000 used -", "2 time 91.000000 used 3.000000 best",
          "3 time 85.000000 used -6.000000 pits in out refuel"}},
        // The pits entered before the line (lap 2: in lap, 49 - 47 = 2) and left after it (lap 3
        // starts on the line scan in the pits: out lap, 47 - 44 = 3). The limiter alone marks
        // lap 1 (pressed on the way in, a lap early); no lap is left to be best.
        {"pit stop across the line",
         "0 1 50 0; 500 1 49.5 0 l; 1000 2 49 90; 2000 2 47.5 90 pl; 3000 3 47 95 pl;"
         "4000 3 46.8 95; 5000 4 44 100",
         {"1 time 90.000000 used - pits", "2 time 95.000000 used 2.000000 pits in",
          "3 time 100.000000 used 3.000000 pits out"}},
        // A restart within lap 2: not watched from its start; lap 3 is: 45 - 43 = 2.
        {"restart within a lap",
         "0 1 50 0; 1000 2 48 90; 1500 2 47 90; 2000 2 46.5 90 R; 3000 3 45 91; 4000 4 43 92",
         {"1 time 90.000000 used - best", "2 time 91.000000 used -",
          "3 time 92.000000 used 2.000000"}},
        // Lap 1's time comes a second after its line (88.5). Lap 2's never comes: its row is
        // completed without one 3 s after its line (at 6 s), and the 89 turning up at 6.5 s is
        // not taken for it. 48 - 46 = 2 used.
        {"lap time lagging, then not arriving",
         "0 1 50 80; 1000 2 48 80; 1500 2 47.9 80; 2000 2 47.8 88.5; 3000 3 46 88.5;"
         "4000 3 45.9 88.5; 6000 3 45 88.5; 6500 3 44.9 89",
         {"1 time 88.500000 used - best", "2 time - used 2.000000"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Replay(c.scans), c.rows) << c.name;
}

// Lap 2's scans: its start line (base 80), one inside (90) and its end line (100), so means of
// 90 and peaks of 100; lap 1 has its first scan (70) and its end line (80): mean 75. Tyre zone z
// reads base - 110 + z (a cold tyre on a winter track: lap 2's mean -20 + z, peak -10 + z; lap
// 1's mean -35 + z); pressures 2 * base + w, brakes 5 * base + w. Lap 2's time has not come.
TEST(LapHistory, AveragesAndPeaksCoverBothLinesOfTheLap) {
    // The array a counting up by one from first: first + z at index z.
    const auto ramp = [](auto a, float first) {
        std::iota(a.begin(), a.end(), first);
        return a;
    };
    LapHistory history;
    const float base[] = {70, 80, 90, 100};
    const std::int16_t laps[] = {1, 2, 2, 3};
    for (int i = 0; i < 4; ++i) {
        telemetry::Snapshot s = Snap(laps[i], 50.0f - static_cast<float>(i), 90);
        s.TyreTemp = ramp(s.TyreTemp, base[i] - 110);
        s.TyrePressure = ramp(s.TyrePressure, 2 * base[i]);
        s.BrakeTemp = ramp(s.BrakeTemp, 5 * base[i]);
        s.WaterTemp = base[i], s.OilTemp = base[i] + 1, s.EngineSpeed = 8 * base[i];
        history.Take(s, i * 1000);
    }
    ASSERT_EQ(history.Rows().size(), 1u);
    ASSERT_TRUE(history.Pending().has_value());
    const LapRow& lap1 = history.Rows()[0];
    const LapRow& lap2 = *history.Pending();
    EXPECT_EQ(lap1.TyreTempAverage, ramp(lap1.TyreTempAverage, -35));
    EXPECT_EQ(lap2.TyreTempAverage, ramp(lap2.TyreTempAverage, -20));
    EXPECT_EQ(lap2.TyreTempPeak, ramp(lap2.TyreTempPeak, -10));
    EXPECT_EQ(lap2.TyrePressureAverage, ramp(lap2.TyrePressureAverage, 180));
    EXPECT_EQ(lap2.BrakeTempPeak, ramp(lap2.BrakeTempPeak, 500));
    EXPECT_EQ(lap2.WaterTempPeak, 100.0f);
    EXPECT_EQ(lap2.OilTempPeak, 101.0f);
    EXPECT_EQ(lap2.EngineSpeedPeak, 800.0f);
}

// The race clock starts at the crossing into lap 1 (5 s) and again at a new session's (the lap
// number falling back to 1 at 100 s, whose row gets no lap time though LastLap moved). Another
// track starts a new history: no rows, no race clock, and its first lap change gives no fuel
// figure (the lap under way was not watched from its start).
TEST(LapHistory, RaceClockAndNewTrackStartAfresh) {
    LapHistory history;
    history.Take(Snap(0, 60, 0), 0);
    history.Take(Snap(1, 59.9f, 0), 5000);
    EXPECT_EQ(history.RaceStartMs(), 5000);
    history.Take(Snap(2, 57, 90), 95000);
    history.Take(Snap(1, 56.9f, 91), 100000);
    EXPECT_EQ(history.RaceStartMs(), 100000);
    ASSERT_EQ(history.Rows().size(), 3u);
    EXPECT_EQ(history.Rows()[2].LapTime, std::nullopt);

    telemetry::Snapshot other = Snap(4, 40, 70);
    other.TrackName = "Monza";
    history.Take(other, 101000);
    EXPECT_TRUE(history.Rows().empty());
    EXPECT_EQ(history.RaceStartMs(), std::nullopt);
    other.LapNumber = 5, other.LastLap = 71, other.Fuel = 38;
    history.Take(other, 102000);
    ASSERT_EQ(history.Rows().size(), 1u);
    EXPECT_EQ(history.Rows()[0].FuelUsed, std::nullopt);
}

}  // namespace
}  // namespace kerbview::laps
