// SPDX-License-Identifier: MIT
// The scan cycle, top to bottom: Timer1's tick and Temps, the acquisition and presentation
// Lectures, the sends, and the socket events that feed a client's panel between ticks.
#include <algorithm>
#include <utility>

#include "app/program.h"
#include "core/number_rules.h"
#include "core/text_encoding.h"

namespace kerbview::app {
namespace {

// Sets a flag for the life of a scope and gives it back its value on every way out of it.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag), m_before(std::exchange(flag, true)) {}
    ~FlagGuard() { m_flag = m_before; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

// Stops Timer1 of a main window (when there is one) for the life of a scope, and runs it again
// on every way out of it.
class TimerPause {
public:
    explicit TimerPause(MainWindow* window) : m_window(window) {
        if (m_window != nullptr) m_window->SetTimerEnabled(false);
    }
    ~TimerPause() {
        if (m_window != nullptr) m_window->SetTimerEnabled(true);
    }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    MainWindow* m_window;
};

}  // namespace

// A tick started inside a nested event loop of another one (a front end that waits for the
// user there) would run Temps inside Temps; it is dropped instead, and the next regular tick
// scans as usual.
void Program::Tick() {
    if (m_frontEnd == nullptr) return;  // Timer1 is the main window's
    if (m_inTick) {
        ++m_droppedTicks;
        return;
    }
    FlagGuard inTick(m_inTick);
    if (m_carSkins.NeedsUpdate(CurrentCar())) {
        const TimerPause pause(m_frontEnd);
        try {
            CarSkinUpdate();
        } catch (...) {
            // The car-skin update reports nothing: a picture that fails is simply not shown.
        }
    }
    Temps();
    // Values that merely do not change (a paused game) come in fresh snapshots and are not old;
    // a gap of two and a half scans (at least 2 s) is, while a lost packet or a late tick is not.
    const std::int64_t limit = std::max<std::int64_t>(2000, m_settings.ScanTime * 5 / 2);
    m_panel.SetStale(panel::PresentsSnapshot(m_settings) &&
                     m_clock.NowMs() - m_lastSnapshotMs >= limit);
    UpdateLaps();
}

void Program::Temps() {
    try {
        SavePosition(m_frontEnd->MainWindowLeft(), m_settings.PosFormX, m_lastWrittenX, "PosFormX");
        SavePosition(m_frontEnd->MainWindowTop(), m_settings.PosFormY, m_lastWrittenY, "PosFormY");

        const net::Upkeep upkeep = m_roles.SocketUpkeep();
        if (upkeep.status) {
            m_presenter.ShowConnection(*upkeep.status);
            // A client not connected at this tick connects anew: the first readings of the new
            // connection come from a lap already under way.
            if (m_settings.TipusConexio == core::Role::Client &&
                *upkeep.status != net::ConnectionStatus::Connected) {
                SnapshotsRestart();
                StintEnds();
            }
        }
        if (upkeep.listenFailure) {
            // Said once for each port and kind of failure; the tick fails on every try.
            if (upkeep.newListenFailure) {
                const std::string text = Presenter::ListenFailureText(*upkeep.listenFailure);
                m_errorLog.Notice(text);
                m_frontEnd->ShowMessage(core::Utf8ToCp1252(text), "");
            }
            m_errors.ReportError("Temps", upkeep.listenFailure->detail);
            return;
        }
        // A replay takes the simulator's place.
        if (m_replay) {
            ReplayLectures(upkeep.readsSimulator);
            return;
        }
        if (!upkeep.readsSimulator) return;

        const telemetry::LinkStep step = m_gameLink.RACE07_Actiu();
        ShowLinkStep(step);
        // A simulator whose process could not be opened has nothing to read: no snapshot is
        // taken, presented or sent, and a server's client gets the status instead.
        if (step.running && m_gameLink.HoldsProcessHandle()) {
            if (m_settings.DebugEnabled) {
                m_scanStartTick = static_cast<std::uint32_t>(m_clock.NowMs());
            }
            Lectures();
            return;
        }
        if (m_roles.MaySend()) SendStatusOnly();
    } catch (...) {
        m_errors.ReportCurrentException("Temps");
    }
}

// The stored position is a whole number of twips while the window reports a single; a window
// at a fractional position would differ from its rounded value on every tick, so a position
// equal to the one last written (and still held, rounded) counts as unchanged too.
void Program::SavePosition(float current, std::int32_t& stored, std::optional<float>& lastWritten,
                           std::string_view key) {
    if (static_cast<double>(current) == static_cast<double>(stored)) return;
    if (lastWritten && *lastWritten == current && stored == core::ToInt32(current)) return;
    Write("Temps", key, core::SingleText(current, '.'));
    stored = core::ToInt32(current);
    lastWritten = current;
}

void Program::ShowLinkStep(const telemetry::LinkStep& step) {
    if (step.status) {
        m_presenter.ShowLinkStatus(*step.status);
        if (*step.status == telemetry::LinkStatus::Running) SnapshotsRestart();
        // Attached anew or gone: either way the simulator of the stint under way is not there.
        StintEnds();
    }
    if (step.openFailure) {
        m_errorLog.Notice(Presenter::OpenFailureNotice(*step.openFailure));
        m_frontEnd->ShowMessage(std::string(Presenter::kOpenFailureMessage),
                                core::Utf8ToCp1252(*step.openFailure));
    }
}

void Program::Lectures() {
    try {
        const telemetry::AcquireResult acquired = m_acquisition.Acquire(m_snapshot);
        // Not the simulator's memory: its zeros are no telemetry, and its window must not keep
        // the simulator's own from being found.
        if (acquired == telemetry::AcquireResult::NothingRead) {
            if (const std::optional<std::uint32_t> processId = m_gameLink.PassOverProcess()) {
                m_errorLog.Notice(Presenter::NotTheSimulatorNotice(*processId));
                m_presenter.ShowLinkStatus(telemetry::LinkStatus::NotRunning);
                StintEnds();
            }
            return;
        }
        if (acquired == telemetry::AcquireResult::EndTick) return;
        TakeSnapshot(m_snapshot, m_roles.MaySend(), m_clock.NowMs());
    } catch (...) {
        m_errors.ReportCurrentException("Lectures");
    }
}

void Program::TakeSnapshot(const telemetry::Snapshot& snapshot, bool send, std::int64_t lapsMs) {
    SnapshotTaken(snapshot, lapsMs);
    if (send) {
        m_roles.SendTelemetry(snapshot, m_presenter.ServerStatus());
        ++m_packetsSent;
    }
    if (!panel::PresentsSnapshot(m_settings)) {
        // The lap under way when the server shows its readings again is not watched whole by the
        // panel; the lap history took this snapshot and needs no restart.
        m_snapshotsRestart = true;
        return;
    }
    Present(snapshot);
}

const std::string& Program::CurrentCar() const {
    return m_replay ? m_replay->Car() : m_acquisition.CurrentCar();
}

void Program::SendStatusOnly() {
    m_roles.SendStatusOnly(m_presenter.ServerStatus());
    ++m_packetsSent;
}

void Program::Present(const telemetry::Snapshot& snapshot) {
    if (std::exchange(m_snapshotsRestart, false)) m_presentation.Lap().Restart();
    const panel::PresentContext context{
        m_settings,
        m_texts,
        m_units,
        m_acquisition.DriverSelectMode(),
        m_decimalSeparator,
        m_scanStartTick,
        [this] { return static_cast<std::uint32_t>(m_clock.NowMs()); }};
    m_presentation.Present(snapshot, context);
}

void Program::SnapshotTaken(const telemetry::Snapshot& snapshot, std::int64_t lapsMs) {
    m_lastSnapshotMs = m_clock.NowMs();
    m_panel.SetStale(false);
    if (!m_replay && std::exchange(m_lapHistoryFromReplay, false)) {
        m_lapHistory = laps::LapHistory();
    }
    m_lapHistory.Take(snapshot, lapsMs);
    if (std::optional<RecordingFailure> failure = m_recorder.Record(
            snapshot, core::RoleNumber(m_settings.TipusConexio), m_settings.ScanTime)) {
        RecordingStopped(*failure);
    }
}

// ---- Socket events ----------------------------------------------------------------------

void Program::TCPServer_ConnectionDropped(const std::string& reason) {
    m_errorLog.Notice(Presenter::ClientDroppedNotice(reason));
}

// No tick runs while a packet is handled. Every packet accepted is presented, also one that
// arrives before the first tick that finds the client connected: presenting default values
// there would flash zeros on each new connection.
// No scan runs inside the client's lectures (a tick due in a nested event loop is dropped), but
// Timer1 keeps its pace: stopping and starting it for every packet would put the next tick off
// each time, and a server sending at the client's own scan time would starve the client's ticks
// (its connection status, its reconnection and the stale flag).
void Program::TCPClient_DataArrival() {
    const FlagGuard noTick(m_inTick);
    for (std::string& receivedText : m_roles.TCPClient_DataArrival()) {
        ClientLectures(std::move(receivedText));
    }
}

void Program::ClientLectures(std::string receivedText) {
    try {
        telemetry::Snapshot snapshot;
        const net::UnpackResult result = net::UnpackTelemetry(
            receivedText, snapshot,
            [this](std::string_view status) { m_presenter.ShowServerStatus(status); });
        // The server cannot read its simulator: its status is shown, the panel keeps its values,
        // and the readings that come next start afresh, as the server's own panel does when its
        // simulator is attached.
        if (result == net::UnpackResult::StatusOnly) {
            SnapshotsRestart();
            StintEnds();
            return;
        }
        SnapshotTaken(snapshot, m_clock.NowMs());
        Present(snapshot);
        ++m_packetsPresented;
    } catch (...) {
        m_errors.ReportCurrentException("Lectures");
    }
}

}  // namespace kerbview::app
