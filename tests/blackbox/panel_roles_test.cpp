// SPDX-License-Identifier: MIT
// The program as a user sees it, beside the stand-in simulator of its platform (the Windows one
// under Wine for kerbview.exe), which is paused and holds the telemetry tests' session: its
// window, its panel's threshold colours and lamps in its own screenshot, its settings file
// beside it, the telemetry it serves, and what it shows as the client of the other build
// (KERBVIEW_PEER, by default itself), which must be the picture it shows reading the simulator
// itself. The Windows program also gets its language and units through its menu's commands.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <vector>

#include "frontends/win32/menu_ids.h"
#include "program_under_test.h"
#include "telemetry/fake_platform.h"
#include "telemetry/standin_checks.h"

namespace kerbview::blackbox {
namespace {

using Path = std::filesystem::path;

Path ProgramPath() { return Chosen("KERBVIEW_UNDER_TEST", KERBVIEW_PROGRAM); }

/// What one run of the program that ends with --screenshot left.
struct Shot {
    QImage panel;          // the initial picture
    bool shown = false;    // its window was seen on the display
    std::string settings;  // its settings file at the end
};

/// Runs program from a fresh folder with settings, has it save its panel 10 s after start (past
/// the simulator's appearance delay) and end; meanwhile runs while the window is up.
Shot TakeShot(const Path& program, const std::string& settings,
              const std::function<void(ProgramUnderTest&)>& meanwhile = {}) {
    ProgramUnderTest run(settings, program);
    Shot shot;
    if (!run.Start({"--screenshot", "initial.png", "resized.png", "10000"})) {
        ADD_FAILURE() << program << " did not start";
        return shot;
    }
    for (auto end = Clock::now() + 30s; !shot.shown && run.Running() && Clock::now() < end;) {
        shot.shown = KerbviewWindowShown();
        if (!shot.shown) run.Pause(200ms);
    }
    if (meanwhile) meanwhile(run);
    EXPECT_EQ(run.ExitCode(), 0) << program
                                 << " did not end well after its screenshot: " << run.ReadError();
    shot.panel.load(QString::fromStdString((run.Folder() / "initial.png").string()));
    EXPECT_FALSE(shot.panel.isNull()) << program << " saved no screenshot: " << run.ReadError();
    std::ifstream file(run.Folder() / "Kerbview.ini", std::ios::binary);
    shot.settings.assign(std::istreambuf_iterator<char>(file), {});
    return shot;
}

std::string Settings(int role, quint16 port, int left, const std::string& more = "") {
    return "[Opcions]\r\nScanTime=100\r\nTipusConexio=" + std::to_string(role) +
           "\r\nPort=" + std::to_string(port) +
           "\r\nIP=127.000.000.001\r\nPosFormX=" + std::to_string(left) + "\r\nPosFormY=4500\r\n" +
           more;
}

/// How many pixels of image have colour (opaque, as qRgb makes it); an RGB32 image's rows have
/// no padding, so its pixels are one array.
int Pixels(const QImage& image, QRgb colour) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constBits());
    return static_cast<int>(std::count(pixels, pixels + rgb.width() * rgb.height(), colour));
}

/// Whether the two pictures are equal in their bottom rows, where the lamps are.
bool SameLampRow(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return false;
    const int rows = a.height() * 3 / 100;
    return a.copy(0, a.height() - rows, a.width(), rows) ==
           b.copy(0, b.height() - rows, b.width(), rows);
}

std::string Describe(const Path& program) { return program.filename().string(); }

TEST(PanelBlackBox, WindowThresholdColoursLampsAndSettingsFileFollowSettingsAndSimulator) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    core::testing::ChildProcess sim = Standin();
    ASSERT_NO_FATAL_FAILURE(telemetry::testing::PrepareStandin(sim, 120s));
    const telemetry::MemoryMap map = telemetry::LoadMemoryMap();
    const QRgb cold = qRgb(0, 192, 192), ok = qRgb(128, 255, 128), hot = qRgb(255, 128, 128);
    struct Case {
        const char* what;
        // The thresholds, each the same for tyres, engine, pressure and brakes.
        const char* minimum;
        const char* maximum;
        int lamps;            // limiter, pits, TC and ABS all set to this
        const char* written;  // in the settings file after the run
    };
    // The session's tyres are at 80 to 91 degrees, engine 90 and 100, pressures 190 to 194 kPa,
    // brakes 300 to 330 degrees.
    const Case cases[] = {
        {"every value inside its band", "-100", "1999.5", 1, "MaxPneu=2000\r\nMinPneu=-100\r\n"},
        {"every value above its band", "-100", "0", 0, "MaxFrens=0\r\n"},
        {"every value below its band", "2000", "3000", 1, "MinMotor=2000\r\n"},
    };
    std::vector<Shot> shots;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto address : {map.PitLimiter, map.TcState, map.AbsState,
                                   telemetry::MemoryMap::SlotField(map.InPits, 5)}) {
            ASSERT_EQ(sim.Command(telemetry::testing::StandinCommand(
                          {telemetry::testing::MemoryWrite::Byte, address,
                           static_cast<double>(c.lamps)})),
                      "ok byte");
        }
        std::string thresholds = "[MaxMin]\r\n";
        for (const char* name : {"Pneu", "Motor", "Press", "Frens"}) {
            thresholds += std::string("Max") + name + "=" + c.maximum + "\r\nMin" + name + "=" +
                          c.minimum + "\r\n";
        }
        shots.push_back(TakeShot(ProgramPath(), Settings(0, 1001, 0, thresholds)));
        EXPECT_TRUE(shots.back().shown) << "no window titled Kerbview";
        EXPECT_NE(shots.back().settings.find(c.written), std::string::npos)
            << "settings file beside the program:\n"
            << shots.back().settings;
    }
    ASSERT_EQ(shots.size(), 3u);
    const QImage &inside = shots[0].panel, &above = shots[1].panel, &below = shots[2].panel;
    EXPECT_GT(Pixels(inside, ok), 2000);
    EXPECT_EQ(Pixels(inside, hot), 0);
    EXPECT_GT(Pixels(above, hot), 2000);
    EXPECT_EQ(Pixels(above, ok), 0);
    EXPECT_EQ(Pixels(below, ok) + Pixels(below, hot), 0);
    EXPECT_GT(Pixels(below, cold), Pixels(inside, cold) + 2000);
    EXPECT_TRUE(SameLampRow(inside, below)) << "lamps changed with the thresholds";
    EXPECT_FALSE(SameLampRow(inside, above)) << "lamps did not follow the simulator";
}

