// SPDX-License-Identifier: MIT
#include "app/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_fixture.h"
#include "core/profile_file.h"
#include "panel/element_catalogue.h"
#include "telemetry/fake_platform.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;
using testing::FakeFrontEnd;
using testing::ServerAndClient;
using Log = std::vector<std::string>;

// The lines joined by ", ", without the timer's interval set again to the same value and without
// the closing of a dashboard window (a start-up without the dashboard closes one not there).
std::string Joined(const Log& log) {
    std::string out, last;
    for (const std::string& line : log) {
        if ((line == last && line.starts_with("Interval")) || line == "CloseDashboard") continue;
        out += (out.empty() ? "" : ", ") + (last = line);
    }
    return out;
}

struct Rig : testing::ProgramRig {
    using ProgramRig::ProgramRig;
    std::string Ini(std::string_view key, std::string_view section = "Opcions") const {
        return core::ReadProfileValue(folder.File("Kerbview.ini"), section, key).value_or("<none>");
    }
    Log& log = frontEnd.log;
};

// The settings file decides what start-up opens, stores in its order and what the first three
// ticks do, here with the server's port and the dashboard's held by other programs. Before Main,
// and after a start that stopped, there is no window: a menu click, a socket event and a tick
// reach nothing. A picture that is no picture is not recorded.
TEST(ProgramStartup, SettingsFileDecidesWhatOpensAndWhatTheFirstTicksDo) {
    const std::string open =
        "CreateMainWindow, Background 0, Decode CarSkin.gif, Decode pdSkin.jpg, ";
    const std::string shown = open + "Move 0 0, Interval 500, ShowMainWindow";
    const std::string notRunning = "RACE07 NO CARGADO|||Cap Espa\xF1ol|Conexi\xF3n|0";
    const char* const offScreen = "[Opcions]\r\nPosFormX=-15000\r\nPosFormY=300\r\nScanTime=-5\r\n";
    const struct {
        const char* ini;
        std::string log, errors;
        // Label1|Label15|Label21|the role and language items checked, + when VeureDadesServidor
        // is enabled|the Conexio menu's caption|the gauges' background, the Image2 picture
        std::string panel;
        std::string sockets;
        std::int64_t desktopLeft = 0;  // the desktop reaches from here to 19200 twips
        const char* kept = "";         // lines the file holds in this order, between spaces
    } cases[] = {
        {"[Opcions]\r\nTipusConexio=1\r\nBackgroundColor=255\r\n",
         "CreateMainWindow, Background 255, Decode CarSkin.gif, Decode pdSkin.jpg, Move 0 0, "
         "Interval 500, ShowMainWindow, Message Port 1001 could not be opened: in use|",
         "Kerbview: Port 1001 could not be opened: in use\nKerbview: Temps: in use\n",
         "Escaneando...|N/A||Servidor Espa\xF1ol+|Conexi\xF3n|255",
         "listen 1001, listen 1001, listen 1001/"},
        {offScreen, open + "Move 0 0, Interval 0, ShowMainWindow", "", notRunning, "/", 0,
         "ScanTime=-5"},
        {offScreen, open + "Move -15000 300, Interval 0, ShowMainWindow", "", notRunning, "/",
         -19200},
        {"[Opcions]\r\nTipusConexio=7\r\n[Administrar]\r\nAdministrar=1\r\n[Depurar]\r\n"
         "Depurar=1\r\n",
         shown + ", Admin Administrar Kerbview, Debug Depurar", "",
         "Escaneando...|||Espa\xF1ol|Conexi\xF3n|0", "/", 0, "TipusConexio=7"},
        // A name that is none of the eight (here in the wrong case) checks no language and
        // leaves the texts empty, but every menu keeps a caption: its item's name.
        {"[Opcions]\r\nIdioma=english\r\n", shown, "", "|||Cap|Conexio|0", "/"},
        {"[Web]\r\nEnabled=1\r\n", shown + ", Dashboard 8099: El puerto est\xE1 ocupado",
         "Kerbview: The web dashboard cannot be served: port 8099 could not be opened: another "
         "program is using it. Close that program, or choose another Port in [Web]\n",
         notRunning, "/", 0,
         "Idioma= ScanTime=500 TipusConexio=0 IP= Port=1001 NoGrafics=False Unitats=Metric "
         "DadesServ=True"},
        {"[Opcions]\r\nUnitats=Imperial\r\n[MaxMin]\r\nMaxFrens=30000\r\n", shown,
         "Kerbview: Canvia_Unitats: overflow\n", notRunning, "/"},
        {"[Opcions]\r\nScanTime=40000\r\n[Depurar]\r\nDepurar=1\r\n", "",
         "Kerbview: Main: [Opcions] ScanTime=40000: overflow; the program does not start\n",
         "|||+|Conexi\xF3n|0", "/"},
    };
    for (const auto& c : cases) {
        Rig rig(c.ini);
        rig.folder.Write("pdSkin.jpg", "");
        rig.frontEnd.desktop = {c.desktopLeft, 0, 19200 - c.desktopLeft, 15360};
        rig.server.m_failListen = true;
        rig.dashboard.busyPort = 8099;
        rig.program.MenuClick(Menu::Salir);
        rig.client.m_events.dataArrival();
        EXPECT_EQ(rig.Start(), !c.log.empty()) << c.ini;
        for (int tick = 0; tick < 3; ++tick) rig.program.Tick();
        EXPECT_EQ(Joined(rig.log), c.log) << c.ini;
        EXPECT_EQ(rig.errors.str(), c.errors) << c.ini;
        panel::PanelModel& panel = rig.program.Panel();
        std::string shownPanel = panel[Element::Label1].text + "|" + panel[Element::Label15].text +
                                 "|" + rig.program.Debug().Label(21) + "|";
        std::vector<Menu> items{Menu::Cap, Menu::Servidor, Menu::Client};
        items.insert(items.end(), kLanguageMenus.begin(), kLanguageMenus.end());
        for (Menu m : items) {
            if (panel.MenuAt(m).checked) (shownPanel += panel::Info(m).name) += " ";
        }
        if (shownPanel.back() == ' ') shownPanel.pop_back();
        if (panel.MenuAt(Menu::VeureDadesServidor).enabled) shownPanel += "+";
        EXPECT_EQ(shownPanel + "|" + panel.MenuAt(Menu::Conexio).caption + "|" +
                      std::to_string(panel[panel::Bar(3)].backColor) +
                      panel[Element::Image2].picture,
                  c.panel)
            << c.ini;
        EXPECT_EQ(Joined(rig.server.m_log) + "/" + Joined(rig.client.m_log), c.sockets) << c.ini;
        const std::string ini = rig.folder.Read("Kerbview.ini");
        std::istringstream kept(c.kept);
        std::size_t at = 0;
        for (std::string line; kept >> line;) {
            at = ini.find(line, at);
            EXPECT_NE(at, ini.npos) << line;
        }
    }
}

