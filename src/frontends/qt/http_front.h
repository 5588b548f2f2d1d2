// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <functional>
#include <vector>

#include "web/request_policy.h"

class QWebSocket;

namespace kerbview::qt {

/// The listening socket of the dashboard. It bounds what a connection can cost before the HTTP
/// server sees it: at most maxConnections open at once (more are refused at once), at most
/// maxRequestBytes read ahead per connection (a longer request stalls and is dropped at its
/// deadline), and every connection that is not yet a browser's feed (a WebSocket handshake under
/// way included) is closed requestDeadline after it was accepted, whatever the HTTP and
/// WebSocket servers did with it.
class GuardedListener : public QTcpServer {
public:
    GuardedListener(int maxConnections, qint64 maxRequestBytes,
                    std::chrono::milliseconds requestDeadline, QObject* parent = nullptr);

    /// The connection under this WebSocket now carries the feed: its deadline no longer applies.
    void MarkFeed(const QWebSocket& feed);
    /// Open connections, feeds included.
    int Open();
    /// Bytes answered on connections that are not feeds and not yet sent.
    qint64 Unsent();

    /// Closes a connection at once. Nothing reads it afterwards, not even a read the HTTP server
    /// had already queued (which would warn of a closed device for every request left unread).
    static void Drop(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection {
        QPointer<QTcpSocket> socket;
        QElapsedTimer since;
        bool feed = false;
    };
    void Prune();
    void Expire();

    int m_maxConnections;
    qint64 m_maxRequestBytes;
    std::chrono::milliseconds m_deadline;
    std::vector<Connection> m_connections;
    QTimer m_sweep;
};

/// Serves the page, its script, style and pictures and hands a "/feed" upgrade on to the
/// WebSocket feed, by the rules of DecideRequest; answers what it refuses with its status and
/// closes the connection, and what it does not serve "not found". Reads nothing but the request
/// line and headers it needs; a request body is never used.
class HttpFront : public QAbstractHttpServer {
public:
    struct Handlers {
        /// True when one more browser may join the feed.
        std::function<bool()> feedOpen;
        /// Body and MIME type of a page resource or picture; an empty body answers "not found".
        std::function<std::pair<QByteArray, QByteArray>(const web::Route&)> content;
    };
    HttpFront(GuardedListener& listener, Handlers handlers, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    Handlers m_handlers;
    // The answer to the request just refused; missingHandler writes it.
    QHttpServerResponder::StatusCode m_refusal = QHttpServerResponder::StatusCode::NotFound;
};

}  // namespace kerbview::qt
