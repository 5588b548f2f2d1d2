// SPDX-License-Identifier: MIT
#include "app/net_link.h"

#include <exception>

namespace kerbview::app {

net::NetHooks NetLink::WithLectures(net::NetHooks hooks, NetLink* self) {
    hooks.lectures = [self] { self->ClientLectures(); };
    return hooks;
}

NetLink::NetLink(Program& program, net::Socket& tcpServer, net::Socket& tcpClient,
                 net::NetHooks hooks)
    : m_program(program),
      m_roles(
          tcpServer, tcpClient,
          net::NetContext{
              program.Settings(), program.Panel(), program.Texts(), program.Errors(),
              [&program](std::string_view section, std::string_view key, std::string_view value) {
                  program.Store().Write(section, key, value);
              },
              program.DecimalSeparator()},
          WithLectures(std::move(hooks), this)) {}

void NetLink::SocketUpkeep() { m_roles.SocketUpkeep(); }

void NetLink::SendTelemetry(const telemetry::Snapshot& snapshot) {
    m_roles.SendTelemetry(snapshot);
    ++m_packetsSent;
}

void NetLink::SendStatusOnly() {
    m_roles.SendStatusOnly();
    ++m_packetsSent;
}

void NetLink::ConexioMenuClick(panel::Menu item) {
    switch (item) {
        case panel::Menu::Cap: m_roles.Cap_Click(); break;
        case panel::Menu::Servidor: m_roles.Servidor_Click(); break;
        case panel::Menu::Client: m_roles.Client_Click(); break;
        case panel::Menu::VeureDadesServidor: m_roles.VeureDadesServidor_Click(); break;
        default: break;
    }
}

// Every accepted packet is unpacked, also one that arrives before the first tick that finds the
// client connected: presenting default values there would flash zeros on each new connection.
void NetLink::ClientLectures() {
    telemetry::Snapshot snapshot;
    try {
        m_roles.UnpackTelemetry(snapshot);
    } catch (const std::exception&) {
        m_program.Errors().ReportError("Lectures");
        return;
    }
    m_program.PresentReceived(snapshot);
    ++m_packetsPresented;
}

}  // namespace kerbview::app
