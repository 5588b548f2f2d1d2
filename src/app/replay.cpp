// SPDX-License-Identifier: MIT
// A recording played through the program in place of the simulator: the pacing of its samples,
// and the program's procedures that start, run, pause and end it.
#include "app/replay.h"

#include <algorithm>
#include <utility>

#include "app/program.h"
#include "core/text_encoding.h"

namespace kerbview::app {

Replay::Replay(record::RecordingReader reader, std::int64_t startMs, double speed)
    : m_reader(std::move(reader)),
      m_baseNowMs(startMs),
      m_speed(std::clamp(speed, kReplaySpeedMin, kReplaySpeedMax)) {
    if (record::Sample first; m_reader.Next(first)) {
        m_firstMs = first.timeMs;
        m_next = std::move(first);
    }
}

double Replay::PlayedMs(std::int64_t nowMs) const {
    if (m_paused) return m_basePlayedMs;
    return m_basePlayedMs + static_cast<double>(nowMs - m_baseNowMs) * m_speed;
}

bool Replay::TakeDue(std::int64_t nowMs, const std::function<void(const record::Sample&)>& take) {
    if (m_paused) {
        if (m_last) take(*m_last);
        return true;
    }
    const double played = PlayedMs(nowMs);
    for (;;) {
        if (!m_next) {
            if (record::Sample sample; m_reader.Next(sample)) {
                m_next = std::move(sample);
            } else {
                return false;
            }
        }
        if (static_cast<double>(m_next->timeMs) - m_firstMs > played) return true;
        m_last = std::exchange(m_next, std::nullopt);
        m_car = m_last->snapshot.CarName;
        take(*m_last);
    }
}

void Replay::SetPaused(bool paused, std::int64_t nowMs) {
    if (paused == m_paused) return;
    m_basePlayedMs = PlayedMs(nowMs);
    m_baseNowMs = nowMs;
    m_paused = paused;
}

void Replay::SetSpeed(double speed, std::int64_t nowMs) {
    m_basePlayedMs = PlayedMs(nowMs);
    m_baseNowMs = nowMs;
    m_speed = std::clamp(speed, kReplaySpeedMin, kReplaySpeedMax);
}

// ---- The program's replay ----------------------------------------------------------------

bool Program::StartReplay(const std::filesystem::path& file, double speed) {
    if (m_frontEnd == nullptr) return false;  // no main window, no tick to play in
    try {
        // A client's panel shows its server's readings; the replay takes the simulator's place,
        // which only no role and a server have.
        if (m_settings.TipusConexio != core::Role::None &&
            m_settings.TipusConexio != core::Role::Server) {
            m_frontEnd->ShowMessage(m_texts.TxtReplayProblem, m_texts.TxtReplayNeedsNoClient);
            return false;
        }
        record::RecordingReader reader(file);
        if (!reader.Ok()) {
            ShowReplayProblem(reader.Problem(), reader.Detail());
            return false;
        }
        // The simulator's process is let go: nothing read from it mixes with the recording, and
        // after the replay the link attaches afresh and shows its own state.
        m_gameLink.ResetGameLink();
        m_replay = std::make_unique<Replay>(std::move(reader), m_clock.NowMs(), speed);
        // The recording is a stint of its own: its laps replace those shown, timed on the
        // recording's clock, and the simulator's next stint starts a history of its own.
        m_lapHistory = laps::LapHistory();
        m_lapHistoryFromReplay = true;
        SnapshotsRestart();
        m_presenter.ShowLinkStatus(telemetry::LinkStatus::Running);
        ReplayChanged();
        return true;
    } catch (...) {
        m_errors.ReportCurrentException("StartReplay");
        return false;
    }
}

// The one place where a replay is seen to start, change and end: what must not take a replay for a
// stint follows it here.
void Program::ReplayChanged() {
    HoldRecording(m_replay != nullptr);
    m_presenter.ShowReplay(m_replay != nullptr, m_replay && m_replay->Paused(),
                           m_replay ? m_replay->Speed() : 1.0);
}

void Program::ShowReplayProblem(record::ReadProblem problem, const std::string& detail) {
    const std::string reason = m_presenter.ReplayProblemText(problem, detail);
    m_errorLog.Notice("Replay: " + core::Cp1252ToUtf8(reason));
    m_frontEnd->ShowMessage(m_texts.TxtReplayProblem, reason);
}

void Program::ReplayMenuClick(panel::Menu item) {
    if (item == panel::Menu::Replay) {
        m_frontEnd->ChooseRecording(m_texts.TxtReplay);
        return;
    }
    if (!m_replay) return;  // the items are disabled then
    if (item == panel::Menu::ReplayPause) {
        m_replay->SetPaused(!m_replay->Paused(), m_clock.NowMs());
    }
    for (const ReplaySpeedItem& speed : kReplaySpeedItems) {
        if (speed.item == item) m_replay->SetSpeed(speed.speed, m_clock.NowMs());
    }
    ReplayChanged();
}

// Every sample due since the last tick is taken in order, as if each had been a scan of its own:
// nothing derived from the stint (the lap's fuel, the stale flag) misses one. A server sends the
// tick's samples when it may send at the start of the tick, all of them: the socket queues them,
// and its next send complete comes after the last.
void Program::ReplayLectures(bool readsSimulator) {
    if (!readsSimulator) {
        // The role became client (or none of the three): the recording is no longer played.
        m_replay.reset();
        ReplayChanged();
        m_frontEnd->ShowMessage(m_texts.TxtReplayProblem, m_texts.TxtReplayNeedsNoClient);
        return;
    }
    // A new language or scan time shows "scanning" for a link the replay does not use.
    m_presenter.ShowLinkStatus(telemetry::LinkStatus::Running);
    const bool send = m_roles.MaySend();
    const bool playing = m_replay->TakeDue(m_clock.NowMs(), [&](const record::Sample& sample) {
        try {
            TakeSnapshot(sample.snapshot, send, sample.timeMs);
        } catch (...) {
            m_errors.ReportCurrentException("Lectures");
        }
    });
    if (playing) return;
    // The end of the recording: as if the simulator went away.
    const record::ReadProblem problem = m_replay->Problem();
    const std::string detail = m_replay->Detail();
    m_replay.reset();
    ReplayChanged();
    m_presenter.ShowLinkStatus(telemetry::LinkStatus::NotRunning);
    if (problem != record::ReadProblem::None) ShowReplayProblem(problem, detail);
    if (m_roles.MaySend()) SendStatusOnly();
}

}  // namespace kerbview::app
