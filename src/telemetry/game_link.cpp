// SPDX-License-Identifier: MIT
#include "telemetry/game_link.h"

#include <stdexcept>

namespace kerbview::telemetry {

GameLink::GameLink(WindowFinder& windows, ProcessMemory& memory, core::ErrorReporter& reporter)
    : m_windows(windows), m_memory(memory), m_reporter(reporter), m_readers(reporter) {}

GameLink::~GameLink() { CloseProcessHandle(); }

LinkStep GameLink::RACE07_Actiu() {
    LinkStep step;
    try {
        step.running = Attach(step);
    } catch (...) {
        m_reporter.ReportCurrentException("RACE07_Actiu");
        step.running = false;
    }
    m_GameActive = step.running;
    return step;
}

// Doubles divide by zero without trapping; a ScanTime of 0 is treated as the run-time error it
// is, before any state changes, so the tick goes on as for a simulator that is not running.
double GameLink::TickLimit(double milliseconds) const {
    if (m_scanTime == 0) {
        throw std::domain_error("ScanTime is 0");
    }
    return milliseconds / static_cast<double>(m_scanTime);
}

bool GameLink::Attach(LinkStep& step) {
    // Nothing can be read from a process that has ended: the grace is for a window that
    // vanishes for a moment, not for a simulator that is gone.
    if (!m_ProcessClosed && m_ProcessHandle->Ended()) {
        LetGo(m_heldWindow, step);
    }
    m_GameWindow = m_windows.FindWindow(kWindowTitle);

    if (m_GameWindow == 0) {
        const double graceLimit = TickLimit(kDisappearanceGraceMs);
        if (m_GameActive && m_AttachCounter < graceLimit) {
            ++m_AttachCounter;
            return true;
        }
        m_AttachCounter = 0;
        m_openFailureReported = false;
        step.status = LinkStatus::NotRunning;
        CloseProcessHandle();
        return false;
    }

    // A window other than the one whose process is held: the same process may have made a new
    // window, but a restarted simulator is a new process, and the held one is dead.
    if (!m_ProcessClosed && m_GameWindow != m_heldWindow) {
        if (m_windows.WindowProcessId(m_GameWindow) != m_GameProcessId) {
            ResetGameLink();
            step.status = LinkStatus::NotRunning;
        } else {
            m_heldWindow = m_GameWindow;
        }
    }

    const double delayLimit = TickLimit(kAppearanceDelayMs);
    if (!m_GameActive && m_AttachCounter < delayLimit) {
        ++m_AttachCounter;
        return false;
    }
    m_AttachCounter = 0;
    if (m_ProcessClosed) {
        return OpenProcess(step);
    }
    return true;
}

bool GameLink::OpenProcess(LinkStep& step) {
    m_GameProcessId = m_windows.WindowProcessId(m_GameWindow);
    OpenResult opened = m_memory.Open(m_GameProcessId);
    if (opened.reader ? opened.reader->Ended() : opened.gone) {
        LetGo(m_GameWindow, step);
        return false;
    }
    if (!opened.reader) {
        // Reported once per appearance: a refused open repeats every tick.
        if (!m_openFailureReported) {
            m_openFailureReported = true;
            step.openFailure = std::move(opened.detail);
        }
        return true;
    }
    m_ProcessHandle = std::move(opened.reader);
    m_readers.SetProcess(m_ProcessHandle.get());
    m_ProcessClosed = false;
    m_heldWindow = m_GameWindow;
    step.status = LinkStatus::Running;
    return true;
}

void GameLink::LetGo(WindowId window, LinkStep& step) {
    m_windows.PassOver(window);
    ResetGameLink();
    step.status = LinkStatus::NotRunning;
}

std::optional<std::uint32_t> GameLink::PassOverProcess() {
    if (m_ProcessClosed) {
        return std::nullopt;
    }
    const std::uint32_t processId = m_GameProcessId;
    LinkStep step;
    LetGo(m_heldWindow, step);
    return processId;
}

void GameLink::CloseProcessHandle() {
    m_readers.SetProcess(nullptr);
    m_ProcessHandle.reset();
    m_ProcessClosed = true;
    m_heldWindow = 0;
}

void GameLink::ResetGameLink() {
    CloseProcessHandle();
    m_GameActive = false;
    m_AttachCounter = 0;
    m_openFailureReported = false;
}

}  // namespace kerbview::telemetry
