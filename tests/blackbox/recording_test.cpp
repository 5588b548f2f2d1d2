// SPDX-License-Identifier: MIT
// Stints recorded by the program as a server beside the stand-in simulator, read back from
// outside: the recording replayed by the program sends its client the packets it sent live, byte
// for byte, also when the program was killed while recording; and a recordings folder that fills
// up stops the recording with one message while the scan goes on.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "program_under_test.h"
#include "record/recording.h"

namespace kerbview::blackbox {
namespace {

using Path = std::filesystem::path;

std::string Settings(quint16 port, int scanTime) {
    return "[Opcions]\r\nScanTime=" + std::to_string(scanTime) +
           "\r\nTipusConexio=1\r\nPort=" + std::to_string(port) +
           "\r\nIP=127.000.000.001\r\n[Recording]\r\nEnabled=1\r\n";
}

/// The program's one recording, read back.
struct ReadBack {
    Path file;
    int samples = 0;
    bool cutShort = false;
    record::ReadProblem problem = record::ReadProblem::CannotOpen;
};

ReadBack ReadRecording(const Path& programFolder) {
    ReadBack read;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(
             programFolder / "recordings", std::filesystem::directory_options::none, error)) {
        if (entry.path().extension() != ".kvrec") continue;
        EXPECT_TRUE(read.file.empty()) << "a second recording: " << entry.path();
        read.file = entry.path();
    }
    if (read.file.empty()) return read;
    record::RecordingReader reader(read.file);
    for (record::Sample sample; reader.Next(sample);) ++read.samples;
    read.cutShort = reader.CutShort();
    read.problem = reader.Problem();
    return read;
}

/// Whether the last packet is the status-only one that follows the telemetry when a stint ends.
bool Ended(const std::vector<Packet>& packets) {
    return packets.size() > 1 && !packets.back().snapshot && packets[packets.size() - 2].snapshot;
}

/// The first of wanted that is not found among the telemetry packets in order; wanted.size()
/// when all are.
std::size_t FirstMissing(const std::vector<std::string>& wanted, const std::vector<Packet>& among) {
    std::size_t found = 0;
    for (const Packet& packet : among) {
        found += packet.snapshot && found < wanted.size() && packet.bytes == wanted[found];
    }
    return found;
}

TEST(RecordingBlackBox, AReplayedStintSendsEveryPacketSentLiveAlsoWhenTheProgramWasKilled) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    struct Case {
        const char* what;
        bool kill;  // the program killed with SIGKILL while recording, else the stand-in closed
        // Packets received this long before the end may be missing from the recording: a
        // killed program loses the block in progress (a second of scans). It is killed halfway
        // through a block, 5.5 s into the stint: a program that lost more would lose some.
        std::chrono::milliseconds mayLose;
    };
    for (const Case& c :
         {Case{"the simulator closed", false, 0ms}, Case{"the program killed", true, 1500ms}}) {
        SCOPED_TRACE(c.what);
        core::testing::ChildProcess sim = Standin();
        ASSERT_EQ(sim.ReadLine(120s), "ready");
        const quint16 port = FreePort();
        ProgramUnderTest live(Settings(port, 100));
        ASSERT_TRUE(live.Start());
        ASSERT_TRUE(WaitForListener(port)) << live.ReadError();
        // The simulator is seen after the link's appearance delay. The first 1.5 s of its
        // packets are left out: the replay's client, which comes as soon as it can, may miss
        // the first ones the replay sends. Closed, the simulator is read until the link lets
        // it go, and the stint's last packets then follow the last block written during it.
        std::optional<Clock::time_point> first;
        bool closed = false;
        const std::vector<Packet> sent = Collect(live, port, [&](const auto& packets) {
            if (!first && !packets.empty() && packets.back().snapshot) first = packets.back().at;
            if (!first || Clock::now() < *first + 5500ms) return false;
            if (c.kill) return true;
            if (!closed) closed = sim.Command("close") == "ok close";
            return Ended(packets);
        });
        ASSERT_TRUE(first) << "no telemetry sent live: " << live.ReadError();
        const auto end = Clock::now();
        if (c.kill) {
            live.Process().kill();
            live.Process().waitForFinished();
        } else {
            ASSERT_TRUE(Ended(sent)) << "the link did not let the closed simulator go";
        }
        const ReadBack read = ReadRecording(live.Folder());
        ASSERT_FALSE(read.file.empty()) << "no recording: " << live.ReadError();
        EXPECT_EQ(read.problem, record::ReadProblem::None);
        EXPECT_EQ(read.cutShort, c.kill) << "a finished stint reads as finished";

        const quint16 replayPort = FreePort();
        ProgramUnderTest replay(Settings(replayPort, 100));
        std::filesystem::copy_file(read.file, replay.Folder() / "stint.kvrec");
        ASSERT_TRUE(replay.Start({"--replay", "stint.kvrec"}));
        // Until the status-only packet that follows the recording's end.
        const std::vector<Packet> replayed = Collect(replay, replayPort, Ended);
        ASSERT_TRUE(Ended(replayed)) << "the replay did not end within a minute ("
                                     << replayed.size() << " packets): " << replay.ReadError();
        EXPECT_EQ(replay.ErrorLines("Replay"), 0u) << replay.ReadError();

        std::vector<std::string> wanted;
        for (const Packet& p : sent) {
            if (p.snapshot && p.at > *first + 1500ms && p.at < end - c.mayLose) {
                wanted.push_back(p.bytes);
            }
        }
        ASSERT_GT(wanted.size(), 10u) << "too few packets taken live";
        RecordProperty(c.kill ? "packets_checked_killed" : "packets_checked_closed",
                       static_cast<int>(wanted.size()));
        const std::size_t missing = FirstMissing(wanted, replayed);
        EXPECT_EQ(missing, wanted.size())
            << "live packet " << missing << " of " << wanted.size() << " is not among the "
            << replayed.size() << " packets replayed after the ones before it: "
            << (missing < wanted.size() ? wanted[missing] : "");
    }
}

