// SPDX-License-Identifier: MIT
#include "app/export_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "core/file_system.h"
#include "core/temp_dir.h"
#include "record/recording.h"

namespace kerbview::app {
namespace {

namespace fs = std::filesystem;

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(ExportCommand, WholeFilesOnlyAndAStatusThatSaysHowFarTheRecordingWasRead) {
    const core::testing::TempDir dir;
    // 3.5 s scanned every 10 ms, a new lap at 2 s: four blocks of about a second.
    std::vector<std::uint64_t> blockEnds;
    {
        std::error_code error;
        record::StintFacts facts;
        facts.scanTime = 10;
        record::RecordingWriter writer(
            core::MakeFileSystem()->Open(dir.File("stint.kvr"), core::OpenMode::CreateNew, error),
            facts);
        for (std::uint32_t i = 0; i < 350; ++i) {
            telemetry::Snapshot s;
            s.LapNumber = i < 200 ? 1 : 2;
            s.OilTemp = 80.0f + static_cast<float>(i) / 10;
            const std::uint64_t before = writer.BytesWritten();
            ASSERT_TRUE(writer.Append(i * 10, s));
            if (writer.BytesWritten() != before) blockEnds.push_back(writer.BytesWritten());
        }
        ASSERT_TRUE(writer.Finish());
    }
    ASSERT_GE(blockEnds.size(), 3u);
    const std::string original = dir.Read("stint.kvr");
    std::string damaged = original;
    damaged[(blockEnds[1] + blockEnds[2]) / 2] ^= 0x55;  // inside the third block
    dir.Write("damaged.kvr", damaged);
    dir.Write("notes.kvr", "not a recording, just text\n");
    const std::string missingFolder = (dir.Path() / "no" / "out.csv").string();

    struct Case {
        std::string recording, csv, motec;
        int status;
        std::size_t csvLines;    // 0: no file left
        std::size_t motecLines;  // 0: no file left
        std::string told;        // part of what err says; empty: nothing
        bool csvThere = false;   // a CSV file of one line is there before
    };
    const std::string kvr = dir.File("stint.kvr").string();
    const std::string csv = dir.File("out.csv").string();
    const std::string motec = dir.File("out-motec.csv").string();
    const Case cases[] = {
        // 350 rows and the names; 13 header lines, names and units, 2 blank, 0 to 3.49 s at 100 Hz.
        {kvr, csv, motec, 0, 351, 13 + 4 + 350, ""},
        // The damaged third block ends the reading after the second: 2 s or so.
        {dir.File("damaged.kvr").string(), csv, motec, kExportDamaged, 0, 0, "is damaged"},
        {dir.File("notes.kvr").string(), csv, "", kExportFailed, 0, 0, "not a Kerbview recording"},
        {dir.File("none.kvr").string(), csv, "", kExportFailed, 0, 0, "cannot open"},
        {kvr, kvr, "", 2, 0, 0, "is the recording itself"},
        // A failed export leaves a file that was there as it was.
        {kvr, csv, missingFolder, kExportFailed, 1, 0, "cannot write", true},
    };
    for (const Case& c : cases) {
        fs::remove(csv);
        fs::remove(motec);
        if (c.csvThere) dir.Write("out.csv", "old\n");
        std::ostringstream err;
        const int status = RunExport({c.recording, c.csv, c.motec, ""}, err);
        EXPECT_EQ(status, c.status) << c.recording << " " << err.str();
        // Nothing, or one line that says it.
        EXPECT_EQ(err.str().empty(), c.told.empty()) << err.str();
        EXPECT_EQ(Lines(err.str()), c.told.empty() ? 0u : 1u) << err.str();
        EXPECT_NE(err.str().find(c.told), std::string::npos) << err.str();
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            EXPECT_NE(entry.path().extension(), ".part") << entry.path();
        }
        if (c.status == kExportDamaged) {
            // Whatever came before the damage, in both files, and nothing after it.
            const std::size_t rows = Lines(dir.Read("out.csv")) - 1;
            EXPECT_GE(rows, 100u);
            EXPECT_LT(rows, 300u);
            EXPECT_EQ(Lines(dir.Read("out-motec.csv")), 13 + 4 + rows);
            continue;
        }
        EXPECT_EQ(fs::exists(csv) ? Lines(dir.Read("out.csv")) : 0, c.csvLines) << c.recording;
        EXPECT_EQ(fs::exists(motec) ? Lines(dir.Read("out-motec.csv")) : 0, c.motecLines);
    }
    EXPECT_TRUE(dir.Read("stint.kvr") == original);

    // The laps: the header and the one lap that ended, at 2 s, its time still awaited when the
    // recording ends; never over another output.
    const std::string laps = dir.File("laps.csv").string();
    std::ostringstream err;
    EXPECT_EQ(RunExport({kvr, "", "", laps}, err), 0) << err.str();
    EXPECT_EQ(Lines(dir.Read("laps.csv")), 2u);
    EXPECT_EQ(RunExport({kvr, laps, "", laps}, err), 2);
}

}  // namespace
}  // namespace kerbview::app
