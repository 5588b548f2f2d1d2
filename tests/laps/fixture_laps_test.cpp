// SPDX-License-Identifier: MIT
// The committed stint (tests/record/data/stint.kvrec) replayed through the lap history against
// its golden rows. KERBVIEW_WRITE_GOLDEN=1 writes tests/laps/data/stint-laps.csv anew instead of
// comparing (scripts/make-fixture.sh does it after recording the stint); read the difference
// before committing it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "laps/fuel_strategy.h"
#include "laps/laps_csv.h"
#include "record/recording.h"

namespace kerbview::laps {
namespace {

const std::string kGolden = std::string(KERBVIEW_LAPS_DATA) + "/stint-laps.csv";

// The golden rows, checked by hand against the stand-in's session
// (tools/sim_standin/record_session.cpp and session_model.cpp; the values are the scans of
// tests/record/data/stint.csv):
// - lap 4 was under way when the recording started: no fuel figure. Its line is the scan at
//   18.009 s, where LastLap moved from 62.66 to 62.64 at once and the car is already in the
//   pits with the limiter on: an in lap, 48.477406 l at the line, position 6;
// - lap 5 is the pit lap: refuelled from 48.5 to 59.4 l in the pits, out of them at 49.5 s, the
//   ignition off from 64 s to 70 s; its line at 111.617 s still shows lap 4's 62.64, and the
//   next scan brings 93.77. The panel's rule measures its fuel from the ignition coming back on
//   (58.829365 l at 70.076 s) to the line (56.735737 l): 2.093628 l;
// - laps 6 and 7 are green: lines at 174.195 s (53.861115 l) and 236.782 s (50.98335 l), their
//   times 62.663 and 62.649 a scan late, 2.874622 and 2.877766 l used;
// - lap 8 (62.645 s, the fastest) ends at 299.819 s with the car turning into the pits: an in
//   lap, so not green and not best; lap 7 is best.
// At the last scan the car has 48.1059 l in lap 9, and the two green laps give the figures. A
// timed race shows no race figures: its start was not seen.
TEST(LapsFixture, StintReplaysToTheGoldenRowsAndFigures) {
    record::RecordingReader reader(std::string(KERBVIEW_RECORD_DATA) + "/stint.kvrec");
    ASSERT_TRUE(reader.Ok());
    LapHistory history;
    std::int64_t lastMs = 0;
    for (record::Sample sample; reader.Next(sample);) {
        history.Take(sample.snapshot, sample.timeMs);
        lastMs = sample.timeMs;
    }
    std::ostringstream csv;
    WriteLapsCsv(history.Rows(), csv);

    if (std::getenv("KERBVIEW_WRITE_GOLDEN") != nullptr) {
        std::ofstream(kGolden, std::ios::binary) << csv.str();
        GTEST_SKIP() << "wrote " << kGolden;
    }
    std::ifstream in(kGolden, std::ios::binary);
    const std::string golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(csv.str() == golden) << "the rows differ from stint-laps.csv:\n" << csv.str();

    // The rows themselves are the golden file's; the green laps and the figures are not in it.
    const std::vector<LapRow>& rows = history.Rows();
    EXPECT_EQ(GreenLaps(rows), (std::vector<std::size_t>{2, 3}));

    // The strategy's rules are FuelStrategy's tables; here the stint's last scan is their now.
    const RaceNow now = RaceNowOf(history, lastMs);
    EXPECT_EQ(now.Fuel, 48.1059f);
    EXPECT_EQ(now.LapNumber, 9);
    RaceSettings race;
    race.Length = RaceLength{RaceLength::Unit::Minutes, 30};
    const std::optional<FuelFigures> figures = FuelToFinish(rows, now, race, std::nullopt);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->Race, std::nullopt);
}

}  // namespace
}  // namespace kerbview::laps
