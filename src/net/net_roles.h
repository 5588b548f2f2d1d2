// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/error_report.h"
#include "core/settings.h"
#include "net/receive_buffer.h"
#include "net/socket.h"
#include "panel/panel_model.h"
#include "telemetry/snapshot.h"
#include "ui/language_texts.h"

namespace kerbview::net {

/// What the roles need from the program around them. References must outlive the NetRoles.
struct NetContext {
    core::Settings& settings;  ///< TipusConexio, IP, Port, DadesServ
    panel::PanelModel& panel;  ///< Label1 (status sent), Label15, the Conexio menu items
    const ui::LanguageTexts& texts;
    core::ErrorReporter& errors;
    /// The settings write: section, key, value.
    std::function<void(std::string_view, std::string_view, std::string_view)> writeSetting;
    /// The user's decimal separator, for the numbers on the wire and the port text.
    char decimalSeparator = '.';
};

/// Calls into the program: the scan timer, the client's Lectures, the two dialogs.
struct NetHooks {
    std::function<void()> stopTimer;
    std::function<void()> startTimer;
    /// The client's Lectures: UnpackTelemetry, then presentation. Reports its own errors.
    std::function<void()> lectures;
    std::function<void()> showIntroPort;
    std::function<void()> showIntroIP;
};

/// The server and client roles over the two sockets TCPServer and TCPClient: the socket upkeep
/// of every scan tick, the socket events, the sends, and the Conexio menu. The sockets are
/// borrowed; NetRoles registers itself for their events and must outlive their use.
class NetRoles {
public:
    NetRoles(Socket& tcpServer, Socket& tcpClient, NetContext context, NetHooks hooks);
    NetRoles(const NetRoles&) = delete;
    NetRoles& operator=(const NetRoles&) = delete;

    bool ServerConnected = false;   ///< the server socket was found connected
    bool ClientConnected = false;   ///< the client socket was found connected
    bool ReadyToSend = false;       ///< the server may send the next packet
    std::string OutgoingText;       ///< server: body of the packet last built
    std::int16_t PacketLength = 0;  ///< server: header value of the packet last built
    std::string ReceivedText;  ///< client: body of the last accepted packet, eaten by the parse

    /// The network steps of a scan tick: connection flags, Label15, then listening (role 1) or
    /// connecting (role 2) again when needed. Returns false when the tick ends here (role 2).
    /// Throws when a socket operation or the Port text fails; the scan cycle reports "Temps".
    bool SocketUpkeep();

    /// True when a packet may go out now: role 1, ServerConnected and ReadyToSend.
    bool MaySend() const;
    /// Sends snapshot s with the caption of Label1 as status; clears ReadyToSend. Throws (and
    /// sends nothing) when the body is too long for the header; the caller reports "Lectures".
    void SendTelemetry(const telemetry::Snapshot& s);
    /// Sends the status-only packet with the caption of Label1; clears ReadyToSend. Throws as
    /// SendTelemetry.
    void SendStatusOnly();
    /// Fills s from ReceivedText and shows the status in Label1 (see net::UnpackTelemetry).
    /// Returns true when the 54 fields were unpacked, false when s was reset to its defaults.
    /// Throws at a field that does not convert; the caller (Lectures) reports "Lectures".
    bool UnpackTelemetry(telemetry::Snapshot& s);

    /// TCPServer connection request: stops listening and accepts on the same socket.
    void TCPServer_ConnectionRequest();
    /// TCPServer send complete: ReadyToSend = True.
    void TCPServer_SendComplete();
    /// TCPClient data arrival: with the timer stopped, takes every complete packet from the
    /// receive buffer in order and runs Lectures for each accepted one. Failures are reported as
    /// "TCPClient_DataArrival" and drop only the packet concerned; the timer is always restarted.
    void TCPClient_DataArrival();

    /// Applies role tipus to the menus (and closes both sockets for role 0) and writes
    /// TipusConexio, IP and Port. Reports "Canvia_Conexio" on failure.
    void Canvia_Conexio(std::int16_t tipus);
    /// Shows DadesServ as the check mark of VeureDadesServidor and writes it.
    /// Reports "Canvia_Dades_Serv()" on failure.
    void Canvia_Dades_Serv();

    /// Menu clicks of Conexio.
    void Cap_Click();
    void Servidor_Click();
    void Client_Click();
    void VeureDadesServidor_Click();

    /// The client's receive buffer (for inspection).
    const ReceiveBuffer& receiveBuffer() const { return m_receive; }

private:
    void CloseBoth();
    std::int32_t PortNumber() const;
    void Send(std::string_view body);

    Socket& m_server;
    Socket& m_client;
    NetContext m_ctx;
    NetHooks m_hooks;
    ReceiveBuffer m_receive;
};

}  // namespace kerbview::net
