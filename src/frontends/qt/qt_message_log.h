// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>
#include <QtGlobal>

#include "app/error_log.h"

namespace kerbview::qt {

/// Sends the toolkit's own messages (its warnings about sockets, the HTTP server, widgets) to the
/// program's error log, so they follow the log's rate rule instead of flooding standard error,
/// and flushes the log's held lines once a second. One at a time: it replaces the toolkit's
/// message handler while it lives and puts the one before back when destroyed.
class QtMessageLog : public QObject {
public:
    /// log must outlive this object.
    explicit QtMessageLog(app::ErrorLog& log);
    ~QtMessageLog() override;
    QtMessageLog(const QtMessageLog&) = delete;
    QtMessageLog& operator=(const QtMessageLog&) = delete;

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    void Log(const QString& line);

    app::ErrorLog& m_log;
    QTimer m_flush;
    QtMessageHandler m_before = nullptr;
    bool m_writing = false;
};

}  // namespace kerbview::qt
