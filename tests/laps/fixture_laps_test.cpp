// SPDX-License-Identifier: MIT
// The committed stint (tests/record/data/stint.kvrec) replayed through the lap history against
// its golden rows. KERBVIEW_WRITE_GOLDEN=1 writes tests/laps/data/stint-laps.csv anew instead of
// comparing (scripts/make-fixture.sh does it after recording the stint); read the difference
// before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "laps/fuel_strategy.h"
#include "laps/laps_csv.h"
#include "record/recording.h"

namespace kerbview::laps {
namespace {

const std::string kGolden = std::string(KERBVIEW_LAPS_DATA) + "/stint-laps.csv";

// The rows checked by hand against the stand-in's session (tools/sim_standin/record_session.cpp
// and session_model.cpp; the values are the scans of tests/record/data/stint.csv):
// - lap 4 was under way when the recording started: no fuel figure. Its line is the scan at
//   17.740 s, where LastLap moved from 62.66 to 62.654 at once and the car is already in the
//   pits with the limiter on: an in lap, 48.47706 l at the line, position 6;
// - lap 5 is the pit lap: refuelled from 48.5 to 59.6 l in the pits, out of them at 49.4 s, the
//   ignition off from 64 s to 70 s; its line at 111.559 s brings LastLap 93.807. The panel's
//   rule measures its fuel from the ignition coming back on (58.823006 l at 70.243 s) to the line
//   (56.744003 l): 2.079003 l;
// - neither lap is green, so the strategy shows nothing, and no lap is best (both touched the
//   pits).
TEST(LapsFixture, StintReplaysToTheGoldenRows) {
    record::RecordingReader reader(std::string(KERBVIEW_RECORD_DATA) + "/stint.kvrec");
    ASSERT_TRUE(reader.Ok());
    LapHistory history;
    for (record::Sample sample; reader.Next(sample);) history.Take(sample.snapshot, sample.timeMs);
    std::ostringstream csv;
    WriteLapsCsv(history.Rows(), csv);

    if (std::getenv("KERBVIEW_WRITE_GOLDEN") != nullptr) {
        std::ofstream(kGolden, std::ios::binary) << csv.str();
        GTEST_SKIP() << "wrote " << kGolden;
    }
    std::ifstream in(kGolden, std::ios::binary);
    const std::string golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(csv.str() == golden) << "the rows differ from stint-laps.csv:\n" << csv.str();

    ASSERT_EQ(history.Rows().size(), 2u);
    const LapRow& lap4 = history.Rows()[0];
    EXPECT_EQ(lap4.LineMs, 17740);
    EXPECT_EQ(lap4.LapTime, 62.654f);
    EXPECT_EQ(lap4.FuelUsed, std::nullopt);
    EXPECT_EQ(lap4.FuelAtLine, 48.47706f);
    EXPECT_EQ(lap4.Position, 6);
    EXPECT_TRUE(lap4.InLap && lap4.TouchedPits && !lap4.OutLap && !lap4.Refuelled);
    const LapRow& lap5 = history.Rows()[1];
    EXPECT_EQ(lap5.LapTime, 93.807f);
    EXPECT_EQ(lap5.FuelUsed, 58.823006f - 56.744003f);
    EXPECT_TRUE(lap5.OutLap && lap5.Refuelled && lap5.IgnitionOff && !lap5.InLap);
    EXPECT_FALSE(lap4.Best || lap5.Best);
    EXPECT_FALSE(FuelToFinish(history.Rows(), RaceNowOf(history, 125000), {}, std::nullopt));
}

}  // namespace
}  // namespace kerbview::laps
