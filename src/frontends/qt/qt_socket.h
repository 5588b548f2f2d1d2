// SPDX-License-Identifier: MIT
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "net/peer_stall.h"
#include "net/socket.h"

class QTcpServer;
class QTcpSocket;

namespace kerbview::qt {

/// A Socket over QTcpServer and QTcpSocket, living on the UI thread so that its events arrive
/// there. Listening uses the QTcpServer; a connection request hands the pending QTcpSocket to the
/// event handler, whose accept() makes it this object's connection (the handler closes the
/// listener first, so one client is served at a time). connect() uses a QTcpSocket of its own
/// and ends in the Other state when no answer comes within net::kConnectTimeoutMs.
class QtSocket : public QObject, public net::Socket {
    Q_OBJECT
public:
    /// listenAddress: where listen() listens (all local addresses unless told otherwise).
    explicit QtSocket(QHostAddress listenAddress = QHostAddress::Any, QObject* parent = nullptr);
    ~QtSocket() override;

    /// Most bytes Qt keeps unread; further bytes wait in the operating system.
    static constexpr qint64 kReadBufferBytes = 65536;

    net::SocketState state() const override;
    void close() override;
    void listen(std::int32_t port) override;
    void accept() override;
    void connect(const std::string& host, std::int32_t port) override;
    void send(std::string_view bytes) override;
    std::string readAll() override;
    void setEvents(net::SocketEvents events) override;

    /// The port the listener is bound to (useful when listening on port 0); 0 when not listening.
    std::uint16_t ListeningPort() const;

private:
    void CheckStall();
    void Drop(const std::string& reason);
    void OnNewConnection();
    void AdoptConnection(QTcpSocket* socket);
    void DropConnection();
    void DropPending();

    QHostAddress m_listenAddress;
    QTcpServer* m_server = nullptr;
    QPointer<QTcpSocket> m_connection;
    QPointer<QTcpSocket> m_pending;
    QTimer m_connectTimer;
    // Every look interval the connection's figures go to the rule that tells a peer taking no
    // data (one that cannot hold the server's only client slot then).
    QTimer m_stallTimer;
    net::PeerStall m_stall;
    std::uint64_t m_handedOver = 0;  // bytes of the connection handed to the system
    bool m_failed = false;           // the connection ended without close(): state Other
    net::SocketEvents m_events;
};

}  // namespace kerbview::qt
