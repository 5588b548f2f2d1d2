// SPDX-License-Identifier: MIT
#include "net/net_roles.h"

#include <gtest/gtest.h>

#include <map>

#include "fake_socket.h"
#include "net/dialog_logic.h"
#include "net/wire_format.h"

namespace kerbview::net {
namespace {

using panel::Element;
using panel::Menu;
using test::FakeSocket;

/// A NetRoles over two fake sockets, with the settings writes, the error reports and the hook
/// calls recorded.
struct Rig {
    core::Settings settings;
    panel::PanelModel panel;
    ui::LanguageTexts texts;
    core::ErrorReporter errors;
    FakeSocket server;
    FakeSocket client;
    std::map<std::string, std::string> written;
    std::vector<std::string> reports;
    std::vector<std::string> calls;
    std::function<void()> lecturesBody = [] {};
    std::unique_ptr<NetRoles> roles;

    explicit Rig(char sep = '.') {
        texts.TxtListening = "ESCUCHANDO", texts.TxtConnected = "CONECTADO";
        texts.TxtConnecting = "CONECTANDO", texts.TxtNoLink = "N/A";
        errors.setDebugEnabled(true);
        errors.setSink([this](const std::string&) { reports.push_back(errors.ErrorProc()); });
        roles = std::make_unique<NetRoles>(
            server, client,
            NetContext{settings, panel, texts, errors,
                       [this](std::string_view sec, std::string_view key, std::string_view v) {
                           written[std::string(sec) + "/" + std::string(key)] = std::string(v);
                       },
                       sep},
            NetHooks{[this] { calls.push_back("stop"); }, [this] { calls.push_back("start"); },
                     [this] {
                         calls.push_back("lectures:" + roles->ReceivedText);
                         lecturesBody();
                     },
                     [this] { calls.push_back("Intro_Port"); },
                     [this] { calls.push_back("Intro_IP"); }});
    }
    std::string Label15() const { return panel[Element::Label15].text; }
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

TEST(NetRoles, UpkeepStateTableSetsFlagsLabelAndReopensOnlyWhenNeeded) {
    using S = SocketState;
    struct Case {
        std::int16_t role;
        S server, client;
        bool serverWas, clientWas;
        const char* label15;  // nullptr: left unchanged
        bool serverConnected, clientConnected;
        std::string serverLog, clientLog;
        bool tickGoesOn;
    };
    constexpr S Closed = S::Closed, Listening = S::Listening, Connected = S::Connected;
    constexpr bool T = true, F = false;
    const std::string listen = "listen 1001", connect = "connect 10.0.0.1:1001";
    // clang-format off
    const Case cases[] = {
        // role, states, connected flags before, Label15, flags after, logs, tick goes on
        {0, Closed,    Closed,        T, T, "",           F, F, "", "", T},
        {1, Closed,    Closed,        F, F, "N/A",        F, F, listen, "", T},
        {1, Listening, Closed,        F, F, "ESCUCHANDO", F, F, "", "", T},
        {1, Connected, Closed,        F, T, "CONECTADO",  T, T, "", "", T},
        {1, S::Other,  Closed,        T, F, "N/A",        F, F, "close|listen 1001", "", T},
        {1, Closed,    Connected,     F, F, "N/A",        F, T, listen, "close", T},
        {2, Closed,    Closed,        F, F, "N/A",        F, F, "", connect, F},
        {2, Closed,    S::Connecting, F, F, "CONECTANDO", F, F, "", "", F},
        {2, Closed,    Connected,     F, F, "CONECTADO",  F, T, "", "", F},
        {2, Closed,    S::Other,      F, T, "N/A",        F, F, "", "close|" + connect, F},
        {2, Listening, Closed,        F, F, "N/A",        F, F, "close", connect, F},
        {7, Closed,    Closed,        F, F, nullptr,      F, F, "", "", T},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        Rig rig;
        rig.settings.TipusConexio = c.role;
        rig.settings.IP = "010.000.000.001";
        rig.panel.SetText(Element::Label15, "unchanged");
        rig.server.m_state = c.server;
        rig.client.m_state = c.client;
        rig.roles->ServerConnected = c.serverWas;
        rig.roles->ClientConnected = c.clientWas;
        EXPECT_EQ(rig.roles->SocketUpkeep(), c.tickGoesOn);
        EXPECT_EQ(rig.Label15(), c.label15 ? c.label15 : "unchanged");
        EXPECT_EQ(rig.roles->ServerConnected, c.serverConnected);
        EXPECT_EQ(rig.roles->ClientConnected, c.clientConnected);
        EXPECT_EQ(Joined(rig.server.m_log), c.serverLog);
        EXPECT_EQ(Joined(rig.client.m_log), c.clientLog);
        EXPECT_EQ(rig.roles->ReadyToSend, Joined(rig.server.m_log).ends_with("listen 1001"));
    }
}

TEST(NetRoles, BadPortTextOrPortInUseFailsTheUpkeepEveryTick) {
    for (const char* port : {"abc", "70000", "-1"}) {
        SCOPED_TRACE(port);
        Rig rig;
        rig.settings.TipusConexio = 1;
        rig.settings.Port = port;
        EXPECT_ANY_THROW(rig.roles->SocketUpkeep());
        EXPECT_ANY_THROW(rig.roles->SocketUpkeep());
        EXPECT_FALSE(rig.roles->ReadyToSend);
    }
    Rig rig;
    rig.settings.TipusConexio = 1;
    rig.server.m_failListen = true;
    EXPECT_THROW(rig.roles->SocketUpkeep(), SocketError);
    EXPECT_FALSE(rig.roles->ReadyToSend);
}

TEST(NetRoles, ConnectionRequestClosesTheListenerAndAcceptsOnTheSameSocket) {
    Rig rig;
    rig.server.m_state = SocketState::Listening;
    rig.server.m_events.connectionRequest();
    EXPECT_EQ(rig.server.m_log, (std::vector<std::string>{"close", "accept"}));
    EXPECT_EQ(rig.server.m_state, SocketState::Connected);
}

TEST(NetRoles, OnlyOnePacketInFlightUntilSendComplete) {
    Rig rig;
    rig.settings.TipusConexio = 1;
    rig.panel.SetText(Element::Label1, "RACE07 NO CARGADO");
    rig.server.m_state = SocketState::Connected;
    rig.roles->SocketUpkeep();
    EXPECT_FALSE(rig.roles->MaySend());  // connected, but listening never set ReadyToSend here
    rig.server.m_events.sendComplete();
    ASSERT_TRUE(rig.roles->MaySend());
    rig.roles->SendStatusOnly();
    EXPECT_FALSE(rig.roles->MaySend());
    EXPECT_EQ(rig.server.m_sent, std::vector<std::string>{Packet("RACE07 NO CARGADO")});
    EXPECT_EQ(rig.roles->PacketLength, 79);
    rig.server.m_events.sendComplete();
    EXPECT_TRUE(rig.roles->MaySend());
    rig.settings.TipusConexio = 2;
    EXPECT_FALSE(rig.roles->MaySend());
}

TEST(NetRoles, OversizedStatusIsNotSentAndKeepsReadyToSend) {
    Rig rig;
    rig.roles->ReadyToSend = true;
    rig.panel.SetText(Element::Label1, std::string(40000, 'x'));
    EXPECT_THROW(rig.roles->SendTelemetry(telemetry::Snapshot{}), core::NumberError);
    EXPECT_TRUE(rig.server.m_sent.empty());
    EXPECT_TRUE(rig.roles->ReadyToSend);
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
    rig.roles->SocketUpkeep();
    rig.client.m_incoming = a;
    rig.client.m_events.dataArrival();
    EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "lectures:" + a.substr(7)), 1);
    EXPECT_TRUE(rig.reports.empty());
}

TEST(NetRoles, CanviaConexioSetsMenusAndWritesAllThreeKeys) {
    struct Case {
        std::int16_t tipus;
        bool cap, servidor, client, veure;
        bool closes;
    };
    for (const Case& c :
         {Case{0, true, false, false, false, true}, Case{1, false, true, false, true, false},
          Case{2, false, false, true, false, false}, Case{9, false, false, false, false, false}}) {
        SCOPED_TRACE(c.tipus);
        Rig rig;
        rig.server.m_state = SocketState::Listening;
        rig.client.m_state = SocketState::Connecting;
        rig.settings.TipusConexio = c.tipus;
        rig.settings.Port = "2002";
        rig.roles->Canvia_Conexio(c.tipus);
        const auto& menus = rig.panel;
        EXPECT_EQ((std::vector{menus.menu(Menu::Cap).checked, menus.menu(Menu::Servidor).checked,
                               menus.menu(Menu::Client).checked,
                               menus.menu(Menu::VeureDadesServidor).enabled}),
                  (std::vector{c.cap, c.servidor, c.client, c.veure}));
        EXPECT_EQ(rig.server.m_state == SocketState::Closed, c.closes);
        EXPECT_EQ(rig.client.m_state == SocketState::Closed, c.closes);
        EXPECT_EQ(rig.written, (std::map<std::string, std::string>{
                                   {"Opcions/TipusConexio", std::to_string(c.tipus)},
                                   {"Opcions/IP", "192.168.000.002"},
                                   {"Opcions/Port", "2002"}}));
    }
}

TEST(NetRoles, MenuClicksToggleShowServerDataAndOpenTheDialogs) {
    Rig rig;
    rig.settings.TipusConexio = 1;
    rig.roles->VeureDadesServidor_Click();
    EXPECT_FALSE(rig.panel.menu(Menu::VeureDadesServidor).checked);
    EXPECT_EQ(rig.written["Opcions/DadesServ"], "False");
    rig.roles->VeureDadesServidor_Click();
    EXPECT_TRUE(rig.panel.menu(Menu::VeureDadesServidor).checked);
    EXPECT_EQ(rig.written["Opcions/DadesServ"], "True");
    rig.roles->Servidor_Click();
    rig.roles->Client_Click();
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"Intro_Port", "Intro_IP"}));
    EXPECT_EQ(rig.settings.TipusConexio, 1);  // the dialogs, not the clicks, switch the role
    rig.roles->Cap_Click();
    EXPECT_EQ(rig.settings.TipusConexio, 0);
    EXPECT_EQ(rig.written["Opcions/TipusConexio"], "0");
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
        Rig rig(c.sep);
        const DialogOutcome out = IntroPortAccept(c.text, rig.settings, *rig.roles, c.sep);
        EXPECT_EQ(out, c.stored ? DialogOutcome::Accepted : DialogOutcome::BadPort);
        EXPECT_EQ(rig.settings.Port, c.stored ? c.stored : "1001");
        EXPECT_EQ(rig.settings.TipusConexio, c.stored ? 1 : 0);
        EXPECT_EQ(rig.written.size(), c.stored ? 3u : 0u);
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
        EXPECT_EQ(IntroIpAccept(c.ip, c.port, rig.settings, *rig.roles, '.', rig.errors),
                  c.outcome);
        EXPECT_EQ(rig.settings.IP, c.storedIp);
        EXPECT_EQ(rig.settings.TipusConexio, c.outcome == DialogOutcome::Accepted ? 2 : 0);
        EXPECT_EQ(rig.panel.menu(Menu::Client).checked, c.outcome == DialogOutcome::Accepted);
        EXPECT_EQ(rig.reports.size(), c.reports);
    }
}

}  // namespace
}  // namespace kerbview::net
