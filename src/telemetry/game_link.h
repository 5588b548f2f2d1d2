// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/error_report.h"
#include "telemetry/memory_readers.h"
#include "telemetry/platform.h"

namespace kerbview::telemetry {

/// What the link has found out about the simulator.
enum class LinkStatus {
    Running,     ///< The simulator's process has been opened.
    NotRunning,  ///< The simulator's window is absent after the grace.
};

/// What one attach step found out, besides whether the simulator counts as running.
struct LinkStep {
    /// The simulator counts as running in this tick (GameActive). It is read only while the
    /// link holds its process: a process that could not be opened counts as running too.
    bool running = false;
    /// The state the link reached in this step, if it reached one: Running when it opened the
    /// process; NotRunning when the window is gone after the grace, or when a held process was
    /// let go. Empty while nothing changed (the delay, the grace, a process held, an open that
    /// fails again).
    std::optional<LinkStatus> status;
    /// The simulator's process could not be opened: what is missing (a permission, in the
    /// platform's terms) and the system's error text. Given once per appearance of the window;
    /// later ticks retry the open without it.
    std::optional<std::string> openFailure;
};

/// The simulator process link: finds the simulator's window on every scan tick, debounces its
/// appearance and disappearance in ticks, holds the simulator's process open while it runs,
/// and provides the memory readers.
class GameLink {
public:
    /// Whole title of the simulator's window (letter case is ignored by the search).
    static constexpr std::string_view kWindowTitle = "RACE 07";
    static constexpr double kAppearanceDelayMs = 3500.0;
    static constexpr double kDisappearanceGraceMs = 1500.0;

    /// The platform services are not owned and must outlive the link.
    GameLink(WindowFinder& windows, ProcessMemory& memory, core::ErrorReporter& reporter);
    ~GameLink();
    GameLink(const GameLink&) = delete;
    GameLink& operator=(const GameLink&) = delete;

    /// Scan interval in milliseconds from which the tick counts are derived (ScanTime). A negative
    /// interval gives no delay and no grace; 0 is an error of RACE07_Actiu.
    void SetScanTime(std::int16_t scanTime) { m_scanTime = scanTime; }

    /// One attach step per scan tick: whether the simulator counts as running in this tick (it
    /// is read only while HoldsProcessHandle()), stored in GameActive, and what changed. An
    /// error inside (a ScanTime of 0 reaching the tick limits) is reported as "RACE07_Actiu" and
    /// gives a step that is not running. A window found while a process is held that belongs to
    /// another process (the simulator was restarted within the grace) releases the held one: the
    /// new window goes through the appearance delay like any other.
    ///
    /// A held process that has ended is let go at once, grace or not: the step is NotRunning
    /// and not running, and a window it left behind is passed over, so that no open is tried on
    /// it. A window whose process is found gone when it is opened is passed over the same way,
    /// without an open failure.
    LinkStep RACE07_Actiu();

    /// The held process gave a scan in which every read failed: it is not the simulator (or has
    /// just ended). It is released and its window passed over, so that the search moves on to
    /// another window with the title; GameActive false, the link NotRunning. Returns the id of
    /// the process passed over; empty (and nothing done) while no process is held.
    std::optional<std::uint32_t> PassOverProcess();

    /// Releases a held process, then GameActive false, ProcessClosed true, AttachCounter 0.
    /// The next appearance goes through the full delay and may report an open failure again.
    void ResetGameLink();

    /// Releases the process if one is held (program end). Leaves the flags consistent.
    void CloseProcessHandle();

    /// Readers over the held process; while none is held every read gives its zero result.
    const MemoryReaders& Readers() const { return m_readers; }

    WindowId GameWindow() const { return m_GameWindow; }
    std::uint32_t GameProcessId() const { return m_GameProcessId; }
    bool HoldsProcessHandle() const { return m_ProcessHandle != nullptr; }
    bool GameActive() const { return m_GameActive; }
    bool ProcessClosed() const { return m_ProcessClosed; }
    std::int16_t AttachCounter() const { return m_AttachCounter; }

private:
    bool Attach(LinkStep& step);
    double TickLimit(double milliseconds) const;
    // False when the window's process turned out to be gone.
    bool OpenProcess(LinkStep& step);
    // Passes the window over and leaves the link not running, with nothing held.
    void LetGo(WindowId window, LinkStep& step);

    WindowFinder& m_windows;
    ProcessMemory& m_memory;
    core::ErrorReporter& m_reporter;
    MemoryReaders m_readers;

    std::int16_t m_scanTime = 500;
    WindowId m_GameWindow = 0;
    std::uint32_t m_GameProcessId = 0;
    std::unique_ptr<ProcessReader> m_ProcessHandle;
    bool m_GameActive = false;
    bool m_ProcessClosed = true;
    std::int16_t m_AttachCounter = 0;
    // The window whose process is held open; 0 when none is held.
    WindowId m_heldWindow = 0;
    // An open failure has been reported for the current appearance of the window.
    bool m_openFailureReported = false;
};

}  // namespace kerbview::telemetry
