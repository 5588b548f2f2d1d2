// SPDX-License-Identifier: MIT
// The program's lap history: fed by a replay, shown as the laps view, exported, and the race
// dialog's values stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app_fixture.h"
#include "core/profile_file.h"
#include "laps/fuel_strategy.h"

namespace kerbview::app {
namespace {

const std::string kStint = std::string(KERBVIEW_RECORD_DATA) + "/stint.kvrec";

std::vector<std::string> FirstCells(const laps::LapsView::Row& row, std::size_t n) {
    return {row.cells.begin(), row.cells.begin() + static_cast<std::ptrdiff_t>(n)};
}

// The stint (see fixture_laps_test.cpp for its laps by hand): lap 4 ends at 18.009 s in the
// pits with 48.477406 l, lap 5 at 111.617 s after 93.77 s with 2.094 l used from the ignition
// coming back on; laps 6 and 7 are green (2.875 and 2.878 l), lap 8 ends in the pits. Until the
// second green lap the consumption is the one kept for this car and track from an earlier run
// (a line the program cannot read is passed over): at 200 s, lap 7 under way, a race of 10
// laps leaves 4 laps, and 5 with the reserve lap at 2.5 l. At the end, lap 9 under way, the
// stint's own 2.876 l from its two green laps, which the file then keeps: 2 laps, 3 * 2.876 =
// 8.63 l. Replayed at four times its pace, the laps are timed on the recording's clock: their
// export is the stint's golden rows.
TEST(ProgramLaps, AReplayedStintShowsItsLapsAndTheConsumptionKeptForItsCarAndTrack) {
    testing::ProgramRig rig("[Opcions]\r\nIdioma=English\r\n[Race]\r\nLength=10\r\n", true);
    const laps::ConsumptionMemory kept{"BMW 320si WTCC", "Anderstorp", {2.5f, 90, 4}};
    rig.folder.Write("consumption.txt", "2.5\tbroken\n" + kept.ToLine() + "\n");
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.program.StartReplay(kStint, 4));
    const laps::LapsView& view = rig.program.Laps();
    int ticks = 0;
    for (; ticks < 2000 && rig.program.Replaying(); ++ticks) {
        rig.clock.now += 250;
        rig.program.Tick();
        if (ticks == 200) {
            ASSERT_EQ(view.rows.size(), 3u);
            EXPECT_EQ(view.figures[0].value, "2.50 L/Lap, from an earlier session");
            EXPECT_EQ(view.figures[3].value, "4");
            EXPECT_EQ(view.figures[4].value, "12.50 L");
        }
    }
    ASSERT_FALSE(rig.program.Replaying());

    EXPECT_EQ(view.title, "Laps");
    ASSERT_EQ(view.columns.size(), 14u);
    EXPECT_EQ(view.columns[2], "Fuel used (L)");
    ASSERT_EQ(view.rows.size(), 5u);
    EXPECT_EQ(FirstCells(view.rows[0], 6),
              (std::vector<std::string>{"4", "1:02.640", "", "48.48", "6", "in"}));
    EXPECT_EQ(FirstCells(view.rows[1], 3), (std::vector<std::string>{"5", "1:33.770", "2.09"}));
    EXPECT_EQ(view.rows[1].cells[5], "out");
    for (std::size_t i = 0; i < view.rows.size(); ++i) {
        EXPECT_EQ(view.rows[i].pit, i < 2 || i == 4) << i;
        EXPECT_EQ(view.rows[i].best, i == 3) << i;
    }
    ASSERT_EQ(view.figures.size(), 7u);
    EXPECT_EQ(view.figures[0].value, "2.88 L/Lap, from 2 laps");
    EXPECT_EQ(view.figures[3].value, "2");
    EXPECT_EQ(view.figures[4].value, "8.63 L");
    // The stint's own consumption is kept in place of the earlier one, as the file's one line.
    const std::string keptNow = rig.folder.Read("consumption.txt");
    ASSERT_TRUE(keptNow.ends_with("\n"));
    const auto memory = laps::ConsumptionMemory::FromLine(keptNow.substr(0, keptNow.size() - 1));
    ASSERT_TRUE(memory);
    EXPECT_EQ(memory->Car + "|" + memory->Track + "|" + std::to_string(memory->Figure.Laps),
              kept.Car + "|" + kept.Track + "|2");
    EXPECT_NEAR(memory->Figure.FuelPerLap, 2.876f, 0.001f);
    // Redrawn when the view moved, at most once a tick.
    const auto redraws = std::ranges::count(rig.frontEnd.log, std::string("LapsChanged"));
    EXPECT_GE(redraws, 5);
    EXPECT_LE(redraws, ticks);
    EXPECT_EQ(view.revision, static_cast<std::uint64_t>(redraws) + 1);  // + the one built at load