TEST(RecordingBlackBox, AFullDiskStopsTheRecordingWithOneMessageAndTheScanGoesOn) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    const quint16 port = FreePort();
    ProgramUnderTest program(Settings(port, 10));
    // The recordings folder on a tmpfs of 256 KiB, unmounted whatever happens.
    const Path folder = program.Folder() / "recordings";
    std::filesystem::create_directories(folder);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k,mode=0700") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs for the recordings (" << std::strerror(errno)
                     << "): run as root on Linux";
    }
    const std::unique_ptr<const Path, void (*)(const Path*)> unmount(
        &folder, [](const Path* mounted) { ::umount2(mounted->c_str(), MNT_DETACH); });
    // Most of the disk taken already: the recording, some 3 kB a second, fills the last 12 KiB
    // within seconds.
    std::ofstream(folder / "filler", std::ios::binary) << std::string(244 * 1024, 'x');
    core::testing::ChildProcess sim = Standin({"--track"});
    ASSERT_EQ(sim.ReadLine(120s), "ready");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForError("Recording stopped", 30s)) << program.ReadError();
    const ReadBack full = ReadRecording(program.Folder());
    const auto size = std::filesystem::file_size(full.file);
    // With room again nothing more is written: the recording stays stopped.
    std::filesystem::remove(folder / "filler");

    std::vector<std::string> scans;
    const auto twoSeconds = [end = Clock::now() + 2s](const auto&) { return Clock::now() > end; };
    for (const Packet& p : Collect(program, port, twoSeconds)) {
        if (p.snapshot && (scans.empty() || scans.back() != p.bytes)) scans.push_back(p.bytes);
    }
    EXPECT_GT(scans.size(), 20u) << "the scan did not go on";
    EXPECT_EQ(program.ErrorLines("Recording stopped"), 1u) << program.ReadError();
    EXPECT_EQ(std::filesystem::file_size(full.file), size);
    const ReadBack read = ReadRecording(program.Folder());
    EXPECT_EQ(read.problem, record::ReadProblem::None);
    EXPECT_GT(read.samples, 100);
    EXPECT_TRUE(read.cutShort);
    RecordProperty("samples_kept", read.samples);
}

}  // namespace
}  // namespace kerbview::blackbox
