// SPDX-License-Identifier: MIT
#include "frontends/qt/dashboard_server.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QWebSocket>
#include <utility>

#include "frontends/qt/dashboard_pictures.h"
#include "frontends/qt/dashboard_window.h"
#include "frontends/qt/http_front.h"

namespace kerbview::qt {
namespace {

QByteArray PageFile(const char* name) {
    QFile file(QString::fromLatin1(":/web/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

core::ColourNumber Number(const QColor& c) {
    return core::Rgb(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                     static_cast<std::uint8_t>(c.blue()));
}

// A browser sends nothing the dashboard uses; anything longer than this closes its connection.
constexpr quint64 kMaxIncomingMessage = 1024;

}  // namespace

web::DashboardLook PaletteLook(core::ColourNumber panelColour) {
    const QPalette palette = QApplication::palette();
    web::DashboardLook look;
    look.panel = panelColour;
    look.windowText = Number(palette.color(QPalette::WindowText));
    look.highlight = Number(palette.color(QPalette::Highlight));
    look.lampFace = Number(palette.color(QPalette::Button));
    look.lampText = Number(palette.color(QPalette::Active, QPalette::ButtonText));
    look.lampDarkText = Number(palette.color(QPalette::Disabled, QPalette::ButtonText));
    return look;
}

struct DashboardServer::Browser {
    QWebSocket* socket;  // owned; deleted later, as it may be the sender of the running signal
    web::BrowserPacing pacing;
};

DashboardServer::DashboardServer(const panel::PanelModel& model, web::DashboardLook look,
                                 DashboardOptions options, QObject* parent)
    : QObject(parent),
      m_model(model),
      m_encoder(model, look),
      m_options(std::move(options)),
      m_page(PageFile("index.html")),
      m_script(PageFile("dashboard.js")),
      m_style(PageFile("dashboard.css")),
      m_pictures(std::make_unique<DashboardPictures>()) {
    m_publish.setTimerType(Qt::PreciseTimer);
    m_publish.setInterval((1000 + m_options.maxRate - 1) / std::max(1, m_options.maxRate));
    connect(&m_publish, &QTimer::timeout, this, &DashboardServer::Publish);
}

DashboardServer::~DashboardServer() { Stop(); }

bool DashboardServer::Apply(bool enabled, std::uint16_t port) {
    m_portInUse = false;
    if (!enabled) {
        Stop();
        m_error.clear();
        return true;
    }
    if (Serving() && (port == m_port || port == 0)) {
        return true;
    }
    Stop();
    auto* listener = new GuardedListener(m_options.maxConnections, m_options.maxRequestBytes,
                                         m_options.requestDeadline);
    if (!listener->listen(m_options.address, port)) {
        m_error = listener->errorString();
        m_portInUse = listener->serverError() == QAbstractSocket::AddressInUseError;
        delete listener;
        return false;
    }
    m_error.clear();
    m_port = listener->serverPort();
    m_listener = listener;
    m_http = std::make_unique<HttpFront>(
        *listener, HttpFront::Handlers{[this] { return Browsers() < m_options.maxBrowsers; },
                                       [this](const web::Route& route) { return Content(route); }});
    connect(m_http.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            &DashboardServer::AcceptBrowsers);
    return true;
}

void DashboardServer::Stop() {
    m_publish.stop();
    // The feeds go first: each owns its connection, which the listener must not outlive.
    for (const std::unique_ptr<Browser>& b : std::exchange(m_browsers, {})) {
        b->socket->disconnect(this);
        b->socket->abort();
        delete b->socket;
    }
    m_http.reset();
    m_listener = nullptr;
    m_port = 0;
}

int DashboardServer::Connections() const { return m_listener ? m_listener->Open() : 0; }

qint64 DashboardServer::Backlog() const {
    qint64 sum = m_listener ? m_listener->Unsent() : 0;
    for (const std::unique_ptr<Browser>& b : m_browsers) sum += b->socket->bytesToWrite();
    return sum;
}

void DashboardServer::AcceptBrowsers() {
    while (std::unique_ptr<QWebSocket> socket = m_http->nextPendingWebSocketConnection()) {
        if (Browsers() >= m_options.maxBrowsers) {
            socket->abort();
            continue;
        }
        // Held now: the listener's deadline stops here, not at the request.
        m_listener->MarkFeed(*socket);
        socket->setMaxAllowedIncomingFrameSize(kMaxIncomingMessage);
        socket->setMaxAllowedIncomingMessageSize(kMaxIncomingMessage);
        QWebSocket* raw = socket.release();
        connect(raw, &QWebSocket::disconnected, this, [this, raw] {
            for (std::size_t i = 0; i < m_browsers.size(); ++i) {
                if (m_browsers[i]->socket == raw) {
                    Drop(*m_browsers[i]);
                    break;
                }
            }
        });
        if (m_browsers.empty()) {
            // Nobody needs the changes made while no browser was connected.
            m_encoder.SkipToNow();
            m_publish.start();
        }
        m_browsers.push_back(
            std::make_unique<Browser>(Browser{raw, web::BrowserPacing(m_options.pacing)}));
        raw->sendTextMessage(QString::fromUtf8(m_encoder.Full()));
    }
}

void DashboardServer::Drop(Browser& browser) {
    QWebSocket* socket = browser.socket;
    std::erase_if(m_browsers,
                  [&](const std::unique_ptr<Browser>& b) { return b.get() == &browser; });
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    if (m_browsers.empty()) m_publish.stop();
}

void DashboardServer::Publish() {
    const std::optional<std::string> delta = m_encoder.Delta();
    const QString deltaText = delta ? QString::fromUtf8(*delta) : QString();
    QString fullText;
    const auto now = web::BrowserPacing::Clock::now();
    std::vector<Browser*> dropped;
    for (const std::unique_ptr<Browser>& b : m_browsers) {
        const auto backlog =
            static_cast<std::size_t>(std::max<qint64>(0, b->socket->bytesToWrite()));
        switch (b->pacing.Next(backlog, delta.has_value(), now)) {
            case web::FeedStep::Nothing: break;
            case web::FeedStep::SendDelta: b->socket->sendTextMessage(deltaText); break;
            case web::FeedStep::SendFull:
                if (fullText.isEmpty()) fullText = QString::fromUtf8(m_encoder.Full());
                b->socket->sendTextMessage(fullText);
                break;
            case web::FeedStep::Drop: dropped.push_back(b.get()); break;
        }
    }
    for (Browser* b : dropped) Drop(*b);
}

std::pair<QByteArray, QByteArray> DashboardServer::Content(const web::Route& route) {
    switch (route.resource) {
        case web::Resource::Page: return {m_page, "text/html; charset=utf-8"};
        case web::Resource::Script: return {m_script, "text/javascript; charset=utf-8"};
        case web::Resource::Style: return {m_style, "text/css; charset=utf-8"};
        case web::Resource::Picture:
            return m_pictures->Encoded(route.picture, m_model[route.picture].picture);
        case web::Resource::Feed:
        case web::Resource::None: break;
    }
    return {};
}

bool QtDashboard::Serve(const panel::PanelModel& model, core::ColourNumber panelColour,
                        std::uint16_t port) {
    if (!m_server || m_model != &model || m_panelColour != panelColour) {
        Stop();
        m_server = std::make_unique<DashboardServer>(model, PaletteLook(panelColour), m_options);
        m_model = &model;
        m_panelColour = panelColour;
    }
    return m_server->Apply(true, port);
}

// The server goes with its browsers: nothing is left that reads the model.
void QtDashboard::Stop() {
    m_server.reset();
    m_model = nullptr;
}

web::ServeFailure QtDashboard::Failure() const {
    if (!m_server) return {};
    return {m_server->PortInUse(), m_server->ErrorText().toStdString()};
}

std::vector<std::string> QtDashboard::Addresses() const { return MachineIpv4Addresses(); }

}  // namespace kerbview::qt
