// SPDX-License-Identifier: MIT
#include "net/net_roles.h"

#include "core/address_rules.h"

namespace kerbview::net {

NetRoles::NetRoles(Socket& tcpServer, Socket& tcpClient, const core::Settings& settings,
                   core::ErrorReporter& errors, RolesHost& host, char decimalSeparator)
    : m_server(tcpServer),
      m_client(tcpClient),
      m_settings(settings),
      m_errors(errors),
      m_host(host),
      m_decimalSeparator(decimalSeparator) {
    m_server.setEvents({.connectionRequest = [this] { TCPServer_ConnectionRequest(); },
                        .sendComplete = [this] { TCPServer_SendComplete(); },
                        .dataArrival = {},
                        .connectionDropped =
                            [this](const std::string& reason) { m_host.OnClientDropped(reason); }});
    m_client.setEvents({.connectionRequest = {},
                        .sendComplete = {},
                        .dataArrival = [this] { TCPClient_DataArrival(); },
                        .connectionDropped = {}});
}

// The sockets may outlive the roles: nothing of this object may be called afterwards.
NetRoles::~NetRoles() {
    m_server.setEvents({});
    m_client.setEvents({});
}

void NetRoles::CloseBoth() {
    if (m_server.state() != SocketState::Closed) m_server.close();
    if (m_client.state() != SocketState::Closed) m_client.close();
}

std::int32_t NetRoles::PortNumber() const {
    const std::int32_t port = core::PortNumber(m_settings.Port, m_decimalSeparator);
    if (port < 0 || port > 65535) throw SocketError("port outside 0..65535");
    return port;
}

void NetRoles::Listen() {
    const std::int32_t port = PortNumber();
    try {
        m_server.listen(port);
        m_listenFailure.reset();
    } catch (const SocketError& e) {
        const ListenFailure failure{port, e.ErrorKind(), e.what()};
        if (m_listenFailure != failure) {
            m_listenFailure = failure;
            m_host.OnListenFailed(failure);
        }
        throw;
    }
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

    const std::int16_t role = m_settings.TipusConexio;
    if (role == 1) {
        m_host.OnConnectionStatus(server == SocketState::Listening   ? ConnectionStatus::Listening
                                  : server == SocketState::Connected ? ConnectionStatus::Connected
                                                                     : ConnectionStatus::NoLink);
    } else if (role == 2) {
        m_host.OnConnectionStatus(client == SocketState::Connecting  ? ConnectionStatus::Connecting
                                  : client == SocketState::Connected ? ConnectionStatus::Connected
                                                                     : ConnectionStatus::NoLink);
    } else if (role == 0) {
        m_host.OnConnectionStatus(ConnectionStatus::None);
    }

    if (role == 1 && server != SocketState::Listening && !ServerConnected) {
        CloseBoth();
        Listen();
        ReadyToSend = true;
    }
    if (role == 2 && client != SocketState::Connecting && !ClientConnected) {
        CloseBoth();
        const std::string host = core::HostFromIP(m_settings.IP);
        const std::int32_t port = PortNumber();
        // A new connection is a new byte stream: nothing of the old one may complete a packet.
        m_receive.Clear();
        m_client.connect(host, port);
    }
    return role != 2;
}

bool NetRoles::MaySend() const {
    return m_settings.TipusConexio == 1 && ServerConnected && ReadyToSend;
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

UnpackResult NetRoles::UnpackTelemetry(telemetry::Snapshot& s,
                                       const std::function<void(std::string_view)>& setStatus) {
    return net::UnpackTelemetry(ReceivedText, s, setStatus);
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

void NetRoles::TCPClient_DataArrival() {
    m_host.SetScanTimerEnabled(false);
    try {
        const std::string data = m_client.readAll();
        m_receive.Feed(data, [this](std::string_view packet) {
            try {
                if (AcceptPacket(packet, ReceivedText)) m_host.ClientLectures();
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
    m_host.SetScanTimerEnabled(true);
}

}  // namespace kerbview::net
