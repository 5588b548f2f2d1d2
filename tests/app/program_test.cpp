// SPDX-License-Identifier: MIT
#include "app/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "core/colours.h"
#include "core/profile_file.h"
#include "net/wire_format.h"
#include "panel/element_catalogue.h"
#include "telemetry/fake_platform.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;
using testing::FakeFrontEnd;
using Log = std::vector<std::string>;

struct Rig : testing::ProgramRig {
    explicit Rig(std::string_view ini = "") : ProgramRig(ini) {}
    bool Start() { return program.Main(frontEnd); }
    std::string Ini(std::string_view key) const {
        return core::ReadProfileValue(folder.File("Kerbview.ini"), "Opcions", key)
            .value_or("<none>");
    }
    FakeFrontEnd frontEnd;
    Log& log = frontEnd.log;
};

TEST(ProgramStartup, AppliesSettingsInLoadOrderBeforeTimerAndShow) {
    Rig rig("[Opcions]\r\nTipusConexio=1\r\nBackgroundColor=255\r\n");
    rig.folder.Write("pdSkin.jpg", "");  // empty: silently not a picture
    ASSERT_TRUE(rig.Start());
    const Log expected{"CreateMainWindow",   "SetBackgroundColour 255",
                       "Decode CarSkin.gif", "Decode pdSkin.jpg",
                       "Move 0,0",
                       "Interval 500",  // Canvia_Scan
                       "Interval 500",  // Main's own timer step
                       "ShowMainWindow"};
    EXPECT_EQ(rig.log, expected);
    EXPECT_TRUE(rig.program.Panel()[Element::Image2].picture.empty());
    // Each apply procedure wrote its keys, in load order, after the ones the file already had.
    const std::string ini = rig.folder.Read("Kerbview.ini");
    std::size_t at = 0;
    for (const char* key : {"Idioma=", "ScanTime=500", "IP=", "Port=1001", "NoGrafics=False",
                            "Unitats=Metric", "DadesServ=True"}) {
        const std::size_t next = ini.find(key);
        EXPECT_GT(next, at) << key;
        at = next == std::string::npos ? at : next;
    }
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::Servidor).checked);
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::VeureDadesServidor).enabled);
    // The gauges take the background colour when the window loads.
    EXPECT_EQ(rig.program.Panel()[panel::Bar(3)].backColor, 255u);
}

TEST(ProgramStartup, OutOfRangeSettingEndsStartupWithoutAnyWindowAndSaysWhich) {
    // ScanTime is read before Depurar, so even with debugging on the debug window stays silent.
    Rig rig("[Opcions]\r\nScanTime=40000\r\n[Depurar]\r\nDepurar=1\r\n");
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.log.empty()) << rig.log.front();
    EXPECT_EQ(rig.program.Debug().Label(21), "");
    EXPECT_NE(rig.errors.str().find("[Opcions] ScanTime=40000"), std::string::npos)
        << rig.errors.str();
}

// The edge cases are WindowPlacement's; here: the program measures the desktop and the outer
// window (9960 x 8535 twips) it is given.
TEST(ProgramStartup, OffScreenStoredPositionOpensOnScreen) {
    const panel::DesktopRect single{0, 0, 1280, 1024}, twoScreens{-1280, 0, 2560, 1024};
    for (const auto& [desktop, move] :
         {std::pair{single, "Move 0,0"}, std::pair{twoScreens, "Move -15000,300"}}) {
        Rig rig("[Opcions]\r\nPosFormX=-15000\r\nPosFormY=300\r\n");
        rig.frontEnd.desktop = desktop;
        ASSERT_TRUE(rig.Start());
        EXPECT_NE(std::find(rig.log.begin(), rig.log.end(), move), rig.log.end()) << move;
    }
}

// Which values have an item is ScanTimeMenu's table; here: the program applies the answer.
TEST(ProgramScanTime, NegativeValueStopsTheTimerAndIsKept) {
    Rig rig("[Opcions]\r\nScanTime=-5\r\n");
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.frontEnd.interval, 0);
    EXPECT_EQ(rig.Ini("ScanTime"), "-5");
}

