// SPDX-License-Identifier: MIT
// The committed stint (tests/record/data/stint.kvrec) replayed by a server to its client, against
// the golden packets and panels. KERBVIEW_WRITE_GOLDEN=1 writes the golden files anew instead
// (scripts/make-fixture.sh); read their difference before committing them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app_fixture.h"
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

// The panels are taken into the pits, with the ignition off, and at the lap change after the pit
// lap: the replay starts in lap 4, so its change to lap 5 gives no fuel figure, and the ignition
// coming back on starts a new reference, so lap 5 shows 2.09 l used (as the lap history's golden
// rows, tests/laps/fixture_laps_test.cpp, work out by hand from the stint's CSV export).
TEST(FixtureReplay, AServerReplayingTheStintSendsTheGoldenPacketsAndShowsTheGoldenPanels) {
    testing::ServerAndClient pair(500, "Idioma=English\r\n", "Idioma=English\r\n");
    ASSERT_TRUE(pair.server->StartReplay(kData + "/stint.kvrec"));
    std::string panels;
    for (int tick = 1; tick <= 610; ++tick) {
        pair.Tick();
        if (tick == 40 || tick == 132 || tick == 226) {
            panels +=
                "tick " + std::to_string(tick) + " server\n" + PanelText(pair.server->Panel());
            panels += "client\n" + PanelText(pair.client->Panel());
        }
    }
    EXPECT_EQ(pair.server->Panel()[panel::Element::Label1].text,
              pair.server->Texts().TxtNotRunning);
    std::string packets;
    for (const std::string& packet : pair.sent) packets += packet;
    Golden("stint-replay.packets", packets);
    Golden("stint-replay-panels.txt", panels);
}

// The File menu's export writes what kerbview --export writes: the stint's golden files; a file
// that is no recording is said in a message (that it leaves nothing behind is the export
// command's test).
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
    EXPECT_FALSE(rig.program.ExportRecording(rig.folder.File("notes.kvrec"),
                                             rig.folder.File("refused.csv"), false));
    EXPECT_EQ(rig.frontEnd.log.back().rfind("Message Problem with the recording|", 0), 0u)
        << rig.frontEnd.log.back();
}

}  // namespace
}  // namespace kerbview::app
