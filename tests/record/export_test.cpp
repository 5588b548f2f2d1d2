// SPDX-License-Identifier: MIT
#include "record/export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace kerbview::record {
namespace {

// Hands out the samples of a vector, as a recording would.
NextSample From(const std::vector<Sample>& samples) {
    return [&samples, i = std::size_t{0}](Sample& s) mutable {
        if (i == samples.size()) return false;
        s = samples[i++];
        return true;
    };
}

// A locale whose numbers use a decimal comma and group thousands, as many users' do.
struct CommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// The layout and the ordinary numbers are the golden files' (fixture_test.cpp), written in the
// classic locale; here a user's comma locale, round-trip digits and a text holding quotes.
TEST(CsvExport, NumbersKeepAPointAndRoundTripDigitsAndQuotesAreDoubledInACommaLocale) {
    std::vector<Sample> samples(1);
    telemetry::Snapshot& s = samples[0].snapshot;
    s.WheelSpeed[3] = 1.0 / 3;
    s.Fuel = 12345.5f;  // would group its thousands under the comma locale
    s.DriverName = "Jos\xE9 \"Pep\"";
    const std::locale before =
        std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // where the system has it
    std::ostringstream out;
    EXPECT_EQ(ExportCsv(From(samples), out), 1u);
    std::setlocale(LC_ALL, "C");
    std::locale::global(before);
    const std::string row = out.str().substr(out.str().find("\r\n"));
    for (const char* cell : {"\r\n0.000,0,", ",12345.5,", ",0.3333333333333333,",
                             ",\"Jos\xC3\xA9 \"\"Pep\"\"\",\"\","}) {
        EXPECT_NE(row.find(cell), std::string::npos) << cell << " in " << row;
    }
}

TEST(MotecExport, RateGivesARowPerScanAtTheFewestWholeHertz) {
    const std::pair<std::int16_t, int> cases[] = {{10, 100}, {50, 20}, {150, 10},
                                                  {500, 2},  {200, 5}, {1000, 1},
                                                  {2000, 1}, {9, 100}, {0, 100}};
    for (const auto& [scan, rate] : cases) EXPECT_EQ(MotecSampleRateHz(scan), rate) << scan;
}

TEST(MotecExport, HeaderInLocalTimeAndRowsInterpolatedOrHeldBetweenUnevenScans) {
    StintFacts facts;
    facts.role = 2;
    facts.scanTime = 150;  // 10 Hz
    facts.driver = "Jos\xE9";
    facts.startUnixSeconds = 1709418605;  // 2024-03-02 22:30:05 UTC
    facts.utcOffsetMinutes = 120;         // past midnight there
    const auto scan = [](std::uint32_t ms, std::int16_t lap, float oil) {
        Sample s{ms, {}};
        s.snapshot.LapNumber = lap;
        s.snapshot.OilTemp = oil;
        return s;
    };
    std::vector<Sample> samples = {scan(40, 1, 80), scan(130, 1, 89), scan(290, 2, 77),
                                   scan(420, 2, 77)};
    StintSurvey survey;
    for (const Sample& s : samples) survey.Add(s);
    // A sample after the surveyed end (a recording that grew in between) adds no row.
    samples.push_back(samples.back());
    samples.back().timeMs = 900;

    std::ostringstream out;
    ExportMotecCsv(facts, survey, From(samples), out);
    std::istringstream in(out.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);

    // The header lines that the golden file's stint (an ASCII driver, no connection, in the
    // evening at UTC+1) leaves open.
    EXPECT_NE(out.str().find("\"Driver\",\"Jos\xC3\xA9\"\r\n\"Device\",\"Kerbview \"\r\n"
                             "\"Comment\",\"Scan time 150 ms, client\"\r\n\"Log "
                             "Date\",\"2024-03-03\"\r\n\"Log Time\",\"00:30:05\"\r\n"
                             "\"Sample Rate\",\"10.000\",\"Hz\"\r\n\"Duration\",\"0.420\",\"s\"\r\n"
                             "\"Beacon Markers\",\"0.290\"\r\n"),
              std::string::npos)
        << out.str().substr(0, 400);
    ASSERT_EQ(lines.size(), 13u + 2 + 2 + 5);  // header block, names and units, rows 0 to 0.4 s
    // Oil temperature, the first channel: before the first scan its value, then interpolated
    // (80 + (89 - 80) x 60 / 90, then 89 + (77 - 89) x 70 / 160), up to the last row at or before
    // the last scan. That stepped channels are held is the golden file's case.
    const char* const rows[] = {R"("0.000","80",)", R"("0.100","86",)", R"("0.200","83.75",)",
                                R"("0.300","77",)", R"("0.400","77",)"};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_TRUE(lines[17 + i].starts_with(rows[i])) << lines[17 + i];
    }
}

}  // namespace
}  // namespace kerbview::record