TEST(ProgramErrors, SettingsWriteThatFailsIsReported) {
    Rig rig;
    std::filesystem::create_directory(rig.folder.File("Kerbview.ini"));  // cannot be a file
    ASSERT_TRUE(rig.Start());
    // Start-up writes its settings in one go, and says once that it could not.
    EXPECT_NE(rig.errors.str().find("Main: Kerbview.ini: not a readable file"), std::string::npos);
    EXPECT_EQ(rig.errors.str().find("Canvia_"), std::string::npos) << rig.errors.str();
    rig.program.MenuClick(Menu::Graficos);
    EXPECT_NE(rig.errors.str().find("Canvia_Grafics: Kerbview.ini"), std::string::npos)
        << rig.errors.str();
}

// A click shows, applies and stores its setting at once; one on what is already chosen changes
// and writes nothing. The dashboard and the recording are no original settings: a file without
// [Web] or [Recording] keeps without it until the user switches it. The dashboard's check mark
// says whether it serves, so a click on it unchecked tries again; no recording folder is made
// before the first stint.
TEST(ProgramMenus, ClicksShowApplyAndStoreTheirSettingAtOnce) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    const panel::PanelModel& panel = rig.program.Panel();
    const std::string before = rig.folder.Read("Kerbview.ini");
    rig.program.MenuClick(Menu::Espanol);  // the language already chosen
    rig.program.MenuClick(Menu::Metrico);  // the unit already chosen
    EXPECT_EQ(rig.folder.Read("Kerbview.ini"), before);
    EXPECT_TRUE(before.find("[Web]") == before.npos && before.find("[Recording]") == before.npos &&
                before.find("[Race]") == before.npos);

    const struct {
        Menu click;
        const char* key;
        const char* stored;
        bool checked;
        const char* section = "Opcions";
        std::uint16_t busyPort = 0;  // the dashboard's port held by another program
    } clicks[] = {
        {Menu::RecordStints, "Enabled", "True", true, "Recording"},
        {Menu::RecordStints, "Enabled", "False", false, "Recording"},
        {Menu::English, "Idioma", "English", true},
        {Menu::Imperial, "Unitats", "Imperial", true},
        {Menu::VeureDadesServidor, "DadesServ", "False", false},
        {Menu::Graficos, "NoGrafics", "True", false},
        {Menu::TS_1000, "ScanTime", "1000", true},
        {Menu::WebDashboard, "Enabled", "True", false, "Web", 8099},
        {Menu::WebDashboard, "Enabled", "True", true, "Web"},
        {Menu::WebDashboard, "Enabled", "False", false, "Web"},
    };
    for (const auto& c : clicks) {
        rig.dashboard.busyPort = c.busyPort;
        rig.program.MenuClick(c.click);
        EXPECT_EQ(rig.Ini(c.key, c.section), c.stored);
        EXPECT_EQ(panel.MenuAt(c.click).checked, c.checked) << c.key;
    }
    EXPECT_EQ(Log(rig.log.end() - 3, rig.log.end()),
              (Log{"Dashboard 8099: The port is in use", "Dashboard http://192.168.1.5:8099/",
                   "CloseDashboard"}));
    EXPECT_FALSE(panel.MenuAt(Menu::Espanol).checked || panel.MenuAt(Menu::TS_500).checked);
    EXPECT_EQ(panel[Element::Label31].text + "|" + panel[Element::Label1].text + "|" +
                  panel.MenuAt(Menu::RecordStints).caption,
              "Lap Times|Scanning...|Record stints");
    EXPECT_FALSE(std::filesystem::exists(rig.folder.File("recordings")));
    EXPECT_EQ(panel[panel::Bar(4)].maxvalue, 220);

    rig.log.clear();
    rig.program.MenuClick(Menu::Salir);
    EXPECT_EQ(rig.log, (Log{"CloseMainWindow", "Quit"}));
}

