// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "memory_writer.h"
#include "recording_player.h"
#include "session_model.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSocketNotifier;

namespace kerbview::standin {

/// The stand-in's "RACE 07" window: a live read-out of the session. Deleted when closed, so
/// that the desktop no longer lists a window with that title.
class RaceWindow : public QWidget {
    Q_OBJECT
public:
    RaceWindow();
    void ShowSession(const SessionModel& session, bool paused);

private:
    QLabel* m_readout;
};

/// Runs the session on a timer, keeps the telemetry block up to date, and serves the control
/// window, standard-input commands and an optional script.
class StandinController : public QObject {
    Q_OBJECT
public:
    /// `memory` writes the telemetry block (one of no bytes for another program titled "RACE 07",
    /// which holds no telemetry). In track mode the session is published every 5 ms and every
    /// figure the panel shows changes from one publication to the next (a car on track scanned
    /// at 10 ms); `decoys` other top-level windows stand for a busy desktop.
    StandinController(MemoryWriter memory, QString scriptPath, bool track = false, int decoys = 0);
    /// Plays the recording in path into the memory instead of the session, each sample at its
    /// recorded time from the start; at its end it stays on the last sample, or starts again
    /// with `loop`. False, with the reason written on standard error, when it cannot be read.
    bool Play(const QString& path, bool loop);
    ~StandinController() override;

    /// Shows the windows, publishes the first frame and prints "ready".
    void Start();

private:
    void Tick();
    void OpenRaceWindow();
    void CloseRaceWindow();
    void SetPaused(bool paused);
    void ReadStandardInput();
    void RunLine(const std::string& line);
    void UpdateControls(bool raceWindowOpen);

    MemoryWriter m_writer;
    SessionModel m_session;
    QString m_scriptPath;
    bool m_track;
    int m_decoyCount;
    std::vector<std::unique_ptr<QWidget>> m_decoys;
    bool m_paused = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceStart;
    qint64 m_shownAt = -1000;  // ms since start of the last read-out update
    std::unique_ptr<QWidget> m_controls;
    QPointer<RaceWindow> m_race;
    QCheckBox* m_pause = nullptr;
    QPushButton* m_windowButton = nullptr;
    QSocketNotifier* m_stdin = nullptr;
    std::string m_pending;
    // The recording played instead of the session, when one is.
    std::optional<RecordingPlayer> m_recording;
};

}  // namespace kerbview::standin