TEST(ProgramGraphics, GraficosSwitchesFieldColoursGaugesAndMarkers) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    auto& panel = rig.program.Panel();
    EXPECT_TRUE(panel.MenuAt(Menu::Graficos).checked);
    panel.SetBackColor(Element::Label2, core::ColorHot);
    panel.SetValue(panel::Bar(4), 120);

    rig.program.MenuClick(Menu::Graficos);  // off
    EXPECT_EQ(panel[Element::Label2].backColor, core::ColorPlain);
    EXPECT_EQ(panel[Element::Label46].backColor, core::ColorPlain);
    EXPECT_EQ(panel[Element::Label37].backColor, core::Rgb(0, 0xC0, 0xC0));  // not a threshold
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(panel[panel::Bar(n)].value, 0) << n;
        EXPECT_FALSE(panel[panel::Marker(n)].visible) << n;
    }
    EXPECT_FALSE(panel.MenuAt(Menu::Graficos).checked);
    EXPECT_EQ(rig.Ini("NoGrafics"), "True");

    rig.program.MenuClick(Menu::Graficos);  // on again
    EXPECT_EQ(panel[Element::Label18].backColor, core::ColorCold);
    EXPECT_FALSE(panel[panel::Marker(1)].visible);  // until the next scan shows it
    EXPECT_TRUE(panel.MenuAt(Menu::Graficos).checked);
    EXPECT_EQ(rig.Ini("NoGrafics"), "False");
}

// The debugging half (Label21, the debug window) is QtFrontEnd.DebugWindowShowsAReportedError's.
TEST(ProgramErrors, ErrorsKeepTheirMessageAndStayOffLabel21WithoutDebugging) {
    // An imperial brake threshold of 30000 does not fit 16 bits: Canvia_Unitats fails at load.
    Rig rig("[Opcions]\r\nUnitats=Imperial\r\n[MaxMin]\r\nMaxFrens=30000\r\n");
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.program.Debug().Label(21), "");
    EXPECT_NE(rig.errors.str().find("Canvia_Unitats: overflow"), std::string::npos)
        << rig.errors.str();
    EXPECT_EQ(rig.Ini("Unitats"), "Imperial") << "as the user wrote it: the apply stored nothing";
}

TEST(ProgramErrors, SettingsWriteThatFailsIsReported) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    std::filesystem::remove(rig.folder.File("Kerbview.ini"));
    std::filesystem::create_directory(rig.folder.File("Kerbview.ini"));  // cannot be a file now
    rig.program.MenuClick(Menu::Graficos);
    EXPECT_NE(rig.errors.str().find("Canvia_Grafics: Kerbview.ini"), std::string::npos)
        << rig.errors.str();
}

TEST(ProgramMenus, ClicksApplyAndStoreOnlyWhatChanged) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    const std::string before = rig.folder.Read("Kerbview.ini");
    rig.program.MenuClick(Menu::Espanol);  // the language already chosen
    rig.program.MenuClick(Menu::Metrico);  // the unit already chosen
    EXPECT_EQ(rig.folder.Read("Kerbview.ini"), before);

    rig.program.MenuClick(Menu::English);
    EXPECT_EQ(rig.program.Panel()[Element::Label31].text, "Lap Times");
    EXPECT_EQ(rig.program.Panel()[Element::Label1].text, "Scanning...");
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::English).checked);
    EXPECT_FALSE(rig.program.Panel().MenuAt(Menu::Espanol).checked);
    EXPECT_EQ(rig.Ini("Idioma"), "English");

    rig.program.MenuClick(Menu::Imperial);
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::Imperial).checked);
    EXPECT_EQ(rig.program.Panel()[panel::Bar(4)].maxvalue, 220);
    EXPECT_EQ(rig.Ini("Unitats"), "Imperial");

    rig.program.MenuClick(Menu::VeureDadesServidor);
    EXPECT_FALSE(rig.program.Panel().MenuAt(Menu::VeureDadesServidor).checked);
    EXPECT_EQ(rig.Ini("DadesServ"), "False");

    rig.server.m_state = net::SocketState::Listening;
    rig.program.MenuClick(Menu::Servidor);
    rig.program.MenuClick(Menu::Client);
    rig.program.MenuClick(Menu::AcercaDe);
    EXPECT_EQ(Log(rig.log.end() - 3, rig.log.end()),
              (Log{"ShowIntroPort", "ShowIntroIP", "ShowAbout"}));
    EXPECT_EQ(rig.program.Settings().TipusConexio, 0) << "the dialogs, not the clicks, switch";
    rig.program.MenuClick(Menu::Cap);
    EXPECT_EQ(rig.server.m_state, net::SocketState::Closed) << "no role closes both sockets";
    EXPECT_EQ(rig.Ini("TipusConexio"), "0");
}

// The dashboard is no original setting: a file without [Web] keeps without it until the user
// switches it; the check mark says whether it serves, and a busy port leaves it unchecked.
TEST(ProgramWeb, DashboardItemServesStoresAndShowsWhetherItServes) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.folder.Read("Kerbview.ini").find("[Web]"), std::string::npos);
    rig.frontEnd.busyPort = 8099;
    rig.program.MenuClick(Menu::WebDashboard);
    EXPECT_FALSE(rig.program.Panel().MenuAt(Menu::WebDashboard).checked);
    EXPECT_EQ(Log(rig.log.end() - 2, rig.log.end()),
              (Log{"ServeWebDashboard 8099", "ShowWebDashboardWindow"}));
    rig.frontEnd.busyPort = 0;
    rig.program.MenuClick(Menu::WebDashboard);  // not serving yet: the click tries again
    EXPECT_TRUE(rig.program.Panel().MenuAt(Menu::WebDashboard).checked);
}

