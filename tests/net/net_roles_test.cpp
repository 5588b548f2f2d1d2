// SPDX-License-Identifier: MIT
#include "net/net_roles.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "fake_socket.h"
#include "net/dialog_logic.h"
#include "net/wire_format.h"

namespace kerbview::net {
namespace {

using test::FakeSocket;

/// A NetRoles over two fake sockets, with what the roles report and ask recorded.
struct Rig : RolesHost {
    core::Settings settings;
    core::ErrorReporter errors;
    FakeSocket server;
    FakeSocket client;
    std::vector<std::string> reports;  // procedures reported
    std::vector<std::string> calls;    // timer, lectures and failures, in order
    std::optional<ConnectionStatus> status;
    std::function<void()> lecturesBody = [] {};
    NetRoles roles{server, client, settings, errors, *this, '.'};

    Rig() {
        errors.SetSink([this](const core::ErrorReport& r) { reports.push_back(r.procedure); });
    }
    void SetScanTimerEnabled(bool on) override { calls.push_back(on ? "start" : "stop"); }
    void ClientLectures() override {
        calls.push_back("lectures:" + roles.ReceivedText);
        lecturesBody();
    }
    void OnConnectionStatus(ConnectionStatus s) override { status = s; }
    void OnListenFailed(const ListenFailure& f) override {
        calls.push_back("listen failed " + std::to_string(f.port));
    }
    void OnClientDropped(const std::string& reason) override { calls.push_back(reason); }
};

std::string Packet(std::string_view status) {
    const std::string body = StatusOnlyBody(status);
    return PacketBytes(PacketLengthFor(body), body);
}

std::string Joined(const std::vector<std::string>& log) {
    std::string out;
    for (const std::string& line : log) out += (out.empty() ? "" : "|") + line;
    return out;
}

TEST(NetRoles, UpkeepStateTableSetsFlagsStatusAndReopensOnlyWhenNeeded) {
    using S = SocketState;
    using C = ConnectionStatus;
    struct Case {
        std::int16_t role;
        S server, client;
        bool serverWas, clientWas;
        std::optional<C> status;  // nullopt: nothing reported
        bool serverConnected, clientConnected;
        std::string serverLog, clientLog;
        bool tickGoesOn;
    };
    constexpr S Closed = S::Closed, Listening = S::Listening, Connected = S::Connected;
    constexpr bool T = true, F = false;
    const std::string listen = "listen 1001", connect = "connect 10.0.0.1:1001";
    // clang-format off
    const Case cases[] = {
        // role, states, connected flags before, status, flags after, logs, tick goes on
        {0, Closed,    Closed,        T, T, C::None,       F, F, "", "", T},
        {1, Closed,    Closed,        F, F, C::NoLink,     F, F, listen, "", T},
        {1, Listening, Closed,        F, F, C::Listening,  F, F, "", "", T},
        {1, Connected, Closed,        F, T, C::Connected,  T, T, "", "", T},
        {1, S::Other,  Closed,        T, F, C::NoLink,     F, F, "close|listen 1001", "", T},
        {1, Closed,    Connected,     F, F, C::NoLink,     F, T, listen, "close", T},
        {2, Closed,    Closed,        F, F, C::NoLink,     F, F, "", connect, F},
        {2, Closed,    S::Connecting, F, F, C::Connecting, F, F, "", "", F},
        {2, Closed,    Connected,     F, F, C::Connected,  F, T, "", "", F},
        {2, Closed,    S::Other,      F, T, C::NoLink,     F, F, "", "close|" + connect, F},
        {2, Listening, Closed,        F, F, C::NoLink,     F, F, "close", connect, F},
        {7, Closed,    Closed,        F, F, std::nullopt,  F, F, "", "", T},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        Rig rig;
        rig.settings.TipusConexio = c.role;
        rig.settings.IP = "010.000.000.001";
        rig.server.m_state = c.server;
        rig.client.m_state = c.client;
        rig.roles.ServerConnected = c.serverWas;
        rig.roles.ClientConnected = c.clientWas;
        EXPECT_EQ(rig.roles.SocketUpkeep(), c.tickGoesOn);
        EXPECT_EQ(rig.status, c.status);
        EXPECT_EQ(rig.roles.ServerConnected, c.serverConnected);
        EXPECT_EQ(rig.roles.ClientConnected, c.clientConnected);
        EXPECT_EQ(Joined(rig.server.m_log), c.serverLog);
        EXPECT_EQ(Joined(rig.client.m_log), c.clientLog);
        EXPECT_EQ(rig.roles.ReadyToSend, Joined(rig.server.m_log).ends_with("listen 1001"));
    }
}

// Every tick fails while the port cannot be opened; the user hears of it once per port and error.
TEST(NetRoles, BadPortTextOrPortInUseFailsTheUpkeepEveryTickAndIsToldOnce) {
    for (const char* port : {"abc", "70000", "-1"}) {
        SCOPED_TRACE(port);
        Rig rig;
        rig.settings.TipusConexio = 1;
        rig.settings.Port = port;
        EXPECT_ANY_THROW(rig.roles.SocketUpkeep());
        EXPECT_ANY_THROW(rig.roles.SocketUpkeep());
        EXPECT_FALSE(rig.roles.ReadyToSend);
    }
    Rig rig;
    rig.settings.TipusConexio = 1;
    rig.server.m_failListen = true;
    EXPECT_THROW(rig.roles.SocketUpkeep(), SocketError);
    EXPECT_THROW(rig.roles.SocketUpkeep(), SocketError);
    rig.settings.Port = "2002";
    EXPECT_THROW(rig.roles.SocketUpkeep(), SocketError);
    EXPECT_FALSE(rig.roles.ReadyToSend);
    rig.server.m_failListen = false;
    rig.roles.SocketUpkeep();
    rig.server.m_state = SocketState::Other;
    rig.server.m_failListen = true;
    EXPECT_THROW(rig.roles.SocketUpkeep(), SocketError);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"listen failed 1001", "listen failed 2002",
                                                   "listen failed 2002"}));
}

