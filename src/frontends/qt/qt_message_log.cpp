// SPDX-License-Identifier: MIT
#include "frontends/qt/qt_message_log.h"

#include <QThread>
#include <atomic>
#include <cstdio>

namespace kerbview::qt {
namespace {

// The toolkit calls its message handler without any context of ours, from any thread; this is
// where the handler finds the log. Set and cleared by the one QtMessageLog alive.
std::atomic<QtMessageLog*> g_route = nullptr;

}  // namespace

QtMessageLog::QtMessageLog(app::ErrorLog& log) : m_log(log) {
    connect(&m_flush, &QTimer::timeout, this, [this] { m_log.Flush(); });
    m_flush.start(1000);
    g_route = this;
    m_before = qInstallMessageHandler(&QtMessageLog::Handle);
}

QtMessageLog::~QtMessageLog() {
    qInstallMessageHandler(m_before);
    g_route = nullptr;
}

void QtMessageLog::Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    QtMessageLog* const route = g_route.load();
    // A fatal message ends the program in the handler before: it must be written at once. So is
    // a message raised while the log itself is writing.
    const bool here = route != nullptr && route->thread() == QThread::currentThread();
    if (route == nullptr || type == QtFatalMsg || (here && route->m_writing)) {
        if (route != nullptr && route->m_before != nullptr) {
            route->m_before(type, context, text);
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        }
        return;
    }
    const QString category = QString::fromLatin1(context.category ? context.category : "default");
    // "Kerbview: Qt: ..." for the toolkit's plain warnings, "Kerbview: qt.qpa.xcb: ..." for
    // those of a named category.
    const QString line = (category == QLatin1String("default") ? QStringLiteral("Qt") : category) +
                         QStringLiteral(": ") + text;
    if (here) {
        route->Log(line);
    } else {
        // The log belongs to the user-interface thread.
        QMetaObject::invokeMethod(
            route, [route, line] { route->Log(line); }, Qt::QueuedConnection);
    }
}

void QtMessageLog::Log(const QString& line) {
    m_writing = true;
    m_log.Notice(line.toStdString());
    m_writing = false;
}

}  // namespace kerbview::qt
