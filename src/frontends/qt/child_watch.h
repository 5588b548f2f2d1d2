// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/child_process.h"

namespace kerbview::qt {

/// Watches a launched command from the event loop and calls close once when it ends, and
/// whenever a signal asks the program to end (TERM, INT or HUP), so that the window closes.
/// The command's status is the waiter's, above this process (see StartChild).
class ChildWatch : public QObject {
public:
    /// child may be null (nothing to watch); it must outlive this object.
    ChildWatch(app::ChildProcess* child, std::function<void()> close);

private:
    void CheckEnded();

    app::ChildProcess* m_child;
    std::function<void()> m_close;
    bool m_ended = false;
    std::unique_ptr<QSocketNotifier> m_endNotifier;
    std::unique_ptr<QSocketNotifier> m_closeNotifier;
    QTimer m_poll;
};

}  // namespace kerbview::qt
