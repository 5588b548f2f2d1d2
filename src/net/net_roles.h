// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_report.h"
#include "core/settings.h"
#include "net/receive_buffer.h"
#include "net/socket.h"
#include "net/wire_format.h"
#include "telemetry/snapshot.h"

namespace kerbview::net {

/// The connection as the upkeep found it at the start of a tick.
enum class ConnectionStatus {
    None,        ///< role 0: nothing to show
    Listening,   ///< server waiting for its client
    Connecting,  ///< client trying to reach its server
    Connected,
    NoLink,  ///< neither: closed, failed or gone
};

/// A server port that could not be opened.
struct ListenFailure {
    std::int32_t port = 0;
    SocketError::Kind kind = SocketError::Kind::Other;
    std::string detail;  ///< the system's text

    bool operator==(const ListenFailure&) const = default;
};

/// What the socket upkeep of one tick found and did.
struct Upkeep {
    /// The connection as found at the start of the tick, before the upkeep acts; empty for a
    /// role outside the three, which shows nothing.
    std::optional<ConnectionStatus> status;
    /// The server's port could not be opened in this tick: the rest of the tick is skipped, and
    /// the next tick tries again.
    std::optional<ListenFailure> listenFailure;
    /// The listen failure is the first of its port and kind since listening last worked.
    bool newListenFailure = false;
    /// The tick goes on to the simulator: the role is none or server. A client stops here, fed
    /// by its server; a role outside the three reads nothing at all.
    bool readsSimulator = false;
};

/// The server and client roles over the two sockets TCPServer and TCPClient: the socket upkeep
/// of every scan tick, what the socket events do to them, and the sends. They return typed
/// results and never decide what the user sees. The sockets are borrowed; whoever receives
/// their events calls the handlers below.
class NetRoles {
public:
    /// settings supplies TipusConexio, IP and Port. Everything passed must outlive the roles.
    NetRoles(Socket& tcpServer, Socket& tcpClient, const core::Settings& settings,
             core::ErrorReporter& errors, char decimalSeparator);
    NetRoles(const NetRoles&) = delete;
    NetRoles& operator=(const NetRoles&) = delete;

    bool ServerConnected = false;   ///< the server socket was found connected
    bool ClientConnected = false;   ///< the client socket was found connected
    bool ReadyToSend = false;       ///< the server may send the next packet
    std::string OutgoingText;       ///< server: body of the packet last built
    std::int16_t PacketLength = 0;  ///< server: header value of the packet last built

    /// The network steps of a scan tick: connection flags, the status found, then listening
    /// (server) or connecting (client) again when needed. A port that cannot be listened on is
    /// a result, not an error. Throws when the Port text is no port or another socket operation
    /// fails; the scan cycle reports "Temps".
    Upkeep SocketUpkeep();

    /// True when a packet may go out now: the server role, ServerConnected and ReadyToSend.
    bool MaySend() const;
    /// Sends snapshot s with `status` (the server's status caption); clears ReadyToSend. Throws
    /// (and sends nothing) when the body is too long for the header; the caller reports it.
    void SendTelemetry(const telemetry::Snapshot& s, std::string_view status);
    /// Sends the status-only packet with `status`; clears ReadyToSend. Throws as SendTelemetry.
    void SendStatusOnly(std::string_view status);
    /// Closes both sockets where open (no role).
    void CloseBoth();

    /// TCPServer connection request: stops listening and accepts on the same socket.
    void TCPServer_ConnectionRequest();
    /// TCPServer send complete: ReadyToSend = True.
    void TCPServer_SendComplete();
    /// TCPClient data arrival: reads every waiting byte and returns, in order, the text of each
    /// whole packet that AcceptPacket takes (ReceivedText, for the client's Lectures). Bytes
    /// that start no packet and packets that are refused are reported as
    /// "TCPClient_DataArrival" and dropped; a packet cut by the read waits for its rest. Never
    /// throws.
    std::vector<std::string> TCPClient_DataArrival();

    /// The client's receive buffer (for inspection).
    const ReceiveBuffer& Received() const { return m_receive; }

private:
    std::int32_t PortNumber() const;
    // Listens on Port; a port that cannot be opened is returned.
    std::optional<ListenFailure> Listen();
    void Send(std::string_view body);

    Socket& m_server;
    Socket& m_client;
    const core::Settings& m_settings;
    core::ErrorReporter& m_errors;
    char m_decimalSeparator;
    ReceiveBuffer m_receive;
    std::optional<ListenFailure> m_listenFailure;
};

}  // namespace kerbview::net