// The Conexio items open the address dialogs with the stored values; only an accepted dialog
// switches the role, its menus and the file, and the next tick connects. No role closes both.
TEST(ProgramRoles, AnAcceptedDialogSwitchesTheRoleAndItsMenus) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    rig.program.MenuClick(Menu::Servidor);
    rig.program.MenuClick(Menu::Client);
    EXPECT_EQ(Log(rig.log.end() - 2, rig.log.end()),
              (Log{"Datos Servidor 1001", "Datos Cliente 192.168.000.002 1001"}));
    EXPECT_EQ(rig.program.IntroPortAccept("70000"), net::DialogOutcome::BadPort);
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::Cap).checked);
    EXPECT_EQ(rig.program.IntroIpAccept("010.000.000.001", "2002"), net::DialogOutcome::Accepted);
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::Client).checked);
    EXPECT_FALSE(rig.program.Panel().MenuAt(Menu::VeureDadesServidor).enabled);
    EXPECT_EQ(rig.Ini("TipusConexio") + " " + rig.Ini("IP") + " " + rig.Ini("Port"),
              "2 010.000.000.001 2002");
    rig.program.Tick();
    EXPECT_EQ(rig.client.m_log.back(), "connect 10.0.0.1:2002");
    EXPECT_EQ(rig.program.Panel()[Element::Label15].text, "N/A");
    rig.program.MenuClick(Menu::Cap);
    EXPECT_EQ(rig.client.m_log.back() + " " + rig.Ini("TipusConexio"), "close 0");
}

