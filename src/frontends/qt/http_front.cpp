// SPDX-License-Identifier: MIT
#include "frontends/qt/http_front.h"

#include <QHostInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QWebSocket>
#include <string>
#include <utility>

namespace kerbview::qt {
namespace {

// A browser reads each answer before it asks again; a client that keeps asking without reading
// is dropped before the answers pile up.
constexpr qint64 kMaxUnsentAnswers = 64 * 1024;

// The system's send buffer of a connection, fixed instead of growing to megabytes: what a browser
// does not read then waits in the program's buffer, where the feed's pacing sees it.
constexpr int kSystemSendBuffer = 64 * 1024;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

void Append(QByteArray& list, const QByteArray& value) {
    if (!list.isEmpty()) list += ", ";
    list += value;
}

web::MachineNames ThisMachine(const QTcpSocket& socket) {
    web::MachineNames machine;
    machine.hostName = QHostInfo::localHostName().toStdString();
    QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    addresses.push_back(socket.localAddress());
    for (const QHostAddress& address : addresses) {
        machine.addresses.push_back(address.toString().toStdString());
        bool ipv4 = false;
        const quint32 mapped = address.toIPv4Address(&ipv4);  // ::ffff:a.b.c.d is a.b.c.d
        if (ipv4) machine.addresses.push_back(QHostAddress(mapped).toString().toStdString());
    }
    return machine;
}

// On the HTTP server's upgrade path the request is still inside the read transaction that the
// server rolls back to hand the connection, from its first byte, to the WebSocket handshake;
// on the ordinary path the server has taken the request already and hands nothing over.
// Returns the request's bytes on the upgrade path, nothing on the other.
std::optional<QByteArray> UnreadRequest(QTcpSocket& socket, qint64 max) {
    if (!socket.isTransactionStarted()) return std::nullopt;
    socket.rollbackTransaction();
    QByteArray raw = socket.peek(max);
    socket.startTransaction();
    return raw;
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
    // The HTTP server may have queued a read of the next pipelined request; once the connection
    // is gone that read would only warn of a closed device, once for every request left unread.
    const auto stopReading = [socket] {
        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    };
    connect(socket, &QTcpSocket::aboutToClose, socket, stopReading);
    connect(socket, &QTcpSocket::disconnected, socket, stopReading);
    socket->setReadBufferSize(m_maxRequestBytes);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSystemSendBuffer);
    Connection c{socket, {}, false};
    c.since.start();
    m_connections.push_back(std::move(c));
    if (!m_sweep.isActive()) m_sweep.start();
    addPendingConnection(socket);
}

// The WebSocket keeps the connection's peer: that names it among the open connections.
void GuardedListener::MarkFeed(const QWebSocket& feed) {
    for (Connection& c : m_connections) {
        if (c.socket && c.socket->peerPort() == feed.peerPort() &&
            c.socket->peerAddress() == feed.peerAddress()) {
            c.feed = true;
        }
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

void GuardedListener::Drop(QTcpSocket* socket) {
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    // Queued: the HTTP server may still be using the connection further up the stack.
    QMetaObject::invokeMethod(socket, &QTcpSocket::abort, Qt::QueuedConnection);
}

void GuardedListener::Prune() {
    std::erase_if(m_connections, [](const Connection& c) { return c.socket.isNull(); });
}

// The HTTP server keeps a connection open until the client closes it or sends what cannot be
// parsed, and the WebSocket server waits for a handshake to complete; a request that never
// completes would hold a connection for ever, so the listener closes expired connections itself
// and deletes those still its own. Runs from its timer, never inside a request.
void GuardedListener::Expire() {
    for (Connection& c : m_connections) {
        if (!c.feed && c.socket && c.since.elapsed() > m_deadline.count()) {
            Drop(c.socket);
            if (c.socket->parent() == this) c.socket->deleteLater();
        }
    }
    Prune();
    if (m_connections.empty()) m_sweep.stop();
}

HttpFront::HttpFront(GuardedListener& listener, Handlers handlers, QObject* parent)
    : QAbstractHttpServer(parent), m_handlers(std::move(handlers)) {
    bind(&listener);
}

bool HttpFront::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QList<QPair<QByteArray, QByteArray>> headers = request.headers();
    web::RequestHead head;
    QByteArray upgrade, connection;
    for (const auto& [name, value] : headers) {
        if (name.compare("host", Qt::CaseInsensitive) == 0) head.hosts.push_back(View(value));
        if (name.compare("upgrade", Qt::CaseInsensitive) == 0) Append(upgrade, value);
        if (name.compare("connection", Qt::CaseInsensitive) == 0) Append(connection, value);
        if (name.compare("origin", Qt::CaseInsensitive) == 0 && !head.origin) {
            head.origin = View(value);
        }
    }
    head.upgrade = View(upgrade);
    head.connection = View(connection);
    head.method = request.method() == QHttpServerRequest::Method::Get ? "GET" : "";
    const std::string path = request.url().path().toStdString();
    head.path = path;
    const std::optional<QByteArray> unread = UnreadRequest(*socket, socket->readBufferSize());
    head.crlfLines = unread && web::HeadLinesEndInCrLf(View(*unread));
    const web::Decision decision = web::DecideRequest(head, ThisMachine(*socket));

    switch (decision.answer) {
        case web::Answer::Serve: break;
        case web::Answer::BadRequest:
            m_refusal = QHttpServerResponder::StatusCode::BadRequest;
            return false;
        case web::Answer::Forbidden:
            m_refusal = QHttpServerResponder::StatusCode::Forbidden;
            return false;
        case web::Answer::NotFound: return false;
    }
    // Returning true on the upgrade path hands the connection to the WebSocket handshake; the
    // listener's deadline applies until the handshake gives a WebSocket (MarkFeed). Anything
    // else there, and a feed request the server will not hand over, is refused.
    if ((decision.route.resource == web::Resource::Feed) != unread.has_value()) {
        m_refusal = QHttpServerResponder::StatusCode::BadRequest;
        return false;
    }
    if (decision.route.resource == web::Resource::Feed) {
        if (!m_handlers.feedOpen()) {
            m_refusal = QHttpServerResponder::StatusCode::ServiceUnavailable;
            return false;
        }
        return true;
    }
    if (socket->bytesToWrite() > kMaxUnsentAnswers) {
        GuardedListener::Drop(socket);
        return true;
    }
    const auto [body, type] = m_handlers.content(decision.route);
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

// Called right after handleRequest returned false for the same request. A refused request
// closes its connection once answered, so a client that sends nothing else holds no connection.
void HttpFront::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    const auto status = std::exchange(m_refusal, QHttpServerResponder::StatusCode::NotFound);
    if (status == QHttpServerResponder::StatusCode::NotFound) {
        makeResponder(request, socket).write(status);
        return;
    }
    makeResponder(request, socket).write({{"Connection", "close"}}, status);
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->disconnectFromHost();
}

}  // namespace kerbview::qt