TEST(RolesBlackBox, ServersSendTheSimulatorsMemoryAndClientsShowItAsTheirOwnReading) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    core::testing::ChildProcess sim = Standin();
    ASSERT_NO_FATAL_FAILURE(telemetry::testing::PrepareStandin(sim, 120s));
    const Path program = ProgramPath(), peer = Chosen("KERBVIEW_PEER", KERBVIEW_PROGRAM);
    std::vector<Path> builds{program};
    if (peer.filename() != program.filename()) builds.push_back(peer);

    // Each build as the server, with this test as its client: every field as in memory, and
    // the picture of its panel reading the simulator.
    std::map<Path, QImage> reading;
    for (const Path& server : builds) {
        SCOPED_TRACE(Describe(server) + " as the server");
        const quint16 port = FreePort();
        telemetry::Snapshot sent;
        const Shot shot = TakeShot(server, Settings(1, port, 0), [&](ProgramUnderTest& run) {
            sent = LastCar(Collect(run, port, {}));
        });
        ASSERT_FALSE(sent.CarName.empty()) << "no telemetry read from the simulator was served";
        telemetry::testing::ExpectSessionSnapshot(sent);
        reading[server] = shot.panel;
    }
    // Each build as the client of the other (of itself when there is one build): the same
    // picture, connected, as it shows reading the simulator itself.
    for (const Path& server : builds) {
        for (const Path& client : builds) {
            if (builds.size() > 1 && server == client) continue;
            SCOPED_TRACE(Describe(server) + " serving " + Describe(client));
            const quint16 port = FreePort();
            ProgramUnderTest serving(Settings(1, port, 0), server);
            ASSERT_TRUE(serving.Start());
            // The client starts once the server reads the simulator (this test lets the server
            // go at once; it listens again on its next scan).
            const auto carNamed = [](const auto& packets) {
                return !LastCar(packets).CarName.empty();
            };
            ASSERT_FALSE(LastCar(Collect(serving, port, carNamed)).CarName.empty())
                << "the server never served telemetry: " << serving.ReadError();
            const Shot shot = TakeShot(client, Settings(2, port, 10500));
            const QImage& expected = reading[client];
            if (!shot.panel.isNull() && shot.panel == expected) continue;
            // Both pictures stay in the working folder for a look.
            const QString name = QString::fromStdString(Describe(client));
            shot.panel.save(name + "-as-client.png");
            expected.save(name + "-reading.png");
            ADD_FAILURE() << "the client's panel differs from its own reading of the simulator: "
                          << name.toStdString() << "-as-client.png against " << name.toStdString()
                          << "-reading.png";
        }
    }
}

TEST(PanelBlackBox, LanguageAndUnitsChosenThroughTheWindowsMenuAreShownAndStored) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    const Path program = ProgramPath();
    if (program.extension() != ".exe") {
        GTEST_SKIP() << "menu commands are posted to the Windows program; qt_tests choose the "
                        "Qt front end's menu items";
    }
    const Path sender = Chosen("KERBVIEW_MENU_COMMAND", "");
    ASSERT_TRUE(std::filesystem::exists(sender)) << "no send-menu-command.exe: " << sender;
    core::testing::ChildProcess sim = Standin();
    ASSERT_NO_FATAL_FAILURE(telemetry::testing::PrepareStandin(sim, 120s));
    const Shot byMenu = TakeShot(program, Settings(0, 1001, 0), [&](ProgramUnderTest&) {
        QProcess send;
        const auto [tool, arguments] =
            Command(sender, {QString::number(win32::MenuCommand(panel::Menu::English)),
                             QString::number(win32::MenuCommand(panel::Menu::Imperial))});
        send.start(tool, arguments);
        EXPECT_TRUE(send.waitForFinished(60000) && send.exitCode() == 0)
            << send.readAllStandardError().toStdString();
    });
    const Shot bySettings =
        TakeShot(program, Settings(0, 1001, 0, "Idioma=English\r\nUnitats=Imperial\r\n"));
    EXPECT_NE(byMenu.settings.find("Idioma=English\r\n"), std::string::npos) << byMenu.settings;
    EXPECT_NE(byMenu.settings.find("Unitats=Imperial\r\n"), std::string::npos) << byMenu.settings;
    EXPECT_TRUE(!byMenu.panel.isNull() && byMenu.panel == bySettings.panel)
        << "the panel after the menu commands differs from the one started in English and "
           "imperial units";
}

}  // namespace
}  // namespace kerbview::blackbox
