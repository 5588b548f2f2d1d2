// SPDX-License-Identifier: MIT
#include "standin_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QVBoxLayout>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "commands.h"

namespace kerbview::standin {

namespace {

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

RaceWindow::RaceWindow() : m_readout(new QLabel(this)) {
    setWindowTitle(QStringLiteral("RACE 07"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_readout->setMinimumWidth(280);
    m_readout->setFont(QFont(QStringLiteral("Monospace"), 11));
    layout->addWidget(m_readout);
}

void RaceWindow::ShowSession(const SessionModel& session, bool paused) {
    m_readout->setText(
        QStringLiteral("%1   lap %2   P%3%4\n%5 km/h   gear %6   %7 rpm\n"
                       "throttle %8%   brake %9%\nfuel %10 l\nlast %11 s   best %12 s%13")
            .arg(QString::fromStdString(session.TrackName()))
            .arg(session.PlayerLapCount() + 1)
            .arg(session.PlayerPosition())
            .arg(session.InPits() ? QStringLiteral("   PIT") : QString())
            .arg(session.SpeedKmh(), 0, 'f', 0)
            .arg(session.Gear())
            .arg(session.EngineRpm(), 0, 'f', 0)
            .arg(session.Throttle() * 100.0, 0, 'f', 0)
            .arg(session.Brake() * 100.0, 0, 'f', 0)
            .arg(session.Fuel(), 0, 'f', 1)
            .arg(static_cast<double>(session.LastLap()), 0, 'f', 3)
            .arg(static_cast<double>(session.BestLap()), 0, 'f', 3)
            .arg(paused ? QStringLiteral("\n(paused)") : QString()));
}

StandinController::StandinController(MemoryWriter memory, QString scriptPath, bool track,
                                     int decoys)
    : m_writer(memory), m_scriptPath(std::move(scriptPath)), m_track(track), m_decoyCount(decoys) {
    m_controls = std::make_unique<QWidget>();
    m_controls->setWindowTitle(QStringLiteral("RACE 07 stand-in controls"));
    auto* form = new QFormLayout(m_controls.get());

    auto* ignition = new QCheckBox(QStringLiteral("Ignition"));
    ignition->setChecked(true);
    connect(ignition, &QCheckBox::toggled, this, [this](bool on) { m_session.SetIgnition(on); });
    form->addRow(ignition);

    auto* limiter = new QCheckBox(QStringLiteral("Pit limiter"));
    connect(limiter, &QCheckBox::toggled, this,
            [this](bool on) { m_session.SetLimiterSwitch(on); });
    form->addRow(limiter);

    auto* tc = new QSpinBox;
    tc->setRange(0, 2);
    tc->setValue(1);
    connect(tc, &QSpinBox::valueChanged, this, [this](int v) { m_session.SetTcLevel(v); });
    form->addRow(QStringLiteral("TC level"), tc);

    auto* abs = new QSpinBox;
    abs->setRange(0, 2);
    abs->setValue(1);
    connect(abs, &QSpinBox::valueChanged, this, [this](int v) { m_session.SetAbsLevel(v); });
    form->addRow(QStringLiteral("ABS level"), abs);

    m_pause = new QCheckBox(QStringLiteral("Pause"));
    connect(m_pause, &QCheckBox::toggled, this, [this](bool on) { SetPaused(on); });
    form->addRow(m_pause);

    m_windowButton = new QPushButton;
    connect(m_windowButton, &QPushButton::clicked, this, [this] {
        if (m_race) {
            CloseRaceWindow();
        } else {
            OpenRaceWindow();
        }
    });
    form->addRow(m_windowButton);

    auto* quit = new QPushButton(QStringLiteral("Quit"));
    connect(quit, &QPushButton::clicked, qApp, &QApplication::quit);
    form->addRow(quit);

    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

StandinController::~StandinController() { delete m_race; }

void StandinController::Start() {
    if (m_recording) {
        m_recording->Advance(0, m_writer);
    } else {
        m_session.Publish(m_writer);
    }
    m_controls->adjustSize();
    m_controls->show();
    OpenRaceWindow();
    for (int i = 0; i < m_decoyCount; ++i) {
        auto decoy = std::make_unique<QWidget>();
        decoy->setWindowTitle(QStringLiteral("Other window %1").arg(i + 1));
        // On the right of the screen, clear of the copies a measurement places at its left.
        decoy->setGeometry(1400 + (i % 40) * 8, 40 + (i % 30) * 8, 160, 90);
        decoy->show();
        m_decoys.push_back(std::move(decoy));
    }
    m_clock.start();
    m_sinceStart.start();
    if (m_track) {
        m_timer.setTimerType(Qt::PreciseTimer);
    }
    m_timer.start(m_track ? 5 : 50);

    m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_stdin, &QSocketNotifier::activated, this, [this] { ReadStandardInput(); });
    Say("ready");

    if (!m_scriptPath.isEmpty()) {
        QFile script(m_scriptPath);
        if (!script.open(QIODevice::ReadOnly)) {
            Say("error cannot open script " + m_scriptPath.toStdString());
            return;
        }
        while (!script.atEnd()) {
            RunLine(script.readLine().toStdString());
        }
    }
}

void StandinController::Tick() {
    const double seconds = static_cast<double>(m_clock.restart()) / 1000.0;
    const qint64 now = m_sinceStart.elapsed();
    if (m_recording && !m_paused) {
        m_recording->Advance(seconds * 1000.0, m_writer);
    } else if (!m_paused) {
        m_session.Step(seconds);
        if (m_track) {
            // From the clock, not from a count of ticks: a late tick still moves every figure.
            m_session.SetTrackPhase(static_cast<int>(now / 5));
        }
        m_session.Publish(m_writer);
    }
    // The read-out is for people: at most 20 times a second, whatever the tick.
    if (m_race && now - m_shownAt >= 50) {
        m_shownAt = now;
        m_race->ShowSession(m_session, m_paused);
    }
}

bool StandinController::Play(const QString& path, bool loop) {
    m_recording.emplace(std::filesystem::path(path.toStdString()), loop);
    if (!m_recording->Ok()) {
        std::fprintf(stderr, "sim-standin: %s is no recording that can be played\n",
                     path.toLocal8Bit().constData());
        m_recording.reset();
        return false;
    }
    m_track = true;  // published every 5 ms, as close to the recorded times as the timer goes
    return true;
}

void StandinController::OpenRaceWindow() {
    if (!m_race) {
        m_race = new RaceWindow;
        // Mid-destruction the widget is no longer a RaceWindow: m_race is not touched here.
        connect(m_race, &QObject::destroyed, this, [this] { UpdateControls(false); });
        m_race->ShowSession(m_session, m_paused);
        m_race->move(m_controls->x() + std::max(m_controls->width(), 200) + 24, m_controls->y());
        m_race->show();
    }
    UpdateControls(true);
}

void StandinController::CloseRaceWindow() {
    // Deleting the widget destroys its native window at once.
    delete m_race;
    UpdateControls(false);
}

void StandinController::SetPaused(bool paused) {
    m_paused = paused;
    if (m_pause->isChecked() != paused) {
        m_pause->setChecked(paused);
    }
}

void StandinController::UpdateControls(bool raceWindowOpen) {
    m_windowButton->setText(raceWindowOpen ? QStringLiteral("Close RACE 07 window")
                                           : QStringLiteral("Open RACE 07 window"));
}

void StandinController::ReadStandardInput() {
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        m_stdin->setEnabled(false);
        // A test drives the stand-in through a pipe; when the pipe closes, the test is over.
        struct stat info {};
        if (::fstat(STDIN_FILENO, &info) == 0 && S_ISFIFO(info.st_mode)) {
            qApp->quit();
        }
        return;
    }
    m_pending.append(buffer, static_cast<std::size_t>(got));
    for (auto end = m_pending.find('\n'); end != std::string::npos; end = m_pending.find('\n')) {
        const std::string line = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        RunLine(line);
    }
}

void StandinController::RunLine(const std::string& line) {
    const CommandResult result = RunCommand(line, m_writer);
    const std::string answer = AnswerTo(line, result);
    switch (result.kind) {
        case CommandKind::Nothing:
        case CommandKind::Invalid:
        case CommandKind::Written: break;
        case CommandKind::Pause: SetPaused(true); break;
        case CommandKind::Resume: SetPaused(false); break;
        case CommandKind::Close: CloseRaceWindow(); break;
        case CommandKind::Open: OpenRaceWindow(); break;
        case CommandKind::Quit:
            Say(answer);
            qApp->quit();
            return;
    }
    if (!answer.empty()) Say(answer);
}

}  // namespace kerbview::standin
