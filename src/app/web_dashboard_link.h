// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>

#include "app/main_window.h"
#include "app/program.h"
#include "web/qt/dashboard_server.h"
#include "web/qt/dashboard_window.h"

namespace kerbview::app {

/// The web dashboard in the program: serves the panel when [Web] Enabled is set, and the
/// Conexio menu's WebDashboard item switches it on (opening the window with its addresses) and
/// off, writing the setting at once. The item is checked while the dashboard is served.
class WebDashboardLink : public QObject {
public:
    /// Call after Program::Main has loaded the settings and created window. Tests pass options
    /// to listen on 127.0.0.1 only.
    WebDashboardLink(Program& program, Kerbview_Form& window,
                     web::qt::DashboardOptions options = {});

    web::qt::DashboardServer& Server() { return m_server; }
    /// The address window while it is open.
    web::qt::DashboardWindow* AddressWindow() const { return m_addresses; }

private:
    void ApplySetting();
    void WebDashboard_Click();
    void OpenAddresses();

    Program& m_program;
    Kerbview_Form& m_window;
    web::qt::DashboardServer m_server;
    QPointer<web::qt::DashboardWindow> m_addresses;
};

}  // namespace kerbview::app
