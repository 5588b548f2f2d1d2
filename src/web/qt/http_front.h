// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <functional>
#include <vector>

#include "web/request_policy.h"

namespace kerbview::web::qt {

/// The listening socket of the dashboard. It bounds what a connection can cost before the HTTP
/// server sees it: at most maxConnections open at once (more are refused at once), at most
/// maxRequestBytes read ahead per connection (a longer request stalls and is dropped at its
/// deadline), and every connection that has not become a feed is closed requestDeadline after
/// it was accepted, whatever the HTTP server did with it.
class GuardedListener : public QTcpServer {
public:
    GuardedListener(int maxConnections, qint64 maxRequestBytes,
                    std::chrono::milliseconds requestDeadline, QObject* parent = nullptr);

    /// The connection now carries the feed: its deadline no longer applies.
    void MarkFeed(QTcpSocket* socket);
    /// Open connections, feeds included.
    int Open();
    /// Bytes answered on connections that are not feeds and not yet sent.
    qint64 Unsent();

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
/// WebSocket feed; answers everything else "not found". Reads nothing but the request line
/// and headers it needs; a request body is never used.
class HttpFront : public QAbstractHttpServer {
public:
    struct Handlers {
        /// True when one more browser may join the feed.
        std::function<bool()> feedOpen;
        /// Body and MIME type of a page resource or picture; an empty body answers "not found".
        std::function<std::pair<QByteArray, QByteArray>(const Route&)> content;
    };
    HttpFront(GuardedListener& listener, Handlers handlers, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    GuardedListener& m_listener;
    Handlers m_handlers;
    bool m_feedFull = false;  // the request just refused was a feed upgrade over the limit
};

}  // namespace kerbview::web::qt
