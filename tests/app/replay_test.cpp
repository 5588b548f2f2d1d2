// SPDX-License-Identifier: MIT
#include "app/replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "app_fixture.h"
#include "core/file_system.h"
#include "net/wire_format.h"
#include "record/recording.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;
using telemetry::Snapshot;

/// The bytes of a recording of snapshots taken every stepMs.
std::string Recorded(const std::vector<Snapshot>& snapshots, std::uint32_t stepMs) {
    const core::testing::TempDir dir;
    std::error_code error;
    record::RecordingWriter writer(
        core::MakeFileSystem()->Open(dir.File("r"), core::OpenMode::CreateNew, error), {});
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        EXPECT_TRUE(writer.Append(static_cast<std::uint32_t>(i) * stepMs, snapshots[i]));
    }
    EXPECT_TRUE(writer.Finish());
    return dir.Read("r");
}

/// Sample i of a stint: lap 1 up to sample 3, lap 2 from 4, lap 3 from 9; the fuel falls
/// faster and faster, so each lap's use tells which samples were presented.
Snapshot Sample(int i) {
    Snapshot s;
    s.Contact = 1;
    s.LapNumber = static_cast<std::int16_t>(i < 4 ? 1 : i < 9 ? 2 : 3);
    s.Fuel = 50 - static_cast<float>(i * i) / 4;
    return s;
}

/// A server in English scanning every 250 ms, and its client.
struct Pair : testing::ServerAndClient {
    Pair() : ServerAndClient(250, "Idioma=English\r\n", "Idioma=English\r\n") {}
    /// Plays bytes as a recording on the server, or on the client.
    bool Play(const std::string& bytes, double speed = 1, bool onClient = false) {
        serverFolder.Write("stint.rec", bytes);
        return (onClient ? client : server)->StartReplay(serverFolder.File("stint.rec"), speed);
    }
    const panel::PanelModel& Panel() { return server->Panel(); }
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
        Menu item;                                 // checked from the start
        std::vector<std::pair<int, Menu>> clicks;  // after the tick numbered first
        const char* sent;
    } cases[] = {
        {2, Menu::ReplayX2, {}, "0|1 2 3 4 5|6 7 8 9 10|11 end"},
        {1,
         Menu::ReplayX1,
         {{1, Menu::ReplayPause}, {3, Menu::ReplayPause}},
         "0|1 2|2|2|3 4 5|6 7|8 9 10|11 end"},
        {4, Menu::ReplayX4, {{1, Menu::ReplayX05}}, "0|1 2 3 4 5 6 7 8 9 10|11 end"},
        {1, Menu::ReplayX1, {{1, Menu::ReplayX05}}, "0|1 2|3 4 5|6|7|8|9 10|11 end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        Pair rig;
        ASSERT_TRUE(rig.Play(bytes, c.speed));
        EXPECT_TRUE(rig.Panel().MenuAt(Menu::ReplayPause).enabled &&
                    rig.Panel().MenuAt(c.item).checked);
        std::string sent;
        bool paused = false;
        for (int tick = 0; tick < 12 && rig.server->Replaying(); ++tick) {
            sent += tick > 0 ? "|" : "";
            for (const std::string& packet : rig.Tick()) {
                sent += (sent.empty() || sent.back() == '|' ? "" : " ") +
                        std::to_string(std::lround(std::sqrt((50 - FuelOf(packet)) * 4)));
            }
            if (rig.Panel()[Element::Label1].text == "RACE07 NOT RUNNING") sent += " end";
            for (const auto& [at, item] : c.clicks) {
                if (at != tick) continue;
                rig.server->MenuClick(item);
                paused ^= item == Menu::ReplayPause;
            }
            EXPECT_EQ(rig.Panel().MenuAt(Menu::ReplayPause).checked, paused);
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(rig.Panel()[panel::LabelN(34)].text, "16.25L");
        EXPECT_FALSE(rig.Panel().MenuAt(Menu::ReplayPause).enabled ||
                     rig.Panel().MenuAt(Menu::ReplayX1).enabled);
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
        bool onClient;
        bool starts;
        std::size_t played;
        std::string messages;
    } cases[] = {
        {whole.substr(0, whole.size() - 3), false, true, 22, ""},
        {damaged, false, true, 22, problem + "The recording is damaged at block 3;"},
        {"RIFF....WAVEfmt ", false, false, 0, problem + "The file is not a Kerbview recording;"},
        {whole, true, false, 0,
         problem + "A client shows its server's readings: choose None or Server to replay a "
                   "recording;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.messages);
        Pair rig;
        ASSERT_EQ(rig.Play(c.bytes, 8, c.onClient), c.starts);
        std::size_t played = 0;
        for (int tick = 0; tick < 6; ++tick) {
            for (const std::string& packet : rig.Tick()) played += FuelOf(packet) >= 0;
        }
        EXPECT_EQ(played, c.played);
        EXPECT_EQ((c.onClient ? rig.clientFrontEnd : rig.serverFrontEnd).Messages(), c.messages);
        EXPECT_FALSE(rig.server->Replaying() || rig.client->Replaying());
        if (c.starts) {
            EXPECT_EQ(rig.Panel()[Element::Label1].text, "RACE07 NOT RUNNING");
        }
    }
    Pair rig;
    EXPECT_FALSE(rig.server->StartReplay(rig.serverFolder.File("missing.rec")));
    EXPECT_TRUE(rig.serverFrontEnd.Messages().starts_with(problem + "The file cannot be opened: "))
        << rig.serverFrontEnd.Messages();
}

}  // namespace
}  // namespace kerbview::app