// The position is written as a single, only when it differs from the value held (the position
// rounded): an idle window causes no file traffic, a fractional one is written once.
TEST(ProgramTick, WindowPositionIsWrittenOnlyWhenItMoved) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    // What the tick wrote, into a file removed before it.
    const auto tick = [&](float left, float top) {
        std::filesystem::remove(rig.folder.File("Kerbview.ini"));
        rig.frontEnd.left = left, rig.frontEnd.top = top;
        rig.program.Tick();
        return rig.Ini("PosFormX") + " " + rig.Ini("PosFormY");
    };
    const std::string nothing = "<none> <none>";
    EXPECT_EQ(tick(0, 0), nothing);
    EXPECT_EQ(tick(1500, 3000), "1500 3000");
    EXPECT_EQ(tick(1500, 3000), nothing);
    EXPECT_EQ(tick(1500, 4500), "<none> 4500");
    EXPECT_EQ(tick(100.5f, -1234.5678f), "100.5 -1234.568");
    EXPECT_EQ(rig.program.Settings().PosFormX, 100);
    EXPECT_EQ(rig.program.Settings().PosFormY, -1235);
    EXPECT_EQ(tick(100.5f, -1234.5678f), nothing);
    // Beyond the 32-bit range: the tick fails as Temps, and the next one starts afresh.
    tick(3e9f, 0);
    EXPECT_EQ(rig.errors.str(), "Kerbview: Temps: overflow\n");
    EXPECT_EQ(tick(0, 0), "0 0");
}

// Another copy of the program holds the file when the window closes: the end waits for it.
TEST(ProgramShutdown, ValueHeldBackByAnotherWriterIsWrittenAtTheEnd) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    core::LockAttempt other =
        core::MakeFileSystem()->TryLockWriters(rig.folder.File("Kerbview.ini"));
    ASSERT_NE(other.lock, nullptr);
    rig.program.MenuClick(Menu::Graficos);
    EXPECT_EQ(rig.Ini("NoGrafics"), "False");
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.lock.reset();
    });
    rig.program.Unload();
    release.join();
    EXPECT_EQ(rig.Ini("NoGrafics"), "True");
    EXPECT_EQ(rig.errors.str(), "");
}

// Field 53 of a packet (the server's status), and whether fields 0..52 are empty.
std::pair<std::string, bool> StatusField(const std::string& packet) {
    const std::size_t end = packet.size() - 1;  // the closing NUL
    const std::size_t start = packet.rfind('\0', end - 1) + 1;
    return {packet.substr(start, end - start), packet.compare(6, 54, std::string(54, '\0')) == 0};
}

