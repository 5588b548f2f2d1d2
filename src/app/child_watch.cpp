// SPDX-License-Identifier: MIT
#include "app/child_watch.h"

#include <cstdio>

namespace kerbview::app {

ChildWatch::ChildWatch(ChildProcess* child, std::function<void()> ended)
    : m_child(child), m_ended(std::move(ended)) {
    if (m_child == nullptr) return;
    if (const int descriptor = m_child->EndDescriptor(); descriptor >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &ChildWatch::Check);
    } else {
        connect(&m_poll, &QTimer::timeout, this, &ChildWatch::Check);
        m_poll.start(250);
    }
}

void ChildWatch::Check() {
    if (m_status) return;
    m_status = m_child->Finished();
    if (!m_status) return;
    if (m_notifier) m_notifier->setEnabled(false);
    m_poll.stop();
    m_ended();
}

int ChildWatch::ExitStatus(int loopStatus) {
    if (m_child == nullptr) return loopStatus;
    if (!m_status) m_status = m_child->Finished();
    if (!m_status) {
        std::fputs("kerbview: window closed; waiting for the launched command to end\n", stderr);
        m_status = m_child->WaitFinished();
    }
    return *m_status;
}

}  // namespace kerbview::app