TEST(ProgramRoles, AcceptedDialogSwitchesTheRoleAndItsMenus) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
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
}

// Another program's "RACE 07" window is passed over with a notice once a scan of it reads
// nothing: its zeros are never sent as telemetry, its client gets status packets meanwhile, and
// the simulator's window behind it is found after its own delay.
TEST(ProgramLink, AWindowWhoseProcessHoldsNoTelemetryIsPassedOverWithoutSendingZeros) {
    testing::ProgramFolder folder;
    folder.Write("Kerbview.ini", "[Opcions]\r\nTipusConexio=1\r\nScanTime=500\r\n");
    auto windows = std::make_unique<telemetry::testing::FakeWindowFinder>();
    auto memory = std::make_unique<telemetry::testing::FakeProcessMemory>();
    windows->window = 77, windows->processId = 666;
    windows->later = {{78, 4242}};
    memory->otherPrograms = {666};
    telemetry::testing::Apply(*memory->image, telemetry::testing::SessionWrites());
    net::test::FakeSocket server, client;
    std::ostringstream errors;
    FakeFrontEnd frontEnd;
    Program program(folder.Path(), '.', {std::move(windows), std::move(memory)}, {server, client},
                    errors);
    ASSERT_TRUE(program.Main(frontEnd));
    // Listen, the appearance delay, the scan that reads nothing, and one tick more.
    for (int tick = 0; tick < 10; ++tick) {
        program.Tick();
        server.m_state = net::SocketState::Connected;
        if (server.m_events.sendComplete) server.m_events.sendComplete();
    }
    const std::string notRunning = program.Texts().TxtNotRunning;
    EXPECT_EQ(program.Panel()[Element::Label1].text, notRunning);
    ASSERT_EQ(server.m_sent.size(), 8u);
    for (const std::string& packet : server.m_sent) {
        EXPECT_EQ(packet.substr(6, 54), std::string(54, '\0')) << "not a status packet";
    }
    EXPECT_EQ(server.m_sent.back(),
              net::PacketBytes(net::PacketLengthFor(net::StatusOnlyBody(notRunning)),
                               net::StatusOnlyBody(notRunning)));
    EXPECT_NE(errors.str().find("process 666 holds no telemetry"), std::string::npos)
        << errors.str();
    for (int tick = 0; tick < 7; ++tick) program.Tick(), server.m_events.sendComplete();
    EXPECT_NE(server.m_sent.back().find("Ann Driver"), std::string::npos);
    EXPECT_TRUE(std::none_of(frontEnd.log.begin(), frontEnd.log.end(),
                             [](const std::string& l) { return l.starts_with("Message"); }));
}

TEST(ProgramShutdown, SalirClosesTheWindowAndEndsTheProgram) {
    Rig rig;
    ASSERT_TRUE(rig.Start());
    rig.log.clear();
    rig.program.MenuClick(Menu::Salir);
    EXPECT_EQ(rig.log, (Log{"CloseMainWindow", "Quit"}));
    EXPECT_FALSE(rig.program.Link().HoldsProcessHandle());
}

}  // namespace
}  // namespace kerbview::app

namespace kerbview::panel {
namespace {

// A row copied under the wrong name, or a place outside the panel, shows up here.
TEST(ElementCatalogue, NamesFollowElementsAndPlacesLieInsideThePanel) {
    for (int n = 1; n <= 48; ++n) EXPECT_EQ(Info(LabelN(n)).name, "Label" + std::to_string(n));
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(Info(Lamp(n)).name, "Command1(" + std::to_string(n) + ")");
        EXPECT_EQ(Info(Lamp(n)).top, 7560);
    }
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(Info(Bar(n)).name, "ProgressBar" + std::to_string(n));
        EXPECT_EQ(Info(Marker(n)).name, "Shape" + std::to_string(n));
    }
    for (const ElementInfo& info : ElementCatalogue()) {
        if (info.element == Element::List1) {
            EXPECT_GE(info.left, kDesignClientWidth);  // placed beyond the right edge
            continue;
        }
        EXPECT_GE(info.left, 0) << info.name;
        EXPECT_GE(info.top, 0) << info.name;
        // Command1(7) as listed reaches one pixel past the right edge.
        EXPECT_LE(info.left + info.width, kDesignClientWidth + kTwipsPerPixel) << info.name;
        EXPECT_LE(info.top + info.height, kDesignClientHeight) << info.name;
        EXPECT_FALSE(info.role.empty()) << info.name;
    }
}

}  // namespace
}  // namespace kerbview::panel