TEST(NetRoles, OnlyOnePacketInFlightUntilSendComplete) {
    Rig rig;
    rig.settings.TipusConexio = 1;
    rig.server.m_state = SocketState::Connected;
    rig.roles.SocketUpkeep();
    EXPECT_FALSE(rig.roles.MaySend());  // connected, but listening never set ReadyToSend here
    rig.server.m_events.sendComplete();
    ASSERT_TRUE(rig.roles.MaySend());
    rig.roles.SendStatusOnly("RACE07 NO CARGADO");
    EXPECT_FALSE(rig.roles.MaySend());
    EXPECT_EQ(rig.server.m_sent, std::vector<std::string>{Packet("RACE07 NO CARGADO")});
    EXPECT_EQ(rig.roles.PacketLength, 79);
    rig.server.m_events.sendComplete();
    EXPECT_TRUE(rig.roles.MaySend());
    rig.settings.TipusConexio = 2;
    EXPECT_FALSE(rig.roles.MaySend());
}

TEST(NetRoles, OversizedStatusIsNotSentAndKeepsReadyToSend) {
    Rig rig;
    rig.roles.ReadyToSend = true;
    EXPECT_THROW(rig.roles.SendTelemetry(telemetry::Snapshot{}, std::string(40000, 'x')),
                 core::NumberError);
    EXPECT_TRUE(rig.server.m_sent.empty());
    EXPECT_TRUE(rig.roles.ReadyToSend);
}

TEST(NetRoles, DataArrivalRunsLecturesPerPacketAndAlwaysRestartsTheTimer) {
    Rig rig;
    const std::string a = Packet("A");
    const std::string b = Packet("B");
    rig.client.m_incoming = a + b.substr(0, 20);
    rig.client.m_events.dataArrival();
    rig.client.m_incoming = b.substr(20) + "garbage";
    rig.client.m_events.dataArrival();
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"stop", "lectures:" + a.substr(7), "start",
                                                   "stop", "lectures:" + b.substr(7), "start"}));
    EXPECT_EQ(rig.reports, std::vector<std::string>{"TCPClient_DataArrival"});

    // A failing packet is reported and dropped; the next one in the same read still runs.
    rig.calls.clear();
    rig.reports.clear();
    int runs = 0;
    rig.lecturesBody = [&] {
        if (++runs == 1) throw std::runtime_error("boom");
    };
    rig.client.m_incoming = a + b;
    rig.client.m_events.dataArrival();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(rig.calls.front(), "stop");
    EXPECT_EQ(rig.calls.back(), "start");
    EXPECT_EQ(rig.reports, std::vector<std::string>{"TCPClient_DataArrival"});
}

TEST(NetRoles, ReconnectDropsTheHalfPacketOfTheOldConnection) {
    Rig rig;
    rig.settings.TipusConexio = 2;
    const std::string a = Packet("A");
    rig.client.m_incoming = a.substr(0, 30);
    rig.client.m_events.dataArrival();
    rig.client.m_state = SocketState::Other;  // server went away
    rig.roles.SocketUpkeep();
    rig.client.m_incoming = a;
    rig.client.m_events.dataArrival();
    EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "lectures:" + a.substr(7)), 1);
    EXPECT_TRUE(rig.reports.empty());
}

// The port and address rules themselves are AddressRules' cases; here: what the dialogs store.
TEST(IntroDialogs, PortIsStoredAsThePlainNumberInTheUsersLocaleOrNothingIsStored) {
    struct Case {
        const char* text;
        char sep;
        const char* stored;  // nullptr: rejected
    };
    for (const Case& c :
         {Case{"0080", '.', "80"}, Case{"1001,5", ',', "1001"}, Case{"1001.5", ',', "1001,5"},
          Case{"65536", '.', nullptr}, Case{"12x", '.', nullptr}}) {
        SCOPED_TRACE(c.text);
        core::Settings settings;
        const DialogOutcome out = IntroPortAccept(c.text, settings, c.sep);
        EXPECT_EQ(out, c.stored ? DialogOutcome::Accepted : DialogOutcome::BadPort);
        EXPECT_EQ(settings.Port, c.stored ? c.stored : "1001");
        EXPECT_EQ(settings.TipusConexio, c.stored ? 1 : 0);
    }
}

TEST(IntroDialogs, AddressIsKeptWhenOnlyThePortIsRejected) {
    struct Case {
        const char* ip;
        const char* port;
        DialogOutcome outcome;
        const char* storedIp;
        std::size_t reports;
    };
    for (const Case& c :
         {Case{" 12.168.000.002", "1001", DialogOutcome::Accepted, " 12.168.000.002", 0},
          Case{"192.168.000.256", "1001", DialogOutcome::BadIp, "192.168.000.002", 0},
          Case{"192.168.abc.002", "1001", DialogOutcome::BadIp, "192.168.000.002", 1},
          Case{"010.000.000.001", "x", DialogOutcome::BadPort, "010.000.000.001", 0}}) {
        SCOPED_TRACE(c.ip);
        Rig rig;
        EXPECT_EQ(IntroIpAccept(c.ip, c.port, rig.settings, '.', rig.errors), c.outcome);
        EXPECT_EQ(rig.settings.IP, c.storedIp);
        EXPECT_EQ(rig.settings.TipusConexio, c.outcome == DialogOutcome::Accepted ? 2 : 0);
        EXPECT_EQ(rig.reports.size(), c.reports);
    }
}

}  // namespace
}  // namespace kerbview::net
