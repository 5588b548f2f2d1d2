// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

/// What the roles need from the program around them and what they report to it.
class RolesHost {
public:
    virtual ~RolesHost() = default;
    /// Starts or stops the scan timer (stopped while a client handles arriving data).
    virtual void SetScanTimerEnabled(bool enabled) = 0;
    /// The client's Lectures over the packet just accepted (UnpackTelemetry, then presentation).
    /// Reports its own errors; may throw, which drops only this packet.
    virtual void ClientLectures() = 0;
    /// The connection status of this tick. Not called for a role outside 0..2.
    virtual void OnConnectionStatus(ConnectionStatus status) = 0;
    /// Listening failed; reported once for each port and kind of error, until listening works.
    virtual void OnListenFailed(const ListenFailure& failure) = 0;
    /// The server's client was dropped by the socket; the upkeep listens again on the next tick.
    virtual void OnClientDropped(const std::string& reason) = 0;
};

/// The server and client roles over the two sockets TCPServer and TCPClient: the socket upkeep
/// of every scan tick, the socket events and the sends. They report typed state to the host and
/// never decide what the user sees. The sockets are borrowed; the roles register for their
/// events and unregister when destroyed.
class NetRoles {
public:
    /// settings supplies TipusConexio, IP and Port. Everything passed must outlive the roles.
    NetRoles(Socket& tcpServer, Socket& tcpClient, const core::Settings& settings,
             core::ErrorReporter& errors, RolesHost& host, char decimalSeparator);
    ~NetRoles();
    NetRoles(const NetRoles&) = delete;
    NetRoles& operator=(const NetRoles&) = delete;

    bool ServerConnected = false;   ///< the server socket was found connected
    bool ClientConnected = false;   ///< the client socket was found connected
    bool ReadyToSend = false;       ///< the server may send the next packet
    std::string OutgoingText;       ///< server: body of the packet last built
    std::int16_t PacketLength = 0;  ///< server: header value of the packet last built
    std::string ReceivedText;  ///< client: body of the last accepted packet, eaten by the parse

    /// The network steps of a scan tick: connection flags, the status report, then listening
    /// (role 1) or connecting (role 2) again when needed. Returns false when the tick ends here
    /// (role 2). Throws when a socket operation or the Port text fails; the scan cycle reports
    /// "Temps".
    bool SocketUpkeep();

    /// True when a packet may go out now: role 1, ServerConnected and ReadyToSend.
    bool MaySend() const;
    /// Sends snapshot s with `status` (the server's status caption); clears ReadyToSend. Throws
    /// (and sends nothing) when the body is too long for the header; the caller reports it.
    void SendTelemetry(const telemetry::Snapshot& s, std::string_view status);
    /// Sends the status-only packet with `status`; clears ReadyToSend. Throws as SendTelemetry.
    void SendStatusOnly(std::string_view status);
    /// Fills s from ReceivedText (see net::UnpackTelemetry); setStatus receives the server's
    /// status text. Throws at a field that does not convert.
    UnpackResult UnpackTelemetry(telemetry::Snapshot& s,
                                 const std::function<void(std::string_view)>& setStatus);

    /// Closes both sockets where open (role 0).
    void CloseBoth();

    /// TCPServer connection request: stops listening and accepts on the same socket.
    void TCPServer_ConnectionRequest();
    /// TCPServer send complete: ReadyToSend = True.
    void TCPServer_SendComplete();
    /// TCPClient data arrival: with the timer stopped, takes every complete packet from the
    /// receive buffer in order and runs the client's Lectures for each accepted one. Failures
    /// are reported as "TCPClient_DataArrival" and drop only the packet concerned; the timer is
    /// always restarted.
    void TCPClient_DataArrival();

    /// The client's receive buffer (for inspection).
    const ReceiveBuffer& Received() const { return m_receive; }

private:
    std::int32_t PortNumber() const;
    void Listen();
    void Send(std::string_view body);

    Socket& m_server;
    Socket& m_client;
    const core::Settings& m_settings;
    core::ErrorReporter& m_errors;
    RolesHost& m_host;
    char m_decimalSeparator;
    ReceiveBuffer m_receive;
    std::optional<ListenFailure> m_listenFailure;
};

}  // namespace kerbview::net
