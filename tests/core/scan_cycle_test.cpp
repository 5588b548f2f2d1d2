// SPDX-License-Identifier: MIT
#include "core/scan_cycle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/profile_file.h"
#include "temp_dir.h"

namespace kerbview::core {
namespace {

using testing::TempDir;
using Log = std::vector<std::string>;

// Records every step in order; each answer can be set by the test.
class FakeSteps : public ScanSteps {
public:
    bool CarChanged() override { return Note("CarChanged"), carChanged; }
    void CarSkinUpdate() override {
        Note("CarSkinUpdate");
        if (carSkinThrows) throw std::runtime_error("picture");
    }
    void SetTimerEnabled(bool enabled) override { Note(enabled ? "TimerOn" : "TimerOff"); }
    float WindowLeft() override { return left; }
    float WindowTop() override { return top; }
    void SocketUpkeep() override {
        Note("SocketUpkeep");
        if (upkeepThrows) throw std::runtime_error("socket");
    }
    bool RACE07_Actiu() override {
        Note("RACE07_Actiu");
        if (insideActiu) insideActiu();
        return running;
    }
    void SetGameActive(bool active) override { Note(active ? "GameActive" : "GameInactive"); }
    bool ProcessReadable() override { return readable; }
    std::uint32_t TickCount() override { return Note("TickCount"), 0; }
    void Lectures() override { Note("Lectures"); }
    bool ServerConnected() override { return serverConnected; }
    bool ReadyToSend() override { return readyToSend; }
    void SendStatusOnly() override { Note("SendStatusOnly"); }
    void Note(const char* step) { log.push_back(step); }

