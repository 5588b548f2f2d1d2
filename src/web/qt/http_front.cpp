// SPDX-License-Identifier: MIT
#include "web/qt/http_front.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>

namespace kerbview::web::qt {
namespace {

// A browser reads each answer before it asks again; a client that keeps asking without reading
// is dropped before the answers pile up.
constexpr qint64 kMaxUnsentAnswers = 64 * 1024;

// The system's send buffer of a connection, fixed instead of growing to megabytes: what a browser
// does not read then waits in the program's buffer, where the feed's pacing sees it.
constexpr int kSystemSendBuffer = 64 * 1024;

bool IsWebSocketUpgrade(const QHttpServerRequest& request) {
    return request.value(QByteArrayLiteral("upgrade")).compare("websocket", Qt::CaseInsensitive) ==
           0;
}

}  // namespace

GuardedListener::GuardedListener(int maxConnections, qint64 maxRequestBytes,
                                 std::chrono::milliseconds requestDeadline, QObject* parent)
    : QTcpServer(parent),
      m_maxConnections(maxConnections),
      m_maxRequestBytes(maxRequestBytes),
      m_deadline(requestDeadline) {
    m_sweep.setInterval(std::max<int>(50, static_cast<int>(m_deadline.count() / 10)));
    connect(&m_sweep, &QTimer::timeout, this, &GuardedListener::Expire);
}

void GuardedListener::incomingConnection(qintptr descriptor) {
    Prune();
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (static_cast<int>(m_connections.size()) >= m_maxConnections) {
        socket->abort();
        delete socket;
        return;
    }
    socket->setReadBufferSize(m_maxRequestBytes);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSystemSendBuffer);
    Connection c{socket, {}, false};
    c.since.start();
    m_connections.push_back(std::move(c));
    if (!m_sweep.isActive()) m_sweep.start();
    addPendingConnection(socket);
}

void GuardedListener::MarkFeed(QTcpSocket* socket) {
    for (Connection& c : m_connections) {
        if (c.socket == socket) c.feed = true;
    }
}

int GuardedListener::Open() {
    Prune();
    return static_cast<int>(m_connections.size());
}

qint64 GuardedListener::Unsent() {
    Prune();
    qint64 sum = 0;
    for (const Connection& c : m_connections) {
        if (!c.feed) sum += c.socket->bytesToWrite();
    }
    return sum;
}

void GuardedListener::Prune() {
    std::erase_if(m_connections, [](const Connection& c) { return c.socket.isNull(); });
}

// The HTTP server keeps a connection open until the client closes it or sends what cannot be
// parsed; a request that never completes would hold it for ever, so the listener closes and
// deletes expired connections itself. Runs from its timer, never inside a request.
void GuardedListener::Expire() {
    for (Connection& c : m_connections) {
        if (!c.feed && c.socket && c.since.elapsed() > m_deadline.count()) {
            c.socket->abort();
            c.socket->deleteLater();
        }
    }
    Prune();
    if (m_connections.empty()) m_sweep.stop();
}

HttpFront::HttpFront(GuardedListener& listener, Handlers handlers, QObject* parent)
    : QAbstractHttpServer(parent), m_listener(listener), m_handlers(std::move(handlers)) {
    bind(&listener);
}

bool HttpFront::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const bool upgrade = IsWebSocketUpgrade(request);
    const Route route =
        RouteRequest(request.method() == QHttpServerRequest::Method::Get ? "GET" : "",
                     request.url().path().toStdString(), upgrade);
    if (route.resource == Resource::None) {
        return false;
    }
    if (route.resource == Resource::Feed) {
        // Returning true hands the socket to the WebSocket handshake.
        if (!m_handlers.feedOpen()) {
            m_feedFull = true;
            return false;
        }
        m_listener.MarkFeed(socket);
        return true;
    }
    if (socket->bytesToWrite() > kMaxUnsentAnswers) {
        QMetaObject::invokeMethod(socket, &QTcpSocket::abort, Qt::QueuedConnection);
        return true;
    }
    const auto [body, type] = m_handlers.content(route);
    if (body.isEmpty()) {
        return false;
    }
    makeResponder(request, socket)
        .write(body, {{"Content-Type", type},
                      {"Cache-Control", "no-cache"},
                      {"X-Content-Type-Options", "nosniff"},
                      {"Referrer-Policy", "no-referrer"},
                      {"Content-Security-Policy",
                       // Older browsers do not count the feed's ws: address as 'self'.
                       "default-src 'self'; connect-src 'self' ws: wss:; img-src 'self'; "
                       "frame-ancestors 'none'"}});
    return true;
}

// Called right after handleRequest returned false for the same request.
void HttpFront::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket)
        .write(m_feedFull ? QHttpServerResponder::StatusCode::ServiceUnavailable
                          : QHttpServerResponder::StatusCode::NotFound);
    m_feedFull = false;
}

}  // namespace kerbview::web::qt
