// SPDX-License-Identifier: MIT
#include "net/net_roles.h"

#include <gtest/gtest.h>

#include <optional>

#include "fake_socket.h"
#include "net/dialog_logic.h"
#include "net/wire_format.h"

namespace kerbview::net {
namespace {

using test::FakeSocket;

using core::Role;
// Socket logs, reported procedures, packet texts.
using Texts = std::vector<std::string>;

/// A NetRoles in a role over two fake sockets, with the procedures reported recorded.
struct Rig {
    core::Settings settings;
    core::ErrorReporter errors;
    FakeSocket server;
    FakeSocket client;
    Texts reports;
    NetRoles roles{server, client, settings, errors, '.'};

    explicit Rig(Role role = Role::None) {
        settings.TipusConexio = role;
        errors.SetSink([this](const core::ErrorReport& r) { reports.push_back(r.procedure); });
    }
};

std::string Packet(std::string_view status) {
    const std::string body = StatusOnlyBody(status);
    return PacketBytes(PacketLengthFor(body), body);
}

TEST(NetRoles, UpkeepStateTableSetsFlagsStatusAndReopensOnlyWhenNeeded) {
    using S = SocketState;
    using C = ConnectionStatus;
    struct Case {
        Role role;
        S server, client;
        bool serverWas, clientWas;
        std::optional<C> status;  // nullopt: nothing to show
        bool serverConnected, clientConnected;
        Texts serverLog, clientLog;
        bool readsSimulator;
    };
    constexpr Role None = Role::None, Server = Role::Server, Client = Role::Client;
    constexpr S Closed = S::Closed, Listening = S::Listening, Connected = S::Connected;
    constexpr bool T = true, F = false;
    const std::string listen = "listen 1001", connect = "connect 10.0.0.1:1001";
    // clang-format off
    const Case cases[] = {
        // role, states, connected flags before, status, flags after, logs, tick goes on
        {None,   Closed,    Closed,        T, T, C::None,       F, F, {}, {}, T},
        {Server, Closed,    Closed,        F, F, C::NoLink,     F, F, {listen}, {}, T},
        {Server, Listening, Closed,        F, F, C::Listening,  F, F, {}, {}, T},
        {Server, Connected, Closed,        F, T, C::Connected,  T, T, {}, {}, T},
        {Server, S::Other,  Closed,        T, F, C::NoLink,     F, F, {"close", listen}, {}, T},
        {Server, Closed,    Connected,     F, F, C::NoLink,     F, T, {listen}, {"close"}, T},
        {Client, Closed,    Closed,        F, F, C::NoLink,     F, F, {}, {connect}, F},
        {Client, Closed,    S::Connecting, F, F, C::Connecting, F, F, {}, {}, F},
        {Client, Closed,    Connected,     F, F, C::Connected,  F, T, {}, {}, F},
        {Client, Closed,    S::Other,      F, T, C::NoLink,     F, F, {}, {"close", connect}, F},
        {Client, Listening, Closed,        F, F, C::NoLink,     F, F, {"close"}, {connect}, F},
        {Role{7}, Closed,   Closed,        F, F, std::nullopt,  F, F, {}, {}, F},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        Rig rig(c.role);
        rig.settings.IP = "010.000.000.001";
        rig.server.m_state = c.server;
        rig.client.m_state = c.client;
        rig.roles.ServerConnected = c.serverWas;
        rig.roles.ClientConnected = c.clientWas;
        const Upkeep upkeep = rig.roles.SocketUpkeep();
        EXPECT_EQ(upkeep.readsSimulator, c.readsSimulator);
        EXPECT_EQ(upkeep.status, c.status);
        EXPECT_EQ(rig.roles.ServerConnected, c.serverConnected);
        EXPECT_EQ(rig.roles.ClientConnected, c.clientConnected);
        EXPECT_EQ(rig.server.m_log, c.serverLog);
        EXPECT_EQ(rig.client.m_log, c.clientLog);
        EXPECT_EQ(rig.roles.ReadyToSend, !c.serverLog.empty() && c.serverLog.back() == listen);
    }
}

// A Port text that is no port fails the tick; a port that cannot be listened on is a result,
// new once for each port and error, and tried again every tick.
TEST(NetRoles, BadPortTextFailsTheUpkeepAndAPortInUseIsNewOncePerPortAndError) {
    for (const char* port : {"abc", "70000", "-1"}) {
        SCOPED_TRACE(port);
        Rig rig(Role::Server);
        rig.settings.Port = port;
        EXPECT_ANY_THROW(rig.roles.SocketUpkeep());
        EXPECT_ANY_THROW(rig.roles.SocketUpkeep());
        EXPECT_FALSE(rig.roles.ReadyToSend);
    }
    Rig rig(Role::Server);
    rig.server.m_failListen = true;
    // The port that failed, with "!" when the failure is new.
    const auto tick = [&] {
        const Upkeep upkeep = rig.roles.SocketUpkeep();
        if (!upkeep.listenFailure) return std::string("listening");
        EXPECT_EQ(upkeep.listenFailure->detail, "in use");
        return std::to_string(upkeep.listenFailure->port) + (upkeep.newListenFailure ? "!" : "");
    };
    Texts ticks{tick(), tick()};
    rig.settings.Port = "2002";
    ticks.push_back(tick());
    EXPECT_FALSE(rig.roles.ReadyToSend);
    rig.server.m_failListen = false;
    ticks.push_back(tick());
    rig.server.m_state = SocketState::Other;
    rig.server.m_failListen = true;
    ticks.push_back(tick());
    EXPECT_EQ(ticks, (Texts{"1001!", "1001", "2002!", "listening", "2002!"}));
}

// A status too long for the packet header is not sent and keeps ReadyToSend.
TEST(NetRoles, OnlyOnePacketInFlightUntilSendComplete) {
    Rig rig(Role::Server);
    rig.server.m_state = SocketState::Connected;
    rig.roles.SocketUpkeep();
    EXPECT_FALSE(rig.roles.MaySend());  // connected, but listening never set ReadyToSend here
    rig.roles.TCPServer_SendComplete();
    ASSERT_TRUE(rig.roles.MaySend());
    EXPECT_THROW(rig.roles.SendTelemetry(telemetry::Snapshot{}, std::string(40000, 'x')),
                 core::NumberError);
    ASSERT_TRUE(rig.roles.MaySend());
    rig.roles.SendStatusOnly("RACE07 NO CARGADO");
    EXPECT_FALSE(rig.roles.MaySend());
    EXPECT_EQ(rig.server.m_sent, Texts{Packet("RACE07 NO CARGADO")});
    EXPECT_EQ(rig.roles.PacketLength, 79);
    rig.roles.TCPServer_SendComplete();
    EXPECT_TRUE(rig.roles.MaySend());
    rig.settings.TipusConexio = Role::Client;
    EXPECT_FALSE(rig.roles.MaySend());
}

TEST(NetRoles, DataArrivalGivesEveryWholePacketOnceAndDropsBytesThatStartNone) {
    Rig rig(Role::Client);
    const std::string a = Packet("A");
    const std::string b = Packet("B");
    rig.client.m_incoming = a + b.substr(0, 20);
    EXPECT_EQ(rig.roles.TCPClient_DataArrival(), Texts{a.substr(7)});
    rig.client.m_incoming = b.substr(20) + "garbage";
    EXPECT_EQ(rig.roles.TCPClient_DataArrival(), Texts{b.substr(7)});
    EXPECT_EQ(rig.reports, Texts{"TCPClient_DataArrival"});

    // A new connection is a new stream: the half packet of the old one completes nothing.
    rig.client.m_incoming = a.substr(0, 30);
    EXPECT_EQ(rig.roles.TCPClient_DataArrival(), Texts{});
    rig.client.m_state = SocketState::Other;  // the server went away
    rig.roles.SocketUpkeep();
    rig.client.m_incoming = a;
    EXPECT_EQ(rig.roles.TCPClient_DataArrival(), Texts{a.substr(7)});
}

// The port and address rules themselves are AddressRules' cases; here: what the dialogs store.
// The server's dialog stores the plain number in the user's locale; the client's keeps the
// address when only the port is rejected.
TEST(IntroDialogs, PortIsStoredAsThePlainNumberAndTheAddressIsKeptWhenOnlyThePortIsRejected) {
    using O = DialogOutcome;
    struct Case {
        const char* ip;  // nullptr: the server's dialog
        const char* port;
        char sep;
        O outcome;
        const char* storedIp;
        const char* storedPort;
        std::size_t reports;
    };
    const char* const kIp = "192.168.000.002";  // the default
                                                // clang-format off
    for (const Case& c : {
             Case{nullptr, "1001.5", ',', O::Accepted, kIp, "1001,5", 0},
             Case{nullptr, "65536", '.', O::BadPort, kIp, "1001", 0},
             Case{" 12.168.000.002", "1001", '.', O::Accepted, " 12.168.000.002", "1001", 0},
             Case{"192.168.abc.002", "1001", '.', O::BadIp, kIp, "1001", 1},
             Case{"010.000.000.001", "x", '.', O::BadPort, "010.000.000.001", "1001", 0}}) {
        // clang-format on
        SCOPED_TRACE(std::string(c.ip ? c.ip : "server") + " " + c.port);
        Rig rig;
        EXPECT_EQ(c.ip ? IntroIpAccept(c.ip, c.port, rig.settings, c.sep, rig.errors)
                       : IntroPortAccept(c.port, rig.settings, c.sep),
                  c.outcome);
        EXPECT_EQ(rig.settings.IP, c.storedIp);
        EXPECT_EQ(rig.settings.Port, c.storedPort);
        EXPECT_EQ(rig.settings.TipusConexio, c.outcome != O::Accepted ? Role::None
                                             : c.ip                   ? Role::Client
                                                                      : Role::Server);
        EXPECT_EQ(rig.reports.size(), c.reports);
    }
}

}  // namespace
}  // namespace kerbview::net
