// SPDX-License-Identifier: MIT
#include "net/net_roles.h"

#include <exception>

#include "core/address_rules.h"
#include "core/number_rules.h"
#include "net/wire_format.h"

namespace kerbview::net {

using panel::Element;
using panel::Menu;

NetRoles::NetRoles(Socket& tcpServer, Socket& tcpClient, NetContext context, NetHooks hooks)
    : m_server(tcpServer),
      m_client(tcpClient),
      m_ctx(std::move(context)),
      m_hooks(std::move(hooks)) {
    m_server.setEvents(
        {[this] { TCPServer_ConnectionRequest(); }, [this] { TCPServer_SendComplete(); }, {}});
    m_client.setEvents({{}, {}, [this] { TCPClient_DataArrival(); }});
}

void NetRoles::CloseBoth() {
    if (m_server.state() != SocketState::Closed) m_server.close();
    if (m_client.state() != SocketState::Closed) m_client.close();
}

std::int32_t NetRoles::PortNumber() const {
    const std::int32_t port = core::PortNumber(m_ctx.settings.Port, m_ctx.decimalSeparator);
    if (port < 0 || port > 65535) throw SocketError("port outside 0..65535");
    return port;
}

bool NetRoles::SocketUpkeep() {
    const SocketState server = m_server.state();
    const SocketState client = m_client.state();
    if (server == SocketState::Connected) {
        ServerConnected = true;
    } else if (client == SocketState::Connected) {
        ClientConnected = true;
    } else {
        ServerConnected = false;
        ClientConnected = false;
    }

    const std::int16_t role = m_ctx.settings.TipusConexio;
    const ui::LanguageTexts& t = m_ctx.texts;
    if (role == 1) {
        m_ctx.panel.SetText(Element::Label15, server == SocketState::Listening   ? t.TxtListening
                                              : server == SocketState::Connected ? t.TxtConnected
                                                                                 : t.TxtNoLink);
    } else if (role == 2) {
        m_ctx.panel.SetText(Element::Label15, client == SocketState::Connecting  ? t.TxtConnecting
                                              : client == SocketState::Connected ? t.TxtConnected
                                                                                 : t.TxtNoLink);
    } else if (role == 0) {
        m_ctx.panel.SetText(Element::Label15, "");
    }

    if (role == 1 && server != SocketState::Listening && !ServerConnected) {
        CloseBoth();
        m_server.listen(PortNumber());
        ReadyToSend = true;
    }
    if (role == 2 && client != SocketState::Connecting && !ClientConnected) {
        CloseBoth();
        const std::string host = core::HostFromIP(m_ctx.settings.IP);
        const std::int32_t port = PortNumber();
        // A new connection is a new byte stream: nothing of the old one may complete a packet.
        m_receive.Clear();
        m_client.connect(host, port);
    }
    return role != 2;
}

bool NetRoles::MaySend() const {
    return m_ctx.settings.TipusConexio == 1 && ServerConnected && ReadyToSend;
}

void NetRoles::Send(std::string_view body) {
    PacketLength = PacketLengthFor(body);
    ReadyToSend = false;
    m_server.send(PacketBytes(PacketLength, body));
}

void NetRoles::SendTelemetry(const telemetry::Snapshot& s) {
    OutgoingText = TelemetryBody(s, m_ctx.panel[Element::Label1].text, m_ctx.decimalSeparator);
    Send(OutgoingText);
}

void NetRoles::SendStatusOnly() {
    OutgoingText = StatusOnlyBody(m_ctx.panel[Element::Label1].text);
    Send(OutgoingText);
}

bool NetRoles::UnpackTelemetry(telemetry::Snapshot& s) {
    return net::UnpackTelemetry(ReceivedText, m_ctx.decimalSeparator, s,
                                [this](std::string_view status) {
                                    m_ctx.panel.SetText(Element::Label1, status);
                                }) == UnpackResult::Unpacked;
}

void NetRoles::TCPServer_ConnectionRequest() {
    try {
        if (m_server.state() != SocketState::Closed) m_server.close();
        m_server.accept();
    } catch (const std::exception&) {
        m_ctx.errors.ReportError("TCPServer_ConnectionRequest");
    }
}

void NetRoles::TCPServer_SendComplete() { ReadyToSend = true; }

void NetRoles::TCPClient_DataArrival() {
    if (m_hooks.stopTimer) m_hooks.stopTimer();
    try {
        const std::string data = m_client.readAll();
        m_receive.Feed(data, [this](std::string_view packet) {
            try {
                if (AcceptPacket(packet, ReceivedText) && m_hooks.lectures) m_hooks.lectures();
            } catch (const std::exception&) {
                m_ctx.errors.ReportError("TCPClient_DataArrival");
            }
        });
        // Bytes that could not start a packet are what the header check rejects.
        if (m_receive.TakeDiscarded() > 0) m_ctx.errors.ReportError("TCPClient_DataArrival");
    } catch (const std::exception&) {
        m_ctx.errors.ReportError("TCPClient_DataArrival");
    }
    if (m_hooks.startTimer) m_hooks.startTimer();
}

void NetRoles::Canvia_Conexio(std::int16_t tipus) {
    try {
        panel::PanelModel& p = m_ctx.panel;
        p.SetMenuChecked(Menu::Cap, false);
        p.SetMenuChecked(Menu::Servidor, false);
        p.SetMenuChecked(Menu::Client, false);
        p.SetMenuEnabled(Menu::VeureDadesServidor, false);
        if (tipus == 0) {
            CloseBoth();
            p.SetMenuChecked(Menu::Cap, true);
        } else if (tipus == 1) {
            p.SetMenuChecked(Menu::Servidor, true);
            p.SetMenuEnabled(Menu::VeureDadesServidor, true);
        } else if (tipus == 2) {
            p.SetMenuChecked(Menu::Client, true);
        }
        const core::Settings& s = m_ctx.settings;
        m_ctx.writeSetting("Opcions", "TipusConexio", core::PlainText(s.TipusConexio));
        m_ctx.writeSetting("Opcions", "IP", s.IP);
        m_ctx.writeSetting("Opcions", "Port", s.Port);
    } catch (const std::exception&) {
        m_ctx.errors.ReportError("Canvia_Conexio");
    }
}

void NetRoles::Canvia_Dades_Serv() {
    try {
        m_ctx.panel.SetMenuChecked(Menu::VeureDadesServidor, m_ctx.settings.DadesServ);
        m_ctx.writeSetting("Opcions", "DadesServ", core::TruthText(m_ctx.settings.DadesServ));
    } catch (const std::exception&) {
        m_ctx.errors.ReportError("Canvia_Dades_Serv()");
    }
}

void NetRoles::Cap_Click() {
    m_ctx.settings.TipusConexio = 0;
    Canvia_Conexio(0);
}

void NetRoles::Servidor_Click() {
    if (m_hooks.showIntroPort) m_hooks.showIntroPort();
}

void NetRoles::Client_Click() {
    if (m_hooks.showIntroIP) m_hooks.showIntroIP();
}

void NetRoles::VeureDadesServidor_Click() {
    m_ctx.settings.DadesServ = !m_ctx.settings.DadesServ;
    Canvia_Dades_Serv();
}

}  // namespace kerbview::net
