// SPDX-License-Identifier: MIT
// Two whole programs on 127.0.0.1: a server copy reading a simulator memory image and a client
// copy, each with its own settings folder, ticking their scan cycles.
#include <gtest/gtest.h>

#include <QThread>

#include <sstream>

#include "app/app_fixture.h"
#include "frontends/qt/qt_socket.h"
#include "frontends/qt/qt_test_helpers.h"
#include "net/dialog_logic.h"
#include "telemetry/fake_platform.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::LabelN;

/// One copy of the program: its folder and settings file, its sockets and network roles.
struct Copy {
    testing::ProgramFolder folder;
    telemetry::testing::FakeProcessMemory* memory = nullptr;
    telemetry::testing::FakeWindowFinder* windows = nullptr;
    qt::QtSocket tcpServer{QHostAddress::LocalHost};
    qt::QtSocket tcpClient{QHostAddress::LocalHost};
    testing::FakeFrontEnd frontEnd;
    testing::FakeDashboard dashboard;
    std::ostringstream log;
    std::unique_ptr<Program> program;  // last: it goes before the sockets it uses

    /// more: further lines of section Opcions; sep: the user's decimal separator.
    Copy(int role, const std::string& port, char sep, const std::string& more) {
        folder.Write("Kerbview.ini", "[Opcions]\r\nTipusConexio=" + std::to_string(role) +
                                         "\r\nPort=" + port +
                                         "\r\nIP=127.000.000.001\r\nScanTime=10\r\n" + more);
        auto memoryService = std::make_unique<telemetry::testing::FakeProcessMemory>();
        auto windowService = std::make_unique<telemetry::testing::FakeWindowFinder>();
        memory = memoryService.get();
        windows = windowService.get();
        program = std::make_unique<Program>(
            folder.Path(), sep,
            telemetry::Platform{std::move(windowService), std::move(memoryService)},
            Sockets{tcpServer, tcpClient}, dashboard, log);
        EXPECT_TRUE(program->Main(frontEnd));
    }
    const std::string& Text(Element e) const { return program->Panel()[e].text; }
};

// Ticks the server ten times as often as the client, with the event loop in between.
bool RunUntil(Copy& server, Copy& client, const std::function<bool()>& done, int ms = 15000) {
    return testing::Spin(done, ms, [&] {
        for (int i = 0; i < 10; ++i) server.program->Tick();
        client.program->Tick();
        QThread::msleep(5);
        QCoreApplication::processEvents();
    });
}

// Peers with different decimal separators, different units, and neither showing "server data"
// (which only a server obeys): what the client shows is converted once, from metric figures.
class ProgramLoopback : public ::testing::TestWithParam<std::pair<char, char>> {};

TEST_P(ProgramLoopback, ClientPanelShowsTheServersSimulatorReadings) {
    const auto [serverSep, clientSep] = GetParam();
    const std::string port = std::to_string(testing::FreePort());
    Copy server(1, port, serverSep, "Unitats=Imperial\r\nDadesServ=False\r\n");
    Copy client(2, port, clientSep, "DadesServ=False\r\n");

    telemetry::testing::MemoryImage& image = *server.memory->image;
    server.windows->window = 77;
    // Text reads take their whole length: pad with NULs.
    const auto text = [&](telemetry::Address at, std::string t, std::size_t length = 50) {
        image.Text(at, t.append(length - t.size(), '\0'));
    };
    text(0xCD9A35, "Driver\\profile", 30);
    text(0x983758, "Driver", 24);
    text(0x983848, "Seat Le\xF3n");
    text(0x976557, "tracks\\Anderstorp.trk");
    image.Bytes(0xCD24AA, {1});      // ignition on
    image.Double(0xCD25E8, 363.15);  // water 90 degrees
    image.Single(0xCD619C, 0.5f);    // first bar 50 percent
    image.Single(0x981260, 12.5f);   // fuel

    ASSERT_TRUE(RunUntil(server, client,
                         [&] {
                             return client.Text(LabelN(30)) == "Seat Le\xF3n" &&
                                    client.Text(LabelN(28)) == "Anderstorp";
                         }))
        << "client Label1: " << client.Text(LabelN(1)) << ", Label15: " << client.Text(LabelN(15));
    EXPECT_EQ(client.Text(LabelN(17)), "90");
    EXPECT_EQ(client.Text(LabelN(35)), "50");
    EXPECT_EQ(client.Text(LabelN(16)), std::string("12") + clientSep + "50L");
    EXPECT_EQ(server.Text(LabelN(30)), "") << "a server without server data shows nothing";
    EXPECT_EQ(client.Text(LabelN(1)), server.Text(LabelN(1)));
    EXPECT_EQ(server.Text(LabelN(15)), client.Text(LabelN(15)));  // both TxtConnected
    EXPECT_EQ(client.memory->opens, 0);                           // a client never reads memory

    // A reading the client cannot present (a water temperature beyond a 16-bit figure) is
    // reported and not counted as presented, however many such packets arrive.
    image.Double(0xCD25E8, 40273.15);
    ASSERT_TRUE(RunUntil(server, client, [&] { return !client.log.str().empty(); }));
    const std::uint64_t presented = client.program->PacketsPresented();
    const std::uint64_t sent = server.program->PacketsSent();
    ASSERT_TRUE(
        RunUntil(server, client, [&] { return server.program->PacketsSent() > sent + 50; }));
    EXPECT_EQ(client.program->PacketsPresented(), presented) << client.log.str();
    image.Double(0xCD25E8, 363.15);

    // The simulator goes away: the client shows the server's status text and keeps its values.
    server.windows->window = 0;
    ASSERT_TRUE(RunUntil(server, client, [&] {
        return client.Text(LabelN(1)) == server.program->Texts().TxtNotRunning;
    }));
    EXPECT_EQ(client.Text(LabelN(30)), "Seat Le\xF3n");
    server.windows->window = 77;

    // The client leaves: the server listens again, and the client comes back through its dialog.
    client.program->MenuClick(panel::Menu::Cap);
    ASSERT_TRUE(RunUntil(server, client, [&] {
        return server.tcpServer.state() == net::SocketState::Listening &&
               server.Text(LabelN(15)) == server.program->Texts().TxtListening;
    }));
    EXPECT_EQ(client.program->IntroIpAccept("127.000.000.001", port), net::DialogOutcome::Accepted);
    text(0x983848, "Audi A4");
    ASSERT_TRUE(RunUntil(server, client, [&] { return client.Text(LabelN(30)) == "Audi A4"; }));

    // The server goes away and comes back: the client reconnects on its own.
    server.program->MenuClick(panel::Menu::Cap);
    ASSERT_TRUE(RunUntil(server, client, [&] { return !client.program->Roles().ClientConnected; }));
    text(0x983848, "Volvo S60");
    EXPECT_EQ(server.program->IntroPortAccept(port), net::DialogOutcome::Accepted);
    ASSERT_TRUE(RunUntil(server, client, [&] { return client.Text(LabelN(30)) == "Volvo S60"; }));
    // The server's own panel, once shown, is in its own units.
    server.program->MenuClick(panel::Menu::VeureDadesServidor);
    ASSERT_TRUE(RunUntil(server, client, [&] { return server.Text(LabelN(17)) == "194"; }));
    EXPECT_EQ(client.Text(LabelN(17)), "90");
}

INSTANTIATE_TEST_SUITE_P(SeparatorPairs, ProgramLoopback,
                         ::testing::Values(std::pair{',', '.'}, std::pair{'.', ','}));

}  // namespace
}  // namespace kerbview::app
