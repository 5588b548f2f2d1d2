// SPDX-License-Identifier: MIT
// The committed stint (scripts/make-fixture.sh records it from the stand-in's session) exported
// against its golden files. Reading it whole is part of both exports; a copy cut anywhere is
// Recording.FileCutAnywhereReadsBackItsWholeBlocks' case.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "record/export.h"
#include "record/recording.h"

namespace kerbview::record {
namespace {

const std::string kData = KERBVIEW_RECORD_DATA;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

NextSample From(RecordingReader& reader) {
    return [&reader](Sample& sample) { return reader.Next(sample); };
}

// The CSV row whose time column is `time`, split at its commas (no text there holds one).
std::vector<std::string> CsvRow(const std::string& csv, const std::string& time) {
    const std::size_t at = csv.find("\r\n" + time + ",");
    std::istringstream line(csv.substr(at + 2, csv.find("\r\n", at + 2) - at - 2));
    std::vector<std::string> cells;
    for (std::string cell; std::getline(line, cell, ',');) cells.push_back(cell);
    return cells;
}

// Rows checked by hand against the stand-in's session (tools/sim_standin/session_model.cpp and
// record_session.cpp): at 18.009 s the player's lap count goes from 3 to 4 (the panel's lap 4 to
// 5), and a fourth lap is a pit lap, so the car is in the pits with the limiter on; the lap
// change at 111.617 s, after the pit lap, still shows lap 4's time, and the next scan shows the
// pit lap's, 93.77 s, which lies within a scan of the time between the two lap changes
// (111.617 - 18.009 = 93.608 s); the ignition is off from 64 s to 70 s, so the scan at 64.025 s
// has no contact.
TEST(Fixture, ExportsEqualTheGoldenFiles) {
    RecordingReader reader(kData + "/stint.kvrec");
    std::ostringstream csv;
    ExportCsv(From(reader), csv);
    const std::string golden = Contents(kData + "/stint.csv");
    EXPECT_TRUE(csv.str() == golden) << "the CSV export differs from stint.csv";

    const std::vector<std::string> header = CsvRow("\r\n" + golden, "Time [s]");
    auto cell = [&](const std::string& time, const std::string& column) {
        const auto at = std::find(header.begin(), header.end(), column) - header.begin();
        return CsvRow(golden, time).at(static_cast<std::size_t>(at));
    };
    EXPECT_EQ(cell("18.009", "Lap number"), "5");
    EXPECT_EQ(cell("18.009", "In pits"), "1");
    EXPECT_EQ(cell("18.009", "Pit limiter"), "1");
    EXPECT_EQ(cell("111.617", "Last lap [s]"), "62.64");
    EXPECT_EQ(cell("112.125", "Last lap [s]"), "93.77");
    EXPECT_EQ(cell("64.025", "Contact"), "0");

    RecordingReader survey(kData + "/stint.kvrec");
    StintSurvey stint;
    for (Sample sample; survey.Next(sample);) stint.Add(sample);
    RecordingReader rows(kData + "/stint.kvrec");
    std::ostringstream motec;
    ExportMotecCsv(rows.Facts(), stint, From(rows), motec);
    const std::string goldenMotec = Contents(kData + "/stint-motec.csv");
    EXPECT_TRUE(motec.str() == goldenMotec) << "the MoTeC export differs from stint-motec.csv";
    // The same lap changes as beacons; the stint started at 19:00 UTC, 20:00 local time.
    EXPECT_NE(goldenMotec.find("\"Beacon Markers\",\"18.009 111.617 174.195 236.782 299.819\""),
              std::string::npos);
    EXPECT_NE(goldenMotec.find("\"Log Time\",\"20:00:00\""), std::string::npos);
}

}  // namespace
}  // namespace kerbview::record