    Log log;
    bool carChanged = false, carSkinThrows = false, upkeepThrows = false, running = false;
    bool readable = true, serverConnected = false, readyToSend = false;
    float left = 0, top = 0;
    std::function<void()> insideActiu;
};

const Log kRunningTick{"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameActive", "Lectures"};

class ScanCycleTest : public ::testing::Test {
protected:
    TempDir dir;
    SettingsStore store{dir.File("Kerbview.ini")};
    Settings settings;
    ErrorReporter reporter;
    FakeSteps steps;
    ScanCycle cycle{steps, settings, store, reporter};
};

TEST_F(ScanCycleTest, TickRunsEveryStepInOrderForEachRole) {
    struct Case {
        const char* name;
        std::int16_t role;
        bool carChanged, running, debug, connected, ready;
        Log expected;
        bool readable = true, carSkinThrows = false;
    };
    // clang-format off
    const Case cases[] = {
        // name                                       role  car    run    debug  conn   ready
        {"car change, running, debug",                  0,  true,  true,  true,  false, false,
         {"CarChanged", "TimerOff", "CarSkinUpdate", "TimerOn", "SocketUpkeep", "RACE07_Actiu",
          "GameActive", "TickCount", "Lectures"}},
        {"running, no debug: no tick count",            0,  false, true,  false, false, false,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameActive", "Lectures"}},
        {"client: never looks for the simulator",       2,  false, true,  true,  true,  true,
         {"CarChanged", "SocketUpkeep"}},
        {"server, running: Lectures sends, no status",  1,  false, true,  false, true,  true,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameActive", "Lectures"}},
        {"server, not running, client ready: status",   1,  false, false, false, true,  true,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameInactive", "SendStatusOnly"}},
        {"server, not running, previous packet unsent", 1,  false, false, false, true,  false,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameInactive"}},
        {"server, not running, nobody connected",       1,  false, false, false, false, true,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameInactive"}},
        {"no role, not running: nothing is sent",       0,  false, false, false, true,  true,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameInactive"}},
        {"running but unopened: status, no snapshot",   1,  false, true,  false, true,  true,
         {"CarChanged", "SocketUpkeep", "RACE07_Actiu", "GameActive", "SendStatusOnly"}, false},
        {"unknown role: the simulator is not read",     7,  false, true,  false, true,  true,
         {"CarChanged", "SocketUpkeep"}},
        {"failing car picture: the timer restarts",     0,  true,  false, false, false, false,
         {"CarChanged", "TimerOff", "CarSkinUpdate", "TimerOn", "SocketUpkeep", "RACE07_Actiu",
          "GameInactive"}, true, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.TipusConexio = c.role;
        settings.DebugEnabled = c.debug;
        steps.carChanged = c.carChanged;
        steps.running = c.running;
        steps.serverConnected = c.connected;
        steps.readyToSend = c.ready;
        steps.readable = c.readable;
        steps.carSkinThrows = c.carSkinThrows;
        steps.log.clear();
        cycle.Tick();
        EXPECT_EQ(steps.log, c.expected);
    }
    EXPECT_EQ(reporter.ErrorProc(), "");
}

// A socket that throws, or a window beyond the 32-bit range (held as a 32-bit integer).
TEST_F(ScanCycleTest, ErrorInTempsIsReportedAsTempsAndTheNextTickStartsAfresh) {
    Log lines;
    reporter.SetSink(
        [&](const ErrorReport& r) { lines.push_back(r.procedure + ": " + r.message); });
    steps.running = true;
    for (const bool socket : {true, false}) {
        SCOPED_TRACE(socket ? "socket" : "position");
        steps.upkeepThrows = socket;
        steps.left = socket ? 0 : 3e9f;
        steps.log.clear();
        lines.clear();
        cycle.Tick();
        EXPECT_EQ(steps.log, (socket ? Log{"CarChanged", "SocketUpkeep"} : Log{"CarChanged"}));
        EXPECT_EQ(lines, Log{socket ? "Temps: socket" : "Temps: overflow"});
        EXPECT_FALSE(cycle.InTick());

        steps.upkeepThrows = false;
        steps.left = 0;
        steps.log.clear();
        cycle.Tick();
        EXPECT_EQ(steps.log, kRunningTick);
    }
}

TEST_F(ScanCycleTest, TickInsideATickIsDroppedEvenFromANestedEventLoop) {
    // RACE07_Actiu shows its message box here; the box's event loop delivers Timer1 twice.
    bool sawInTick = false;
    steps.insideActiu = [&] {
        sawInTick = cycle.InTick();
        steps.insideActiu = nullptr;
        cycle.Tick();
        cycle.Tick();
    };
    steps.running = true;
    cycle.Tick();
    EXPECT_TRUE(sawInTick);
    EXPECT_EQ(cycle.DroppedTicks(), 2u);
    EXPECT_EQ(steps.log, kRunningTick);
    EXPECT_FALSE(cycle.InTick());
    steps.log.clear();
    cycle.Tick();
    EXPECT_EQ(steps.log, kRunningTick) << "the next regular tick scans as usual";
}

TEST_F(ScanCycleTest, WindowPositionIsWrittenAsASingleOnlyWhenItDiffersFromTheHeldValue) {
    const std::filesystem::path& ini = store.IniPath();
    auto tickWrites = [&](float left, float top) {
        std::filesystem::remove(ini);
        steps.left = left, steps.top = top;
        cycle.Tick();
        return std::filesystem::exists(ini) ? testing::ReadBytes(ini) : "";
    };
    EXPECT_EQ(tickWrites(0, 0), "") << "a window at the stored 0,0 writes nothing";
    EXPECT_EQ(tickWrites(1500, 3000), "[Opcions]\r\nPosFormX=1500\r\nPosFormY=3000\r\n");
    EXPECT_EQ(settings.PosFormX, 1500);
    EXPECT_EQ(settings.PosFormY, 3000);
    EXPECT_EQ(tickWrites(1500, 3000), "") << "an idle window causes no file traffic";
    EXPECT_EQ(tickWrites(1500, 4500), "[Opcions]\r\nPosFormY=4500\r\n");
    // Held rounded half to even, written as a Single; a fractional position is written once.
    EXPECT_EQ(tickWrites(100.5f, -1234.5678f),
              "[Opcions]\r\nPosFormX=100.5\r\nPosFormY=-1234.568\r\n");
    EXPECT_EQ(settings.PosFormX, 100);
    EXPECT_EQ(settings.PosFormY, -1235);
    EXPECT_EQ(tickWrites(100.5f, -1234.5678f), "");
    settings.PosFormX = 0;  // the window was found off-screen and reset
    EXPECT_EQ(tickWrites(100.5f, -1234.5678f), "[Opcions]\r\nPosFormX=100.5\r\n");
    EXPECT_EQ(settings.PosFormX, 100);
}

TEST(ScanTimeMenu, OnlyAMatchingItemIsCheckedAndANegativeTimeStopsTheTimer) {
    const std::optional<std::size_t> none;
    struct Case {
        std::int16_t scanTime;
        std::optional<std::size_t> checked;
        int interval;
    };
    const Case cases[] = {{10, 0, 10},     {50, 1, 50},      {150, 2, 150}, {500, 3, 500},
                          {1000, 4, 1000}, {200, none, 200}, {0, none, 0},  {-5, none, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(CheckedScanTimeItem(c.scanTime), c.checked) << c.scanTime;
        EXPECT_EQ(TimerIntervalFor(c.scanTime), c.interval) << c.scanTime;
    }
}

}  // namespace
}  // namespace kerbview::core
