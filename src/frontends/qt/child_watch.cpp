// SPDX-License-Identifier: MIT
#include "frontends/qt/child_watch.h"

namespace kerbview::qt {

ChildWatch::ChildWatch(app::ChildProcess* child, std::function<void()> close)
    : m_child(child), m_close(std::move(close)) {
    if (m_child == nullptr) return;
    if (const int descriptor = m_child->EndDescriptor(); descriptor >= 0) {
        m_endNotifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(m_endNotifier.get(), &QSocketNotifier::activated, this, &ChildWatch::CheckEnded);
    } else {
        connect(&m_poll, &QTimer::timeout, this, &ChildWatch::CheckEnded);
        m_poll.start(250);
    }
    if (const int descriptor = m_child->CloseRequestDescriptor(); descriptor >= 0) {
        m_closeNotifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(m_closeNotifier.get(), &QSocketNotifier::activated, this, [this] {
            if (m_child->TakeCloseRequest()) m_close();
        });
    }
}

void ChildWatch::CheckEnded() {
    if (m_ended || !m_child->Ended()) return;
    m_ended = true;
    // The pidfd stays readable; the command's status is left for the waiter.
    if (m_endNotifier) m_endNotifier->setEnabled(false);
    m_poll.stop();
    m_close();
}

}  // namespace kerbview::qt
