// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <functional>

namespace kerbview::app::testing {

/// Runs the event loop until done() holds (true) or ms have passed (false).
inline bool Spin(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

/// Runs the event loop for about ms milliseconds.
inline void SpinFor(int ms) {
    Spin([] { return false; }, ms);
}

/// A TCP port on 127.0.0.1 that was free a moment ago.
inline quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

}  // namespace kerbview::app::testing
