// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "app/child_process.h"

namespace kerbview::app {

/// Watches a launched command from the event loop and calls ended once when it ends, so the
/// program can close its window and end with it.
class ChildWatch : public QObject {
public:
    /// child may be null (nothing to watch); it must outlive this object.
    ChildWatch(ChildProcess* child, std::function<void()> ended);

    /// The status the program ends with once the event loop has returned: without a child,
    /// loopStatus; otherwise the command's status, waiting for the command first when it still
    /// runs (the window was closed before it ended).
    int ExitStatus(int loopStatus);

private:
    void Check();

    ChildProcess* m_child;
    std::function<void()> m_ended;
    std::optional<int> m_status;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_poll;
};

}  // namespace kerbview::app
