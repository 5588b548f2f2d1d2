// SPDX-License-Identifier: MIT
#include "net/net_roles.h"

#include "core/address_rules.h"

namespace kerbview::net {

using core::Role;

NetRoles::NetRoles(Socket& tcpServer, Socket& tcpClient, const core::Settings& settings,
                   core::ErrorReporter& errors, char decimalSeparator)
    : m_server(tcpServer),
      m_client(tcpClient),
      m_settings(settings),
      m_errors(errors),
      m_decimalSeparator(decimalSeparator) {}

void NetRoles::CloseBoth() {
    if (m_server.state() != SocketState::Closed) m_server.close();
    if (m_client.state() != SocketState::Closed) m_client.close();
}

std::int32_t NetRoles::PortNumber() const {
    const std::int32_t port = core::PortNumber(m_settings.Port, m_decimalSeparator);
    if (port < 0 || port > 65535) throw SocketError("port outside 0..65535");
    return port;
}

std::optional<ListenFailure> NetRoles::Listen() {
    const std::int32_t port = PortNumber();
    try {
        m_server.listen(port);
    } catch (const SocketError& e) {
        return ListenFailure{port, e.ErrorKind(), e.what()};
    }
    return std::nullopt;
}

Upkeep NetRoles::SocketUpkeep() {
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

    const Role role = m_settings.TipusConexio;
    Upkeep upkeep;
    upkeep.readsSimulator = role == Role::None || role == Role::Server;
    if (role == Role::Server) {
        upkeep.status = server == SocketState::Listening   ? ConnectionStatus::Listening
                        : server == SocketState::Connected ? ConnectionStatus::Connected
                                                           : ConnectionStatus::NoLink;
    } else if (role == Role::Client) {
        upkeep.status = client == SocketState::Connecting  ? ConnectionStatus::Connecting
                        : client == SocketState::Connected ? ConnectionStatus::Connected
                                                           : ConnectionStatus::NoLink;
    } else if (role == Role::None) {
        upkeep.status = ConnectionStatus::None;
    }

    if (role == Role::Server && server != SocketState::Listening && !ServerConnected) {
        CloseBoth();
        upkeep.listenFailure = Listen();
        if (upkeep.listenFailure) {
            upkeep.newListenFailure = m_listenFailure != upkeep.listenFailure;
            m_listenFailure = upkeep.listenFailure;
            return upkeep;
        }
        m_listenFailure.reset();
        ReadyToSend = true;
    }
    if (role == Role::Client && client != SocketState::Connecting && !ClientConnected) {
        CloseBoth();
        const std::string host = core::HostFromIP(m_settings.IP);
        const std::int32_t port = PortNumber();
        // A new connection is a new byte stream: nothing of the old one may complete a packet.
        m_receive.Clear();
        m_client.connect(host, port);
    }
    return upkeep;
}

bool NetRoles::MaySend() const {
    return m_settings.TipusConexio == Role::Server && ServerConnected && ReadyToSend;
}

void NetRoles::Send(std::string_view body) {
    PacketLength = PacketLengthFor(body);
    ReadyToSend = false;
    m_server.send(PacketBytes(PacketLength, body));
}

void NetRoles::SendTelemetry(const telemetry::Snapshot& s, std::string_view status) {
    OutgoingText = TelemetryBody(s, status, m_decimalSeparator);
    Send(OutgoingText);
}

void NetRoles::SendStatusOnly(std::string_view status) {
    OutgoingText = StatusOnlyBody(status);
    Send(OutgoingText);
}

void NetRoles::TCPServer_ConnectionRequest() {
    try {
        if (m_server.state() != SocketState::Closed) m_server.close();
        m_server.accept();
    } catch (...) {
        m_errors.ReportCurrentException("TCPServer_ConnectionRequest");
    }
}

void NetRoles::TCPServer_SendComplete() { ReadyToSend = true; }

std::vector<std::string> NetRoles::TCPClient_DataArrival() {
    std::vector<std::string> accepted;
    try {
        const std::string data = m_client.readAll();
        m_receive.Feed(data, [&](std::string_view packet) {
            try {
                if (std::string receivedText; AcceptPacket(packet, receivedText)) {
                    accepted.push_back(std::move(receivedText));
                }
            } catch (...) {
                m_errors.ReportCurrentException("TCPClient_DataArrival");
            }
        });
        if (const std::size_t dropped = m_receive.TakeDiscarded(); dropped > 0) {
            m_errors.ReportError("TCPClient_DataArrival",
                                 std::to_string(dropped) + " received bytes start no packet");
        }
    } catch (...) {
        m_errors.ReportCurrentException("TCPClient_DataArrival");
    }
    return accepted;
}

}  // namespace kerbview::net
