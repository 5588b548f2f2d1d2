// SPDX-License-Identifier: MIT
#include "app/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "app_fixture.h"
#include "net/wire_format.h"
#include "record/recording.h"
#include "telemetry/fake_platform.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;
using telemetry::Snapshot;

class MemoryFile final : public core::WritableFile {
public:
    explicit MemoryFile(std::string& bytes) : m_bytes(bytes) {}
    bool WriteAt(std::uint64_t offset, std::string_view bytes, std::error_code&) override {
        m_bytes.resize(std::max<std::size_t>(m_bytes.size(), offset + bytes.size()));
        m_bytes.replace(offset, bytes.size(), bytes);
        return true;
    }
    bool Resize(std::uint64_t length, std::error_code&) override {
        m_bytes.resize(length);
        return true;
    }

private:
    std::string& m_bytes;
};

/// The bytes of a recording of snapshots taken every stepMs.
std::string Recorded(const std::vector<Snapshot>& snapshots, std::uint32_t stepMs) {
    std::string bytes;
    record::StintFacts facts;
    facts.programVersion = "1.0.1";
    record::RecordingWriter writer(std::make_unique<MemoryFile>(bytes), facts);
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        EXPECT_TRUE(writer.Append(static_cast<std::uint32_t>(i) * stepMs, snapshots[i]));
    }
    EXPECT_TRUE(writer.Finish());
    return bytes;
}

/// Sample i of a stint: lap 1 up to sample 3, lap 2 from 4, lap 3 from 9; the fuel falls
/// faster and faster, so each lap's use tells which samples were presented.
Snapshot Sample(int i) {
    Snapshot s;
    s.DriverName = s.SlotName = "Ann";
    s.CarName = "Seat";
    s.TrackName = "Anderstorp";
    s.Contact = 1;
    s.LapNumber = static_cast<std::int16_t>(i < 4 ? 1 : i < 9 ? 2 : 3);
    s.Fuel = 50 - static_cast<float>(i * i) / 4;
    return s;
}

class FakeClock final : public core::Clock {
public:
    std::int64_t NowMs() const override { return now; }
    std::int64_t now = 1'000'000;
};

/// A program on a fake clock (English, scanning every 250 ms); as a server its client is
/// connected from the first tick on, and each tick's packets are sent complete.
struct Rig {
    explicit Rig(std::string_view options = "TipusConexio=1\r\n",
                 telemetry::Platform platform = testing::NoSimulatorPlatform()) {
        folder.Write("Kerbview.ini",
                     "[Opcions]\r\nIdioma=English\r\nScanTime=250\r\n" + std::string(options));
        program = std::make_unique<Program>(folder.Path(), '.', std::move(platform),
                                            Sockets{server, client}, dashboard, errors, clock);
        EXPECT_TRUE(program->Main(frontEnd));
        program->Tick();
        server.m_state = net::SocketState::Connected;
    }
    /// One tick at the present time, then the clock moves on by a scan. The packets it sent.
    std::vector<std::string> Tick() {
        program->Tick();
        clock.now += 250;
        std::vector<std::string> sent = std::exchange(server.m_sent, {});
        if (!sent.empty()) server.m_events.sendComplete();
        return sent;
    }
    bool Play(const std::string& bytes, double speed = 1) {
        folder.Write("stint.rec", bytes);
        return program->StartReplay(folder.File("stint.rec"), speed);
    }
    std::string Messages() const {
        std::string out;
        for (const std::string& line : frontEnd.log) {
            if (line.starts_with("Message ")) out += line.substr(8) + ";";
        }
        return out;
    }
    const panel::PanelModel& Panel() const { return program->Panel(); }

    FakeClock clock;
    testing::ProgramFolder folder;
    net::test::FakeSocket server, client;
    testing::FakeDashboard dashboard;
    std::ostringstream errors;
    testing::FakeFrontEnd frontEnd;
    std::unique_ptr<Program> program;
};

// The fuel figure a telemetry packet carries; -1 for a status-only packet.
float FuelOf(const std::string& packet) {
    std::string text;
    Snapshot s;
    if (!net::AcceptPacket(packet, text)) return -2;
    return net::UnpackTelemetry(text, s, [](std::string_view) {}) == net::UnpackResult::StatusOnly
               ? -1
               : s.Fuel;
}

