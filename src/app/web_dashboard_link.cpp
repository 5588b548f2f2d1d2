// SPDX-License-Identifier: MIT
#include "app/web_dashboard_link.h"

#include <QAction>

#include "core/number_rules.h"
#include "web/request_policy.h"

namespace kerbview::app {

WebDashboardLink::WebDashboardLink(Program& program, Kerbview_Form& window,
                                   web::qt::DashboardOptions options)
    : m_program(program),
      m_window(window),
      m_server(
          program.Panel(),
          web::qt::PaletteLook(static_cast<core::ColourNumber>(program.Settings().BackgroundColor)),
          std::move(options)) {
    ApplySetting();
    connect(window.MenuAction(panel::Menu::WebDashboard), &QAction::triggered, this,
            &WebDashboardLink::WebDashboard_Click);
}

// Serves as the settings say and shows it in the check mark; a port that cannot be opened leaves
// the setting as it is, so the next start tries again.
void WebDashboardLink::ApplySetting() {
    const core::Settings& s = m_program.Settings();
    m_server.Apply(s.WebEnabled, s.WebPort);
    m_program.Panel().SetMenuChecked(panel::Menu::WebDashboard, m_server.Serving());
}

void WebDashboardLink::WebDashboard_Click() {
    core::Settings& s = m_program.Settings();
    s.WebEnabled = !m_server.Serving();
    ApplySetting();
    m_program.Store().Write(core::kWeb, "Enabled", core::TruthText(s.WebEnabled));
    if (s.WebEnabled) {
        OpenAddresses();
    } else if (m_addresses) {
        m_addresses->close();
    }
}

void WebDashboardLink::OpenAddresses() {
    if (m_addresses) m_addresses->close();
    const core::Settings& s = m_program.Settings();
    const ui::LanguageTexts& t = m_program.Texts();
    std::vector<std::string> urls;
    std::string problem;
    if (m_server.Serving()) {
        urls = web::DashboardUrls(web::qt::MachineIpv4Addresses(), m_server.Port());
        // Without a network the page can still be opened on this machine.
        if (urls.empty())
            urls.push_back("http://127.0.0.1:" + std::to_string(m_server.Port()) + "/");
    } else {
        problem = std::to_string(s.WebPort) + ": " +
                  (m_server.PortInUse() ? t.TxtWebPortBusy
                                        : m_server.ErrorText().toLatin1().toStdString());
    }
    m_addresses = new web::qt::DashboardWindow(t.TxtWebDashboard, urls, problem, &m_window);
    m_addresses->show();
}

}  // namespace kerbview::app