// Both ends keep their own lap reference and show the same figures from the same packets: the
// lap under way when the simulator attaches (a server) or the readings start (a client) gives
// none. (How the ignition moves the reference is the presentation's table.)
TEST(ProgramFuelUsed, ServerAndClientShowTheSameFigureAfterAttachIgnitionAndRestart) {
    ServerAndClient pair(150);
    const auto lap = [&](std::int32_t n, float fuel) { pair.Scan(n, fuel); };
    const auto showServerData = [&] { pair.server->MenuClick(Menu::VeureDadesServidor); };
    const struct {
        const char* what;
        std::function<void()> step;
        const char *server, *client;
    } steps[] = {
        {"attached during lap 7", [&] { ASSERT_TRUE(pair.Attach()); }, "", ""},
        {"lap 7 was not watched whole", [&] { lap(8, 40); }, "", ""},
        {"lap 8 watched whole", [&] { lap(9, 37.5f); }, "2.50L", "2.50L"},
        {"the simulator restarts, in lap 2 of a new race",
         [&] {
             pair.windows->window = 0;
             pair.Ticks(3000 / pair.scan);
             lap(2, 30);
             ASSERT_TRUE(pair.Attach());
         },
         "2.50L", "2.50L"},
        {"lap 2 was not watched whole", [&] { lap(3, 28); }, "2.50L", "2.50L"},
        {"lap 3 watched whole", [&] { lap(4, 25.5f); }, "2.50L", "2.50L"},
        {"the client is away for laps 4 and 5",
         [&] { pair.Connect(false), pair.Tick(), lap(5, 23.5f), lap(6, 21.25f); }, "2.25L",
         "2.50L"},
        {"the client connects anew during lap 6", [&] { pair.Connect(true), pair.Tick(); }, "2.25L",
         "2.50L"},
        {"lap 6 was joined late", [&] { lap(7, 19); }, "2.25L", "2.50L"},
        {"lap 7 watched whole", [&] { lap(8, 17.5f); }, "1.50L", "1.50L"},
        {"the server hides its readings for laps 8 and 9",
         [&] { showServerData(), lap(9, 15.5f), lap(10, 13.25f); }, "1.50L", "2.25L"},
        {"the server shows them again during lap 10",
         [&] { showServerData(), pair.Tick(), lap(11, 10.75f); }, "1.50L", "2.50L"},
        {"lap 11 watched whole", [&] { lap(12, 9); }, "1.75L", "1.75L"},
    };
    for (const auto& step : steps) {
        step.step();
        EXPECT_EQ(pair.server->Panel()[panel::LabelN(34)].text, step.server) << step.what;
        EXPECT_EQ(pair.client->Panel()[panel::LabelN(34)].text, step.client) << step.what;
    }
}

// Old values are marked on both ends once no snapshot came for max(2 s, 2.5 scans), and never
// between the scans or packets of a slow scan; unchanging values (the fake simulator's) are no
// sign of age. A server that does not show its readings has no values to age.
TEST(ProgramStale, ValuesAreStaleOnlyAfterAGapInSnapshotsAtEveryScanTime) {
    for (const auto& [scanTime, options] :
         {std::pair{10, ""}, std::pair{150, ""}, std::pair{1000, ""},
          std::pair{1000, "DadesServ=False\r\n"}}) {
        SCOPED_TRACE(std::to_string(scanTime) + " " + options);
        ServerAndClient pair(scanTime, options);
        const bool serverShows = std::string_view(options).empty();
        ASSERT_TRUE(pair.Attach());
        const std::int64_t limit = std::max(2000, scanTime * 5 / 2);
        std::int64_t serverRead = pair.clock.now, clientGot = pair.clock.now;
        std::size_t reads = pair.image->Reads().size();
        std::uint64_t presented = pair.client->PacketsPresented();
        int staleTicks = 0;
        for (int i = 0; i < 12000 / scanTime; ++i) {
            pair.deliver = i != 2000 / scanTime;                 // one packet lost
            if (i == 5000 / scanTime) pair.windows->window = 0;  // the simulator closes
            const std::int64_t tick = pair.clock.now;
            pair.Tick();
            if (pair.image->Reads().size() != reads) serverRead = tick;
            if (pair.client->PacketsPresented() != presented) clientGot = tick;
            reads = pair.image->Reads().size(), presented = pair.client->PacketsPresented();
            EXPECT_EQ(pair.server->Panel().Stale(), serverShows && tick - serverRead >= limit)
                << "tick " << i;
            EXPECT_EQ(pair.client->Panel().Stale(), tick + pair.ClientLag() - clientGot >= limit)
                << "tick " << i;
            staleTicks += pair.client->Panel().Stale();
            if (i == 5000 / scanTime - 1) {
                EXPECT_EQ(staleTicks, 0) << "stale while live";
            }
        }
        EXPECT_GT(staleTicks, 0);
        EXPECT_TRUE(pair.client->Panel().Stale() && pair.server->Panel().Stale() == serverShows);
        EXPECT_FALSE(pair.client->Panel()[panel::LabelN(30)].text.empty()) << "values kept";
    }
}