// Which samples each tick sent, as "0|1 2|..."; "end" once the status shows the simulator gone.
// The recording's samples lie 100 ms apart and the program scans every 250 ms: each tick takes
// every sample due since the last, in order, also across a pause (which repeats the last one,
// as a paused game does) and a change of speed. Every lap change is seen whatever tick it falls
// in: lap 2's fuel is the one from sample 4 to sample 9.
TEST(ProgramReplay, EachTickTakesEverySampleDueInOrderAtEverySpeedAndAcrossAPause) {
    std::vector<Snapshot> stint;
    for (int i = 0; i < 12; ++i) stint.push_back(Sample(i));
    const std::string bytes = Recorded(stint, 100);
    const struct {
        double speed;
        std::function<void(Rig&, int tick)> menu;  // after each tick
        const char* sent;
    } cases[] = {
        {1, {}, "0|1 2|3 4 5|6 7|8 9 10|11 end"},
        {2, {}, "0|1 2 3 4 5|6 7 8 9 10|11 end"},
        {1,
         [](Rig& rig, int tick) {
             if (tick == 1 || tick == 3) rig.program->MenuClick(Menu::ReplayPause);
             EXPECT_EQ(rig.Panel().MenuAt(Menu::ReplayPause).checked, tick == 1 || tick == 2);
         },
         "0|1 2|2|2|3 4 5|6 7|8 9 10|11 end"},
        {4,
         [](Rig& rig, int tick) {
             if (tick == 1) rig.program->MenuClick(Menu::ReplayX05);
         },
         "0|1 2 3 4 5 6 7 8 9 10|11 end"},
        {1,
         [](Rig& rig, int tick) {
             if (tick == 1) rig.program->MenuClick(Menu::ReplayX05);
         },
         "0|1 2|3 4 5|6|7|8|9 10|11 end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        Rig rig;
        ASSERT_TRUE(rig.Play(bytes, c.speed));
        const Menu speed = c.speed == 1   ? Menu::ReplayX1
                           : c.speed == 2 ? Menu::ReplayX2
                                          : Menu::ReplayX4;
        EXPECT_TRUE(rig.Panel().MenuAt(Menu::ReplayPause).enabled &&
                    rig.Panel().MenuAt(speed).checked);
        std::string sent;
        for (int tick = 0; tick < 12 && rig.program->Replaying(); ++tick) {
            if (tick > 0) sent += "|";
            std::string taken;
            for (const std::string& packet : rig.Tick()) {
                const auto found = std::find_if(stint.begin(), stint.end(), [&](const Snapshot& s) {
                    return s.Fuel == FuelOf(packet);
                });
                taken += (taken.empty() ? "" : " ") + std::to_string(found - stint.begin());
            }
            if (rig.Panel()[Element::Label1].text == "RACE07 NOT RUNNING") taken += " end";
            sent += taken;
            if (c.menu) c.menu(rig, tick);
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(rig.Panel()[panel::LabelN(34)].text, "16.25L");
        EXPECT_FALSE(rig.Panel().MenuAt(Menu::ReplayPause).enabled ||
                     rig.Panel().MenuAt(Menu::ReplayX1).enabled);
        EXPECT_EQ(rig.Messages(), "");
        const std::vector<std::string> after = rig.Tick();
        ASSERT_EQ(after.size(), 1u);
        EXPECT_EQ(FuelOf(after[0]), -1) << "the client learns that the simulator went away";
    }
}

// A recording that ends cut short plays to its last whole block and ends as a whole one does;
// a damaged block ends it there with its message, said once; a file that is no recording, or
// cannot be opened, and a client, play nothing and say why.
TEST(ProgramReplay, EndAndProblemsAreShownOnceWithTheirReason) {
    std::vector<Snapshot> stint;
    for (int i = 0; i < 30; ++i) stint.push_back(Sample(i % 12));
    const std::string whole = Recorded(stint, 100);  // blocks of 11 samples (1000 ms or more)
    std::string damaged = whole;
    damaged[damaged.size() - 8] ^= 0x55;
    const std::string problem = "Problem with the recording|";
    const struct {
        std::string bytes;
        const char* options;
        bool starts;
        std::size_t played;
        std::string messages;
    } cases[] = {
        {whole, "TipusConexio=1\r\n", true, 30, ""},
        {whole.substr(0, whole.size() - 3), "TipusConexio=1\r\n", true, 22, ""},
        {damaged, "TipusConexio=1\r\n", true, 22, problem + "The recording is damaged at block 3;"},
        {"RIFF....WAVEfmt ", "", false, 0, problem + "The file is not a Kerbview recording;"},
        {whole, "TipusConexio=2\r\n", false, 0,
         problem + "A client shows its server's readings: choose None or Server to replay a "
                   "recording;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.messages);
        Rig rig(c.options);
        const bool server = std::string_view(c.options) == "TipusConexio=1\r\n";
        ASSERT_EQ(rig.Play(c.bytes, 8), c.starts);
        std::size_t played = 0;
        for (int tick = 0; tick < 6; ++tick) {
            for (const std::string& packet : rig.Tick()) played += FuelOf(packet) >= 0;
        }
        if (server) {
            EXPECT_EQ(played, c.played);
        }
        EXPECT_EQ(rig.Messages(), c.messages);
        EXPECT_FALSE(rig.program->Replaying());
        if (c.starts) {
            EXPECT_EQ(rig.Panel()[Element::Label1].text, "RACE07 NOT RUNNING");
        }
    }
    Rig rig;
    EXPECT_FALSE(rig.program->StartReplay(rig.folder.File("missing.rec")));
    EXPECT_TRUE(rig.Messages().starts_with(problem + "The file cannot be opened: "))
        << rig.Messages();
}

// A server replaying what it read live sends its client the very bytes it sent live.
TEST(ProgramReplay, ServerSendsTheSamePacketsAsLiveForTheSameSnapshots) {
    auto windows = std::make_unique<telemetry::testing::FakeWindowFinder>();
    auto memory = std::make_unique<telemetry::testing::FakeProcessMemory>();
    windows->window = 77;
    const std::shared_ptr<telemetry::testing::MemoryImage> image = memory->image;
    telemetry::testing::Apply(*image, telemetry::testing::SessionWrites());
    Rig live("TipusConexio=1\r\n", {std::move(windows), std::move(memory)});
    for (int tick = 0; tick < 40 && live.Panel()[Element::Label1].text != "RACE07 RUNNING";
         ++tick) {
        live.Tick();
    }
    // The same acquisition beside the program's, over the same memory.
    int openReaders = 0;
    telemetry::testing::FakeReader reader(image, openReaders);
    core::ErrorReporter reporter;
    telemetry::MemoryReaders readers(reporter);
    readers.SetProcess(&reader);
    telemetry::Acquisition acquisition(readers);
    const telemetry::MemoryMap map = telemetry::LoadMemoryMap();
    std::vector<Snapshot> snapshots;
    std::vector<std::string> livePackets;
    for (int i = 0; i < 6; ++i) {
        image->Int32(telemetry::MemoryMap::SlotField(map.LapNumber, 5), 3 + i / 2);
        image->Single(telemetry::MemoryMap::SlotField(map.Fuel, 5), 40.0f - 0.37f * i);
        image->Double(map.WaterTemp, 350.1 + i);
        snapshots.emplace_back();
        ASSERT_EQ(acquisition.Acquire(snapshots.back()), telemetry::AcquireResult::Complete);
        const std::vector<std::string> sent = live.Tick();
        ASSERT_EQ(sent.size(), 1u);
        livePackets.push_back(sent[0]);
    }
    Rig replay;
    ASSERT_TRUE(replay.Play(Recorded(snapshots, 250)));
    std::vector<std::string> replayed;
    while (replay.program->Replaying()) {
        for (const std::string& packet : replay.Tick()) replayed.push_back(packet);
    }
    EXPECT_EQ(replayed, livePackets);
}

}  // namespace
}  // namespace kerbview::app
