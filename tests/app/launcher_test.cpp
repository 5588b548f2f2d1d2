// SPDX-License-Identifier: MIT
// The real program from outside, under an X display: launcher mode (kerbview --launch --
// COMMAND) and a stopped start, each run from a copy in a folder of its own so that its
// settings file stays there.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpSocket>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>

#include "core/temp_dir.h"
#include "frontends/qt/qt_test_helpers.h"
#include "net/receive_buffer.h"
#include "net/wire_format.h"
#include "telemetry/landlock_domain.h"

namespace kerbview::app {
namespace {

using namespace std::chrono_literals;

/// A copy of the program in a fresh folder, run with its standard streams as pipes.
class Kerbview {
public:
    explicit Kerbview(const std::string& settings = "") {
        std::filesystem::copy_file(KERBVIEW_PROGRAM, m_folder.Path() / "kerbview");
        if (!settings.empty()) m_folder.Write("Kerbview.ini", settings);
        m_process.setWorkingDirectory(QString::fromStdString(m_folder.Path().string()));
    }
    ~Kerbview() {
        if (m_process.state() != QProcess::NotRunning) m_process.kill();
        m_process.waitForFinished();
    }
    void Start(const QStringList& arguments) {
        m_process.start(QString::fromStdString(m_folder.File("kerbview")), arguments);
        ASSERT_TRUE(m_process.waitForStarted(10000));
    }
    // Exit code after the end, or -1 when it did not end in time or crashed.
    int Finish(std::chrono::milliseconds timeout = 30s) {
        const bool ended = m_process.waitForFinished(static_cast<int>(timeout.count()));
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Waits until the output read so far holds text; false after the timeout or the end.
    bool WaitForOutput(QProcess::ProcessChannel channel, const std::string& text) {
        std::string& seen = channel == QProcess::StandardOutput ? m_out : m_err;
        for (auto end = std::chrono::steady_clock::now() + 30s;
             std::chrono::steady_clock::now() < end;) {
            m_process.setReadChannel(channel);
            m_process.waitForReadyRead(100);
            seen += m_process.readAll().toStdString();
            if (seen.find(text) != std::string::npos) return true;
            if (m_process.state() == QProcess::NotRunning) return false;  // all read
        }
        return false;
    }

    core::testing::TempDir m_folder;
    QProcess m_process;
    std::string m_out;
    std::string m_err;
};

/// An X display of its own (Xvfb), for a case that kills it or looks at every window on it.
class PrivateDisplay {
public:
    PrivateDisplay() {
        // -displayfd 1: the server says its display number on standard output once it is ready.
        m_xvfb.start(QStringLiteral("Xvfb"),
                     {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (m_xvfb.waitForReadyRead(10000)) {
            m_name = ":" + QString::fromLatin1(m_xvfb.readLine()).trimmed();
        }
    }
    ~PrivateDisplay() { Kill(); }
    /// DISPLAY for it; empty when Xvfb did not start.
    const QString& Name() const { return m_name; }
    void Kill() {
        m_xvfb.kill();
        m_xvfb.waitForFinished();
    }

private:
    QProcess m_xvfb;
    QString m_name;
};

TEST(LauncherIntegration, CommandGetsArgumentsEnvironmentAndStreamsAndKerbviewEndsWithItsStatus) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    ::setenv("KERBVIEW_TEST_VALUE", "a b", 1);
    struct Case {
        QStringList command;
        int status;
        std::string out;
        std::string err;  // checked when not empty (Qt may warn on standard error)
    };
    const Case cases[] = {
        {{"sh", "-c", "read line; printf '%s|' \"$@\" \"$KERBVIEW_TEST_VALUE\" \"$line\"; exit 7",
          "sh", "one", "two words", "", "--help"},
         7,
         "one|two words||--help|a b|from standard input|",
         ""},
        {{"sh", "-c", "kill -TERM $$"}, 128 + 15, "", ""},
        {{"kerbview-no-such-command", "x"},
         127,
         "",
         "kerbview: cannot run 'kerbview-no-such-command': No such file or directory\n"},
    };
    for (const Case& c : cases) {
        Kerbview kerbview;
        kerbview.Start(QStringList{"--launch", "--"} + c.command);
        kerbview.m_process.write("from standard input\n");
        kerbview.m_process.closeWriteChannel();
        EXPECT_EQ(kerbview.Finish(), c.status) << c.command.join(' ').toStdString();
        EXPECT_EQ(kerbview.m_process.readAllStandardOutput().toStdString(), c.out);
        if (!c.err.empty()) {
            EXPECT_EQ(kerbview.m_process.readAllStandardError().toStdString(), c.err);
        }
    }
}

// However the window ends before the command (closed, never opened for want of a display, its
// X server gone, the program asked to end by a signal), Kerbview waits for the command and ends
// with its status; a signal never reaches the command on Kerbview's account.
TEST(LauncherIntegration, WhateverEndsTheWindowKerbviewWaitsForTheCommandAndEndsWithItsStatus) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    enum class Ending { ClosedByItself, NoDisplay, DisplayKilled, Signal };
    struct Case {
        const char* what;
        Ending ending;
        int signal;
        const char* said;  // on standard error once the window is gone
    };
    const Case cases[] = {
        {"window closed first", Ending::ClosedByItself, 0, "window closed; waiting"},
        {"no display", Ending::NoDisplay, 0, "waiting for the launched command"},
        {"X server killed", Ending::DisplayKilled, 0, "waiting for the launched command"},
        {"SIGTERM", Ending::Signal, SIGTERM, "window closed; waiting"},
        {"SIGINT", Ending::Signal, SIGINT, "window closed; waiting"},
        {"SIGHUP", Ending::Signal, SIGHUP, "window closed; waiting"},
    };
    int status = 40;
    for (const Case& c : cases) {
        ++status;
        Kerbview kerbview;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        std::optional<PrivateDisplay> display;
        if (c.ending == Ending::NoDisplay) {
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
                environment.remove(QString::fromLatin1(name));
            }
        } else if (c.ending == Ending::DisplayKilled) {
            display.emplace();
            ASSERT_FALSE(display->Name().isEmpty()) << "no Xvfb";
            environment.insert("DISPLAY", display->Name());
        }
        kerbview.m_process.setProcessEnvironment(environment);
        // --screenshot closes the window once it has saved the pictures; the stats file is
        // written once the window's event loop runs.
        QStringList arguments{"--stats-file", "stats"};
        if (c.ending == Ending::ClosedByItself) arguments += {"--screenshot", "a.png", "b.png"};
        kerbview.Start(arguments +
                       QStringList{"--launch", "--", "sh", "-c",
                                   QStringLiteral("for i in $(seq 600); do [ -e go ] "
                                                  "&& exit %1; sleep 0.05; done; exit 1")
                                       .arg(status)});
        if (c.ending == Ending::DisplayKilled || c.ending == Ending::Signal) {
            const auto stats = kerbview.m_folder.Path() / "stats";
            for (int i = 0; i < 300 && !std::filesystem::exists(stats); ++i) {
                std::this_thread::sleep_for(100ms);
            }
            if (!std::filesystem::exists(stats)) {
                ADD_FAILURE() << c.what << ": the window never ran";
                continue;
            }
            if (c.ending == Ending::DisplayKilled) {
                display->Kill();
            } else {
                ::kill(static_cast<pid_t>(kerbview.m_process.processId()), c.signal);
            }
        }
        if (!kerbview.WaitForOutput(QProcess::StandardError, c.said)) {
            ADD_FAILURE() << c.what << ": " << kerbview.m_err << "\nstatus " << kerbview.Finish(0s);
            continue;
        }
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(kerbview.m_process.state(), QProcess::Running) << c.what << ": ended first";
        kerbview.m_folder.Write("go", "");
        EXPECT_EQ(kerbview.Finish(15s), status) << c.what << ": " << kerbview.m_err;
    }
}

// A setting that stops the start ends Kerbview at once with status 1 and the reason on standard
// error; only --error-dialog (the desktop entry's) also shows it in a message box, the only
// window, which then waits for its click.
TEST(ProgramIntegration, ABadSettingEndsAtOnceAndOnlyTheDesktopOptionShowsItInAMessageBox) {
    for (const bool dialog : {false, true}) {
        PrivateDisplay display;
        ASSERT_FALSE(display.Name().isEmpty()) << "no Xvfb";
        Kerbview kerbview("[Opcions]\r\nScanTime=99999\r\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display.Name());
        environment.remove("QT_QPA_PLATFORM");
        kerbview.m_process.setProcessEnvironment(environment);
        kerbview.Start(dialog ? QStringList{"--error-dialog"} : QStringList{});
        EXPECT_TRUE(kerbview.WaitForOutput(QProcess::StandardError, "ScanTime=99999: overflow"))
            << kerbview.m_err;
        if (!dialog) {
            EXPECT_EQ(kerbview.Finish(10s), 1);
            continue;
        }
        bool boxShown = false;
        for (int i = 0; i < 100 && !boxShown; ++i) {
            QProcess windows;
            windows.setProcessEnvironment(environment);
            windows.start(QStringLiteral("xwininfo"), {"-root", "-tree"});
            ASSERT_TRUE(windows.waitForFinished(10000)) << "no xwininfo";
            boxShown = windows.readAllStandardOutput().contains("\"Kerbview\": (");
            if (!boxShown) std::this_thread::sleep_for(100ms);
        }
        EXPECT_TRUE(boxShown) << "no window titled Kerbview";
        EXPECT_EQ(kerbview.m_process.state(), QProcess::Running);
    }
}

// The first telemetry packet from a server on port that names a car (which only a read of the
// simulator's memory gives), or an empty snapshot after the timeout.
telemetry::Snapshot FirstReadSnapshot(std::uint16_t port, std::chrono::seconds timeout) {
    QTcpSocket socket;
    net::ReceiveBuffer received;
    telemetry::Snapshot snapshot;
    for (auto end = std::chrono::steady_clock::now() + timeout;
         std::chrono::steady_clock::now() < end;) {
        if (socket.state() != QAbstractSocket::ConnectedState) {
            socket.abort();
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (!socket.waitForConnected(500)) std::this_thread::sleep_for(200ms);
            continue;
        }
        socket.waitForReadyRead(200);
        received.Append(socket.readAll().toStdString());
        for (std::string body; received.TakePacket();) {
            if (net::AcceptPacket(received.Packet(), body) &&
                net::UnpackTelemetry(body, snapshot, [](std::string_view) {}) ==
                    net::UnpackResult::Unpacked &&
                !snapshot.CarName.empty()) {
                return snapshot;
            }
        }
    }
    return {};
}

TEST(LauncherIntegration, ReadsTheStandinItLaunchedThoughTheStandinGrantsNoReaders) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    const std::uint16_t port = testing::FreePort();
    Kerbview kerbview("[Opcions]\r\nTipusConexio=1\r\nPort=" + std::to_string(port) +
                      "\r\nScanTime=100\r\n");
    // Confined, Kerbview may read only the processes it started (the control is
    // ProcessMemoryLinux.AReaderThatIsNotTheSimulatorsAncestorIsToldOfTheLauncher).
    const bool confined = telemetry::testing::LandlockAvailable();
    if (!confined) std::cout << "No Landlock here: Kerbview reads the stand-in unconfined.\n";
    kerbview.m_process.setChildProcessModifier([confined] {
        if (confined && !telemetry::testing::EnterLandlockDomain()) ::_exit(120);
    });
    kerbview.Start({"--launch", "--", KERBVIEW_SIM_STANDIN, "--private-memory"});
    ASSERT_TRUE(kerbview.WaitForOutput(QProcess::StandardOutput, "ready\n")) << kerbview.m_out;

    const telemetry::Snapshot read = FirstReadSnapshot(port, 30s);
    EXPECT_FALSE(read.CarName.empty()) << "no telemetry read from the launched stand-in";
    EXPECT_GT(read.EngineSpeed, 0);

    kerbview.m_process.write("quit\n");
    EXPECT_TRUE(kerbview.WaitForOutput(QProcess::StandardOutput, "ok quit\n"));
    EXPECT_EQ(kerbview.Finish(15s), 0) << kerbview.m_err;
}

}  // namespace
}  // namespace kerbview::app