// The status a server sends is its link's state in its language (here not the default), byte for
// byte, whatever the state: its client shows it in Label1. Another program's "RACE 07" window,
// found first, is passed over with a notice once a scan of it reads nothing, its zeros never sent;
// the simulator's window behind it is found after its own delay, and no message is shown for it.
// A reading the client cannot present (water beyond a 16-bit figure) is reported and not counted
// as presented.
TEST(ProgramWire, StatusFieldIsTheLinkStateInTheServersLanguage) {
    ServerAndClient pair(1000, "Idioma=English\r\n");
    // The last packet sent, as "status ..." or "telemetry ..." with its field 53.
    const auto last = [&]() -> std::string {
        if (pair.sent.empty()) return "nothing sent";
        const auto [text, statusOnly] = StatusField(pair.sent.back());
        EXPECT_EQ(pair.client->Panel()[Element::Label1].text, text);
        return (statusOnly ? "status " : "telemetry ") + text;
    };
    pair.windows->window = 77, pair.windows->processId = 666;
    pair.windows->later = {{78, 4242}};
    pair.memory->otherPrograms = {666};
    pair.Ticks(5);
    EXPECT_EQ(last(), "status RACE07 NOT RUNNING") << "the window waits out its delay";
    for (const std::string& packet : pair.sent) EXPECT_TRUE(StatusField(packet).second);
    EXPECT_NE(pair.errors.str().find("process 666 holds no telemetry"), std::string::npos);
    ASSERT_TRUE(pair.Attach());
    EXPECT_EQ(last(), "telemetry RACE07 RUNNING");
    EXPECT_EQ(pair.serverFrontEnd.Messages(), "");
    const std::uint64_t presented = pair.client->PacketsPresented();
    pair.image->Double(telemetry::LoadMemoryMap().WaterTemp, 40273.15);
    pair.Tick();
    EXPECT_EQ(pair.client->PacketsPresented(), presented);
    EXPECT_NE(pair.errors.str().find("Kerbview: Lectures: "), std::string::npos);
    pair.server->MenuClick(Menu::TS_500);
    pair.Tick();
    EXPECT_EQ(last(), "status Scanning...") << "a new scan time attaches afresh";
    pair.memory->refuse = true;
    pair.serverFrontEnd.onMessage = [&] { pair.server->Tick(); };
    pair.Ticks(8);
    EXPECT_EQ(last(), "status Scanning...") << "the process could not be opened";
    EXPECT_EQ(pair.server->DroppedTicks(), 1u) << "a tick inside the message's tick";
    pair.windows->later.clear();  // the simulator's window is gone, the other is passed over
    pair.Ticks(4);
    EXPECT_EQ(last(), "status RACE07 NOT RUNNING") << "the window is gone";
    // The client's Timer1 keeps its pace through the packets: stopped and started again
    // for each, it would never fall due while they came at its own scan time.
    const Log& client = pair.clientFrontEnd.log;
    EXPECT_EQ(std::count(client.begin(), client.end(), "TimerOff"), 0) << Joined(client);
}

}  // namespace
}  // namespace kerbview::app
