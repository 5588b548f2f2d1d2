// SPDX-License-Identifier: MIT
#include "app/recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "core/faulty_files.h"
#include "core/path_text.h"
#include "core/profile_file.h"
#include "record/recording.h"

namespace kerbview::app {
namespace {

namespace fs = std::filesystem;
using panel::Menu;
using testing::ServerAndClient;

const telemetry::MemoryMap kMap = telemetry::LoadMemoryMap();
constexpr std::string_view kRecordingOn = "[Recording]\r\nEnabled=1\r\n";

// The recordings of a folder in name order, each as "car@track:samples" ("!" after a file that
// does not read back whole), joined by blanks.
std::string Recordings(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, error)) {
        if (e.path().extension() == kRecordingExtension) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::string out;
    for (const fs::path& file : files) {
        record::RecordingReader reader(file);
        int samples = 0;
        for (record::Sample sample; reader.Next(sample);) ++samples;
        out += (out.empty() ? "" : " ") + reader.Facts().car + "@" + reader.Facts().track + ":" +
               std::to_string(samples) +
               (reader.Ok() && reader.Problem() == record::ReadProblem::None ? "" : "!");
    }
    return out;
}

std::size_t Count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != text.npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A stint is one attach of the simulator (a server, or a copy without a role) or one connection
// of a client while its server reads, with one car on one track; every snapshot in it is
// recorded, also those a server does not show. A server replaying a recording records nothing
// (its client records what it receives, as from any server).
TEST(ProgramRecording, StintsFollowTheSimulatorTheConnectionTheCarAndTheTrack) {
    ServerAndClient pair(250, kRecordingOn, kRecordingOn);
    const fs::path serverRecordings = pair.serverFolder.File("recordings");
    const std::string kFirst = "2026-12-07 20-36-16 BMW 320si @ Anderstorp.kvrec";
    pair.Ticks(4);  // no simulator: status only
    ASSERT_TRUE(pair.Attach());
    pair.Ticks(6);
    pair.server->MenuClick(Menu::VeureDadesServidor), pair.Ticks(4);  // the server's data hidden
    pair.Text(telemetry::MemoryMap::SlotField(kMap.CarName, 5), "Audi A4"), pair.Ticks(5);
    pair.Text(kMap.TrackPath, "Tracks\\Monza.trk"), pair.Ticks(5);
    pair.Connect(false), pair.Ticks(2), pair.Connect(true), pair.Ticks(5);
    pair.windows->window = 0, pair.Ticks(12);  // the simulator gone
    ASSERT_TRUE(pair.Attach());
    pair.Ticks(3);
    ASSERT_TRUE(pair.server->StartReplay(serverRecordings / kFirst));
    pair.Ticks(44);                            // the replay, then the simulator again
    pair.server.reset(), pair.client.reset();  // the stints under way end
    EXPECT_EQ(Recordings(serverRecordings),
              "BMW 320si@Anderstorp:12 Audi A4@Anderstorp:5 Audi A4@Monza:18 "
              "Audi A4@Monza:5 Audi A4@Monza:18");
    EXPECT_EQ(Recordings(pair.clientFolder.File("recordings")),
              "BMW 320si@Anderstorp:12 Audi A4@Anderstorp:5 Audi A4@Monza:5 Audi A4@Monza:11 "
              "Audi A4@Monza:5 BMW 320si@Anderstorp:12 Audi A4@Monza:18");
    record::RecordingReader first(serverRecordings / kFirst);
    EXPECT_EQ(first.Facts(), (record::StintFacts{KERBVIEW_VERSION, 1, 250, "BMW 320si",
                                                 "Anderstorp", "Ann Driver", 1796672176, 60}));
    record::Sample sample;
    ASSERT_TRUE(first.Next(sample) && first.Next(sample));
    EXPECT_EQ(sample.timeMs, 250u);
    EXPECT_EQ(pair.errors.str().find("Recording"), std::string::npos) << pair.errors.str();
}

// A full disk or a folder where no file may be made: recording stops with one message, the
// scan and the sends go on, the menu item is unchecked, the setting stays stored, and the file
// keeps the blocks written before the failure.
TEST(ProgramRecording, FileThatCannotBeWrittenStopsRecordingWithOneMessage) {
    const struct {
        bool refuse;
        std::uint64_t room;
        const char* recordings;
    } cases[] = {
        {true, UINT64_MAX, ""},
        {false, 600, "BMW 320si@Anderstorp:5"},
    };
    for (const auto& c : cases) {
        auto files = std::make_unique<core::testing::FaultyFiles>();
        files->refuseNewFiles = c.refuse, files->room = c.room;
        ServerAndClient pair(250, kRecordingOn, "", std::move(files));
        ASSERT_TRUE(pair.Attach());
        const std::size_t sentBefore = pair.sent.size();
        pair.Ticks(40);
        EXPECT_EQ(pair.sent.size(), sentBefore + 40) << "the scan goes on";
        const std::string messages = pair.serverFrontEnd.Messages();
        EXPECT_EQ(Count(messages, "La grabaci\xF3n se ha detenido"), 1u) << messages;
        EXPECT_EQ(Count(pair.errors.str(), "Kerbview: Recording stopped: "), 1u);
        EXPECT_FALSE(pair.server->Panel().MenuAt(Menu::RecordStints).checked);
        EXPECT_EQ(
            core::ReadProfileValue(pair.serverFolder.File("Kerbview.ini"), "Recording", "Enabled"),
            "1");
        EXPECT_EQ(Recordings(pair.serverFolder.File("recordings")), c.recordings);
    }
}

TEST(StintRecorder, FileNamesAreLegalEverywhereAndNeverTheSame) {
    const core::WallTime start{1796672172, 0};
    const std::string longCar(70, 'x');
    const struct {
        std::string car, track;
        int attempt;
        std::string name;  // UTF-8
    } cases[] = {
        {"a<b>c:d\"e/f\\g|h?i*j", "t\x01\x1F\x7Fu\x81", 1,
         "2026-12-07 19-36-12 a_b_c_d_e_f_g_h_i_j @ t___u_.kvrec"},
        {" .Car. ", "Montr\xE9\x80", 1, "2026-12-07 19-36-12 Car @ Montré€.kvrec"},
        {"", "...", 1, "2026-12-07 19-36-12.kvrec"},
        {longCar, std::string(30, '\xE9'), 1,
         "2026-12-07 19-36-12 " + std::string(60, 'x') + " @ " +
             "éééééééééééééééééééééééééééééé.kvrec"},
        {"", std::string(59, 'y') + "\xE9", 1,
         "2026-12-07 19-36-12 @ " + std::string(59, 'y') + ".kvrec"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::PathToUtf8(RecordingFileName(start, c.car, c.track, c.attempt)), c.name);
    }
}

TEST(StintRecorder, PruningDeletesTheOldestRecordingsDownToTheLimit) {
    using namespace std::chrono_literals;
    const fs::file_time_type t0{};
    const std::vector<FolderFile> folder = {
        {"c.kvrec", 300, t0 + 3h}, {"a.kvrec", 100, t0 + 1h}, {"b.kvrec", 200, t0 + 2h},
        {"notes.txt", 5000, t0},   {"d.kvrec", 400, t0 + 4h},
    };
    const struct {
        std::uint64_t limit;
        const char* keep;
        fs::file_time_type recentSince;
        std::vector<fs::path> deleted;
    } cases[] = {
        {500, "b.kvrec", t0 + 9h, {"a.kvrec", "c.kvrec", "d.kvrec"}},
        {0, "", t0 + 2h, {"a.kvrec"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecordingsToDelete(folder, c.limit, c.keep, c.recentSince), c.deleted)
            << c.limit << " " << c.keep;
    }
}

// The recorder itself: a second stint in the same second gets a name of its own, and the folder
// (made when the first stint starts) loses its oldest recordings, not other files.
TEST(StintRecorder, SameSecondStintsKeepApartAndTheFolderIsPruned) {
    testing::ProgramFolder dir;
    testing::FakeClock clock;
    const fs::path folder = dir.File("data") / "recordings";
    fs::create_directories(folder);
    dir.Write("data/recordings/old.kvrec", std::string(kRecordingMegabyte * 3 / 2, 'x'));
    dir.Write("data/recordings/older.kvrec", std::string(kRecordingMegabyte, 'x'));
    dir.Write("data/recordings/keep.txt", std::string(kRecordingMegabyte, 'x'));
    fs::last_write_time(folder / "old.kvrec",
                        fs::file_time_type::clock::now() - std::chrono::hours(2));
    fs::last_write_time(folder / "older.kvrec",
                        fs::file_time_type::clock::now() - std::chrono::hours(3));
    StintRecorder recorder({folder, nullptr, &clock}, clock, "9.9");
    recorder.SetEnabled(true, 2);
    telemetry::Snapshot snapshot;
    snapshot.CarName = "Car", snapshot.TrackName = "Track";
    for (int stint = 0; stint < 2; ++stint) {
        EXPECT_FALSE(recorder.Record(snapshot, 0, 10).has_value());
        EXPECT_FALSE(recorder.EndStint().has_value());
    }
    EXPECT_EQ(Recordings(folder), "Car@Track:1 Car@Track:1 @:0!");  // old.kvrec is no recording
    EXPECT_TRUE(fs::exists(folder / "2026-12-07 20-36-12 Car @ Track (2).kvrec"));
    EXPECT_TRUE(fs::exists(folder / "old.kvrec") && fs::exists(folder / "keep.txt"));
    EXPECT_FALSE(fs::exists(folder / "older.kvrec"));
}

}  // namespace
}  // namespace kerbview::app
