// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace kerbview::web::testing {

/// Runs the event loop until done() holds (true) or ms have passed (false); calls each(), when
/// given, after every turn.
inline bool Spin(const std::function<bool()>& done, int ms,
                 const std::function<void()>& each = {}) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (each) each();
    }
    return true;
}

}  // namespace kerbview::web::testing
