// SPDX-License-Identifier: MIT
// The committed stint (tests/record/data/stint.kvrec) replayed by a server to its client, against
// the golden packets and panels. KERBVIEW_WRITE_GOLDEN=1 writes the golden files anew instead
// (scripts/make-fixture.sh); read their difference before committing them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "net/wire_format.h"
#include "panel/element_catalogue.h"

namespace kerbview::app {
namespace {

const std::string kData = KERBVIEW_RECORD_DATA;

// Every text, colour, lamp, gauge and marker of a panel, one element a line.
std::string PanelText(const panel::PanelModel& model) {
    std::string out;
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        if (info.kind == panel::ElementKind::Picture || info.kind == panel::ElementKind::List) {
            continue;
        }
        const panel::ElementState& e = model[info.element];
        out += std::string(info.name) + " \"" + e.text + "\" " + std::to_string(e.backColor) +
               (e.enabled ? " on" : " off") + (e.visible ? " shown " : " hidden ") +
               std::to_string(e.value) + "\n";
    }
    return out;
}

// Checks `got` against a golden file, or writes it when asked to.
void Golden(const std::string& name, const std::string& got) {
    const std::string path = kData + "/" + name;
    if (std::getenv("KERBVIEW_WRITE_GOLDEN") != nullptr) {
        core::testing::WriteBytes(path, got);
        return;
    }
    EXPECT_TRUE(got == core::testing::ReadBytes(path)) << "differs from " << name;
}

// Checked by hand against the stint's CSV export (tests/record/data/stint.csv): the replay
// starts in lap 4, so its change to lap 5 at 18.009 s gives no fuel figure; the ignition is off
// from 64.025 s and back on at 70.076 s with 58.829365 l, which starts a new reference; the lap
// change at 111.617 s, with 56.735737 l, shows 58.829365 - 56.735737 = 2.09 l used. The packet
// of that scan carries lap 6 and still lap 4's time, 62.64 s, as the game gives a lap's time a
// moment late; the next one carries the pit lap's 93.77 s.
TEST(FixtureReplay, AServerReplayingTheStintSendsTheGoldenPacketsAndShowsTheGoldenPanels) {
    testing::ServerAndClient pair(500, "Idioma=English\r\n", "Idioma=English\r\n");
    ASSERT_TRUE(pair.server->StartReplay(kData + "/stint.kvrec"));
    std::string panels;
    std::string fuelUsed;
    for (int tick = 1; tick <= 610; ++tick) {
        pair.Tick();
        // Into the pits, the ignition off, and the lap change after the pit lap with its fuel
        // figure.
        if (tick == 40 || tick == 132 || tick == 226) {
            panels +=
                "tick " + std::to_string(tick) + " server\n" + PanelText(pair.server->Panel());
            panels += "client\n" + PanelText(pair.client->Panel());
        }
        if (tick == 226) fuelUsed = pair.client->Panel()[panel::Element::Label34].text;
    }
    EXPECT_EQ(pair.server->Panel()[panel::Element::Label1].text,
              pair.server->Texts().TxtNotRunning);
    std::string packets;
    for (const std::string& packet : pair.sent) packets += packet;
    Golden("stint-replay.packets", packets);
    std::vector<telemetry::Snapshot> lap6;
    for (const std::string& packet : pair.sent) {
        std::string text;
        telemetry::Snapshot s;
        if (net::AcceptPacket(packet, text) &&
            net::UnpackTelemetry(text, s, [](std::string_view) {}) == net::UnpackResult::Unpacked &&
            s.LapNumber == 6) {
            lap6.push_back(s);
        }
    }
    ASSERT_GE(lap6.size(), 2u);
    EXPECT_EQ(lap6[0].LastLap, 62.64f);
    EXPECT_EQ(lap6[0].Fuel, 56.73574f);  // the wire carries seven digits
    EXPECT_EQ(lap6[1].LastLap, 93.77f);
    Golden("stint-replay-panels.txt", panels);

    EXPECT_EQ(fuelUsed, "2.09L");
}

// The File menu's export writes what kerbview --export writes: the stint's golden files; a file
// that is no recording is said in a message and leaves nothing behind.
TEST(FixtureExport, TheMenuExportWritesTheGoldenFilesAndSaysWhatFails) {
    testing::ProgramRig rig("[Opcions]\r\nIdioma=English\r\n");
    ASSERT_TRUE(rig.Start());
    rig.program.MenuClick(panel::Menu::ExportRecording);
    EXPECT_EQ(rig.frontEnd.log.back(), "ChooseExport Export a recording...|MoTeC CSV");

    const std::string stint = kData + "/stint.kvrec";
    const auto out = rig.folder.File("out.csv");
    EXPECT_TRUE(rig.program.ExportRecording(stint, out, false));
    EXPECT_TRUE(core::testing::ReadBytes(out.string()) ==
                core::testing::ReadBytes(kData + "/stint.csv"));
    EXPECT_TRUE(rig.program.ExportRecording(stint, out, true));
    EXPECT_TRUE(core::testing::ReadBytes(out.string()) ==
                core::testing::ReadBytes(kData + "/stint-motec.csv"));

    rig.folder.Write("notes.kvrec", "not a recording");
    const auto refused = rig.folder.File("refused.csv");
    EXPECT_FALSE(rig.program.ExportRecording(rig.folder.File("notes.kvrec"), refused, false));
    EXPECT_FALSE(std::filesystem::exists(refused));
    EXPECT_EQ(rig.frontEnd.log.back().rfind("Message Problem with the recording|", 0), 0u)
        << rig.frontEnd.log.back();
}

}  // namespace
}  // namespace kerbview::app
