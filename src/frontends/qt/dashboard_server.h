// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "panel/panel_model.h"
#include "web/dashboard_service.h"
#include "web/feed_encoder.h"
#include "web/feed_pacing.h"
#include "web/request_policy.h"

class QWebSocket;

namespace kerbview::qt {

class GuardedListener;
class HttpFront;
class DashboardPictures;

/// Limits of the dashboard server; the defaults suit a phone or tablet on a home network.
struct DashboardOptions {
    /// Where to listen: every IPv4 address of the machine.
    QHostAddress address = QHostAddress::AnyIPv4;
    /// Browsers on the feed at once; one more is answered "service unavailable".
    int maxBrowsers = 16;
    /// Feed messages per second to each browser, at most.
    int maxRate = 30;
    /// Open connections at once, browsers included; more are refused.
    int maxConnections = 32;
    /// Bytes of a request read ahead; a request that does not fit is never answered.
    qint64 maxRequestBytes = 32 * 1024;
    /// A connection that is not on the feed is closed this long after it opened.
    std::chrono::milliseconds requestDeadline{10000};
    web::PacingLimits pacing;
};

/// The colours of the dashboard from the application's palette (what the desktop panel uses for
/// its system colours and lamp buttons) and the panel's background colour.
web::DashboardLook PaletteLook(core::ColourNumber panelColour);

/// The web dashboard: serves the panel to browsers on the local network and keeps them up to
/// date. Read only: nothing a browser sends changes the program, and a browser costs the program
/// nothing while none is connected. Every browser gets the whole panel when it connects, then
/// the elements that changed, at most maxRate times a second; one that stops reading is skipped
/// and later brought to the latest state, or dropped (see BrowserPacing).
class DashboardServer : public QObject {
    Q_OBJECT

public:
    /// model must outlive the server. Serves nothing until Apply.
    DashboardServer(const panel::PanelModel& model, web::DashboardLook look,
                    DashboardOptions options = {}, QObject* parent = nullptr);
    ~DashboardServer() override;

    /// Serves on port when enabled (port 0: any free port), restarting when the port changed;
    /// stops and drops every browser when not. Returns false, serving nothing, when the port
    /// cannot be opened (ErrorText says why).
    bool Apply(bool enabled, std::uint16_t port);

    bool Serving() const { return m_http != nullptr; }
    /// The port served on; 0 when not serving.
    std::uint16_t Port() const { return m_port; }
    /// Why the last Apply could not serve; empty after a successful one.
    const QString& ErrorText() const { return m_error; }
    /// True when the last Apply could not serve because another program holds the port.
    bool PortInUse() const { return m_portInUse; }

    /// Browsers on the feed.
    int Browsers() const { return static_cast<int>(m_browsers.size()); }
    /// Open connections, browsers included.
    int Connections() const;
    /// Bytes written to any connection and not yet sent, in all.
    qint64 Backlog() const;

private:
    struct Browser;
    void Stop();
    void AcceptBrowsers();
    void Publish();
    void Drop(Browser& browser);
    std::pair<QByteArray, QByteArray> Content(const web::Route& route);

    const panel::PanelModel& m_model;
    web::FeedEncoder m_encoder;
    DashboardOptions m_options;
    QByteArray m_page, m_script, m_style;
    std::unique_ptr<DashboardPictures> m_pictures;
    GuardedListener* m_listener = nullptr;  // owned by m_http
    std::unique_ptr<HttpFront> m_http;
    std::uint16_t m_port = 0;
    QString m_error;
    bool m_portInUse = false;
    std::vector<std::unique_ptr<Browser>> m_browsers;
    QTimer m_publish;
};

/// The web dashboard as the program's service, on a DashboardServer made by Serve with the
/// application's palette (PaletteLook) and ended by Stop.
class QtDashboard final : public web::DashboardService {
public:
    /// options: where and how the dashboard serves (tests keep it on 127.0.0.1).
    explicit QtDashboard(DashboardOptions options = {}) : m_options(std::move(options)) {}

    bool Serve(const panel::PanelModel& model, core::ColourNumber panelColour,
               std::uint16_t port) override;
    void Stop() override;
    bool Serving() const override { return m_server && m_server->Serving(); }
    std::uint16_t Port() const override { return m_server ? m_server->Port() : 0; }
    web::ServeFailure Failure() const override;
    std::vector<std::string> Addresses() const override;

private:
    DashboardOptions m_options;
    std::unique_ptr<DashboardServer> m_server;
    const panel::PanelModel* m_model = nullptr;
    core::ColourNumber m_panelColour = 0;
};

}  // namespace kerbview::qt
