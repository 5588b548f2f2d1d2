// SPDX-License-Identifier: MIT
#include "frontends/qt/qt_socket.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>

#include "net/tcp_keepalive.h"

namespace kerbview::qt {
namespace {

net::SocketError::Kind KindOf(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::SocketAccessError: return net::SocketError::Kind::PermissionDenied;
        case QAbstractSocket::AddressInUseError: return net::SocketError::Kind::AddressInUse;
        default: return net::SocketError::Kind::Other;
    }
}

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

QtSocket::QtSocket(QHostAddress listenAddress, QObject* parent)
    : QObject(parent), m_listenAddress(std::move(listenAddress)), m_server(new QTcpServer(this)) {
    QObject::connect(m_server, &QTcpServer::newConnection, this, &QtSocket::OnNewConnection);
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(net::kConnectTimeoutMs);
    QObject::connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (m_connection && m_connection->state() != QAbstractSocket::ConnectedState) {
            m_connection->abort();
            m_failed = true;
        }
    });
    m_stallTimer.setInterval(net::PeerStall::kLookIntervalMs);
    QObject::connect(&m_stallTimer, &QTimer::timeout, this, [this] { CheckStall(); });
}

QtSocket::~QtSocket() {
    DropPending();
    DropConnection();
}

net::SocketState QtSocket::state() const {
    if (m_server->isListening()) return net::SocketState::Listening;
    if (!m_connection) return m_failed ? net::SocketState::Other : net::SocketState::Closed;
    switch (m_connection->state()) {
        case QAbstractSocket::HostLookupState:
        case QAbstractSocket::ConnectingState: return net::SocketState::Connecting;
        case QAbstractSocket::ConnectedState: return net::SocketState::Connected;
        case QAbstractSocket::UnconnectedState:
            return m_failed ? net::SocketState::Other : net::SocketState::Closed;
        default: return net::SocketState::Other;
    }
}

void QtSocket::close() {
    m_server->close();
    DropConnection();
    m_failed = false;
}

void QtSocket::listen(std::int32_t port) {
    if (port < 0 || port > 65535) throw net::SocketError("port outside 0..65535");
    close();
    DropPending();
    if (!m_server->listen(m_listenAddress, static_cast<quint16>(port))) {
        throw net::SocketError(m_server->errorString().toStdString(),
                               KindOf(m_server->serverError()));
    }
}

void QtSocket::OnNewConnection() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        // The pending connection belongs to this object, not to the listener, so that the
        // handler can close the listener before it accepts.
        socket->setParent(this);
        DropPending();
        m_pending = socket;
        if (m_events.connectionRequest) m_events.connectionRequest();
        DropPending();  // not accepted: refused
    }
}

void QtSocket::accept() {
    if (!m_pending) throw net::SocketError("no connection request to accept");
    QTcpSocket* socket = m_pending;
    m_pending = nullptr;
    DropConnection();
    m_failed = false;
    AdoptConnection(socket);
}

void QtSocket::AdoptConnection(QTcpSocket* socket) {
    m_connection = socket;
    socket->setReadBufferSize(kReadBufferBytes);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, net::kSendBufferBytes);
    // A peer that vanished without closing is noticed within seconds, not hours.
    net::EnableKeepAlive(socket->socketDescriptor());
    m_handedOver = 0;
    m_stall.Start(NowMs());
    m_stallTimer.start();
    QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket == m_connection && m_events.dataArrival) m_events.dataArrival();
    });
    QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this, socket](qint64 bytes) {
        if (socket != m_connection) return;
        m_handedOver += static_cast<std::uint64_t>(bytes);
        if (socket->bytesToWrite() == 0 && m_events.sendComplete) m_events.sendComplete();
    });
    QObject::connect(socket, &QTcpSocket::connected, this, [this, socket] {
        if (socket != m_connection) return;
        m_connectTimer.stop();
        net::EnableKeepAlive(socket->socketDescriptor());
    });
    // A connection that ends without close() (peer gone, refused, reset) is in the Other state
    // until the upkeep closes it.
    QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket == m_connection) m_failed = true;
    });
    QObject::connect(socket, &QTcpSocket::errorOccurred, this,
                     [this, socket](QAbstractSocket::SocketError error) {
                         if (socket != m_connection) return;
                         m_connectTimer.stop();
                         m_failed = true;
                         // A peer that closes is normal; a connection that times out is not.
                         if (error == QAbstractSocket::SocketTimeoutError ||
                             error == QAbstractSocket::NetworkError) {
                             if (m_events.connectionDropped) {
                                 m_events.connectionDropped(socket->errorString().toStdString());
                             }
                         }
                     });
}

void QtSocket::CheckStall() {
    if (!m_connection || m_connection->state() != QAbstractSocket::ConnectedState) return;
    const net::TransferSample sample{
        NowMs(), static_cast<std::uint64_t>(m_connection->bytesToWrite()), m_handedOver,
        net::PeerFigures(m_connection->socketDescriptor())};
    if (m_stall.Stalled(sample)) {
        Drop(m_stall.DropReason());
    }
}

void QtSocket::Drop(const std::string& reason) {
    DropConnection();
    m_failed = true;
    if (m_events.connectionDropped) m_events.connectionDropped(reason);
}

void QtSocket::connect(const std::string& host, std::int32_t port) {
    if (port < 0 || port > 65535) throw net::SocketError("port outside 0..65535");
    close();
    DropPending();
    auto* socket = new QTcpSocket(this);
    AdoptConnection(socket);
    m_connectTimer.start();
    socket->connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

void QtSocket::send(std::string_view bytes) {
    if (!m_connection || m_connection->state() != QAbstractSocket::ConnectedState) {
        throw net::SocketError("send while not connected");
    }
    const qint64 written = m_connection->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) throw net::SocketError("send failed");
}

std::string QtSocket::readAll() {
    if (!m_connection) return {};
    const QByteArray data = m_connection->readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void QtSocket::setEvents(net::SocketEvents events) { m_events = std::move(events); }

std::uint16_t QtSocket::ListeningPort() const {
    return m_server->isListening() ? m_server->serverPort() : 0;
}

void QtSocket::DropConnection() {
    m_connectTimer.stop();
    m_stallTimer.stop();
    if (!m_connection) return;
    QTcpSocket* socket = m_connection;
    m_connection = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void QtSocket::DropPending() {
    if (!m_pending) return;
    QTcpSocket* socket = m_pending;
    m_pending = nullptr;
    socket->abort();
    socket->deleteLater();
}

}  // namespace kerbview::qt
