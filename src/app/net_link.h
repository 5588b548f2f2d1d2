// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "app/program.h"
#include "net/net_roles.h"

namespace kerbview::app {

/// The network roles of the program: net::NetRoles over the program's settings, panel, texts
/// and error reporter, seen by the Program through its NetworkRoles seam. In the client role
/// every accepted packet runs the client's Lectures: UnpackTelemetry, then the presentation.
class NetLink : public NetworkRoles {
public:
    /// hooks: the scan timer and the two dialogs; its lectures member is replaced by the
    /// client's Lectures. The program and the sockets must outlive this object.
    NetLink(Program& program, net::Socket& tcpServer, net::Socket& tcpClient, net::NetHooks hooks);

    net::NetRoles& Roles() { return m_roles; }

    void SocketUpkeep() override;
    bool ServerConnected() override { return m_roles.ServerConnected; }
    bool ReadyToSend() override { return m_roles.ReadyToSend; }
    bool MaySend() override { return m_roles.MaySend(); }
    void SendTelemetry(const telemetry::Snapshot& snapshot) override;
    void SendStatusOnly() override;
    void Canvia_Conexio(std::int16_t tipus) override { m_roles.Canvia_Conexio(tipus); }
    void Canvia_Dades_Serv() override { m_roles.Canvia_Dades_Serv(); }
    void ConexioMenuClick(panel::Menu item) override;

    /// Packets sent by the server role and packets presented by the client role since start.
    std::uint64_t PacketsSent() const { return m_packetsSent; }
    std::uint64_t PacketsPresented() const { return m_packetsPresented; }

private:
    static net::NetHooks WithLectures(net::NetHooks hooks, NetLink* self);
    void ClientLectures();

    Program& m_program;
    net::NetRoles m_roles;
    std::uint64_t m_packetsSent = 0;
    std::uint64_t m_packetsPresented = 0;
};

}  // namespace kerbview::app