    // The export writes every lap; a folder that is not there fails.
    ASSERT_TRUE(rig.program.ExportLaps(rig.folder.File("laps.csv")));
    EXPECT_TRUE(rig.folder.Read("laps.csv") ==
                core::testing::ReadBytes(std::string(KERBVIEW_LAPS_DATA) + "/stint-laps.csv"));
    EXPECT_FALSE(rig.program.ExportLaps(rig.folder.File("missing/laps.csv")));
    EXPECT_EQ(rig.frontEnd.Messages().substr(0, 30), "The file could not be written|");

    // A language or units chosen redraws the view at once, not at the next tick.
    rig.program.MenuClick(panel::Menu::Espanol);
    rig.program.MenuClick(panel::Menu::Imperial);
    EXPECT_EQ(view.title + "|" + view.columns[2], "Vueltas|Combustible usado (gal)");
    EXPECT_EQ(std::ranges::count(rig.frontEnd.log, std::string("LapsChanged")), redraws + 2);
}

// After a replay, the simulator's first snapshot starts a history of its own, also when it holds
// the stint's car and track: the replay's laps, timed on the recording's clock, do not run on
// into it.
TEST(ProgramLaps, TheSimulatorAfterAReplayStartsAHistoryOfItsOwn) {
    testing::ServerAndClient pair(250);
    // The stint's car, on the stint's track.
    pair.Text(telemetry::MemoryMap::SlotField(telemetry::LoadMemoryMap().CarName, 5),
              "BMW 320si WTCC");
    ASSERT_TRUE(pair.Attach());
    const std::size_t liveRows = pair.server->Laps().rows.size();
    ASSERT_TRUE(pair.server->StartReplay(kStint, 8));
    for (int tick = 0; tick < 400 && pair.server->Replaying(); ++tick) pair.Tick();
    ASSERT_EQ(pair.server->Laps().rows.size(), 5u);
    ASSERT_TRUE(pair.Attach());
    EXPECT_EQ(pair.server->Laps().rows.size(), liveRows);
}

// Values typed in the display units with the user's decimal separator; a refused one stores
// nothing.
TEST(ProgramLaps, TheRaceDialogStoresWhatItCanTakeInTheDisplayUnits) {
    struct Case {
        const char* units;
        char separator;
        RaceDialogValues typed;
        RaceDialogOutcome outcome;
        const char* stored;  // Length LengthUnit ReserveLaps TankSize
        const char* shown;   // as the dialog opens next
    };
    // clang-format off
    const Case cases[] = {
        {"Metric", ',', {"45", true, "1,5", "100"}, RaceDialogOutcome::Accepted, "45 Minutes 1.5 100", "45 min 1,5 100"},
        {"Metric", ',', {"30", false, "1.5", "60"}, RaceDialogOutcome::Accepted, "30 Laps 1.5 60", "30 laps 1,5 60"},
        {"Imperial", '.', {"20", false, "2", "10"}, RaceDialogOutcome::Accepted, "20 Laps 2 37.85411784002127", "20 laps 2 10"},
        {"Metric", '.', {"", false, "", ""}, RaceDialogOutcome::Accepted, "0 Laps 1 0", " laps 1 "},
        {"Metric", '.', {"2.5", false, "1", ""}, RaceDialogOutcome::Refused, "", " laps 1 "},
        {"Metric", '.', {"30", false, "-1", ""}, RaceDialogOutcome::Refused, "", " laps 1 "},
        {"Metric", '.', {"30", false, "1", "lots"}, RaceDialogOutcome::Refused, "", " laps 1 "},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.length + "|" + c.typed.reserve + "|" + c.typed.tank);
        testing::ProgramRig rig(
            std::string("[Opcions]\r\nIdioma=English\r\nUnitats=") + c.units + "\r\n", false,
            c.separator);
        ASSERT_TRUE(rig.Start());
        EXPECT_EQ(rig.program.RaceDialogAccept(c.typed), c.outcome);
        std::string stored;
        for (const char* key : {"Length", "LengthUnit", "ReserveLaps", "TankSize"}) {
            if (auto v = core::ReadProfileValue(rig.folder.File("Kerbview.ini"), "Race", key)) {
                stored += (stored.empty() ? "" : " ") + *v;
            }
        }
        EXPECT_EQ(stored, c.stored);
        rig.program.MenuClick(panel::Menu::RaceSettings);
        EXPECT_EQ(rig.frontEnd.log.back(), std::string("Race Race settings ") + c.shown);
    }
}

}  // namespace
}  // namespace kerbview::app
