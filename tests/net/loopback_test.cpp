// SPDX-License-Identifier: MIT
// A server role and a client role over the real Qt sockets on 127.0.0.1, driven by scan ticks
// as the program drives them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>

#include <functional>
#include <memory>

#include "core/number_rules.h"
#include "net/net_roles.h"
#include "net/qt/qt_socket.h"

namespace kerbview::net {
namespace {

using panel::Element;

/// One copy of the program as far as the network link goes: settings, panel, two Qt sockets
/// and the roles. The client's Lectures unpacks into lastSnapshot.
struct Copy {
    core::Settings settings;
    panel::PanelModel panel;
    ui::LanguageTexts texts;
    core::ErrorReporter errors;
    QtSocket tcpServer{QHostAddress::LocalHost};
    QtSocket tcpClient{QHostAddress::LocalHost};
    telemetry::Snapshot lastSnapshot;
    int presented = 0;
    std::unique_ptr<NetRoles> roles;

    Copy(std::int16_t role, const std::string& port) {
        settings.TipusConexio = role;
        settings.Port = port;
        settings.IP = "127.000.000.001";
        texts.TxtListening = "ESCUCHANDO";
        texts.TxtConnected = "CONECTADO";
        texts.TxtConnecting = "CONECTANDO";
        texts.TxtNoLink = "N/A";
        roles = std::make_unique<NetRoles>(
            tcpServer, tcpClient,
            NetContext{settings, panel, texts, errors,
                       [](std::string_view, std::string_view, std::string_view) {}, '.'},
            NetHooks{{}, {}, [this] {
                         telemetry::Snapshot s;
                         try {
                             if (roles->UnpackTelemetry(s)) {
                                 lastSnapshot = s;
                                 ++presented;
                             }
                         } catch (const std::exception&) {
                             errors.ReportError("Lectures");
                         }
                     },
                     {}, {}});
    }
    void SetRole(std::int16_t role) {
        settings.TipusConexio = role;
        roles->Canvia_Conexio(role);
    }
};

std::string FreePort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    return std::to_string(probe.serverPort());
}

/// Runs 20 ms scan ticks of both copies until done() or 10 s have passed. The server sends its
/// snapshot whenever the roles allow it.
bool Tick(Copy& server, Copy& client, const telemetry::Snapshot& reading, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        try {
            server.roles->SocketUpkeep();
            if (server.roles->MaySend()) server.roles->SendTelemetry(reading);
        } catch (const std::exception&) {
            server.errors.ReportError("Temps");
        }
        try {
            client.roles->SocketUpkeep();
        } catch (const std::exception&) {
            client.errors.ReportError("Temps");
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
        QCoreApplication::processEvents();
        if (done()) return true;
    }
    return false;
}

telemetry::Snapshot Reading(float fuel) {
    telemetry::Snapshot s;
    s.DriverName = "Pil\xF3to";
    s.Fuel = fuel;
    s.EngineSpeed = 523.5f;
    s.TyreTemp[11] = 81.25f;
    s.WheelSpeed[3] = 44.125;
    s.CarName = "Seat Le\xF3n";
    s.DriverSlot = 4;
    return s;
}

TEST(Loopback, ClientShowsServerValuesAndBothSidesRecoverFromTheOtherLeaving) {
    const std::string port = FreePort();
    Copy server(1, port);
    Copy client(2, port);
    server.panel.SetText(Element::Label1, "RACE07 EN MARCHA");

    telemetry::Snapshot reading = Reading(12.5f);
    ASSERT_TRUE(Tick(server, client, reading, [&] { return client.lastSnapshot == reading; }));
    EXPECT_EQ(client.panel[Element::Label1].text, "RACE07 EN MARCHA");
    ASSERT_TRUE(Tick(server, client, reading, [&] {
        return server.panel[Element::Label15].text == "CONECTADO" &&
               client.panel[Element::Label15].text == "CONECTADO";
    }));
    EXPECT_GT(client.presented, 1);  // every scan, one packet in flight at a time

    // The client leaves: the server listens again and serves the next client.
    client.SetRole(0);
    ASSERT_TRUE(Tick(server, client, reading, [&] {
        return server.tcpServer.state() == SocketState::Listening &&
               server.panel[Element::Label15].text == "ESCUCHANDO";
    }));
    client.SetRole(2);
    reading = Reading(7.25f);
    ASSERT_TRUE(Tick(server, client, reading, [&] { return client.lastSnapshot == reading; }));

    // The server goes away: the client shows no link or connecting, then reconnects when the
    // server comes back.
    server.SetRole(0);
    ASSERT_TRUE(Tick(server, client, reading, [&] { return !client.roles->ClientConnected; }));
    bool sawRetry = false;
    ASSERT_TRUE(Tick(server, client, reading, [&] {
        const std::string& t = client.panel[Element::Label15].text;
        sawRetry = sawRetry || t == "N/A" || t == "CONECTANDO";
        return sawRetry;
    }));
    server.SetRole(1);
    reading = Reading(3.5f);
    ASSERT_TRUE(Tick(server, client, reading, [&] { return client.lastSnapshot == reading; }));
    EXPECT_EQ(client.errors.ErrorProc(), "");
}

TEST(Loopback, ClientOfAnAbsentServerKeepsRetryingUntilItAppears) {
    const std::string port = FreePort();
    Copy client(2, port);
    Copy idle(0, port);
    int failedTicks = 0;
    ASSERT_TRUE(Tick(idle, client, {}, [&] {
        if (client.tcpClient.state() == SocketState::Other) ++failedTicks;
        return failedTicks >= 3;
    }));
    EXPECT_EQ(client.panel[Element::Label15].text, "N/A");
    QTcpServer late;
    ASSERT_TRUE(late.listen(QHostAddress::LocalHost, static_cast<quint16>(std::stoi(port))));
    ASSERT_TRUE(Tick(idle, client, {}, [&] { return client.roles->ClientConnected; }));
    EXPECT_EQ(client.panel[Element::Label15].text, "CONECTADO");
}

}  // namespace
}  // namespace kerbview::net

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
