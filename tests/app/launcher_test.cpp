// SPDX-License-Identifier: MIT
// The real program from outside, under an X display: launcher mode (kerbview --launch --
// COMMAND) and a stopped start, each run from a copy in a folder of its own so that its
// settings file stays there.
#include <gtest/gtest.h>

#include <signal.h>

#include <iostream>
#include <optional>

#include "blackbox/program_under_test.h"
#include "telemetry/landlock_domain.h"

namespace kerbview::blackbox {
namespace {

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
        ProgramUnderTest kerbview("");
        ASSERT_TRUE(kerbview.Start(QStringList{"--launch", "--"} + c.command));
        kerbview.Process().write("from standard input\n");
        kerbview.Process().closeWriteChannel();
        EXPECT_EQ(kerbview.ExitCode(30s), c.status) << c.command.join(' ').toStdString();
        EXPECT_EQ(kerbview.ReadOutput(), c.out);
        if (!c.err.empty()) {
            EXPECT_EQ(kerbview.ReadError(), c.err);
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
        ProgramUnderTest kerbview("");
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
        kerbview.Process().setProcessEnvironment(environment);
        // --screenshot closes the window once it has saved the pictures; the stats file is
        // written once the window's event loop runs.
        QStringList arguments{"--stats-file", "stats"};
        if (c.ending == Ending::ClosedByItself) arguments += {"--screenshot", "a.png", "b.png"};
        ASSERT_TRUE(kerbview.Start(
            arguments + QStringList{"--launch", "--", "sh", "-c",
                                    QStringLiteral("for i in $(seq 600); do [ -e go ] "
                                                   "&& exit %1; sleep 0.05; done; exit 1")
                                        .arg(status)}));
        if (c.ending == Ending::DisplayKilled || c.ending == Ending::Signal) {
            const auto stats = kerbview.Folder() / "stats";
            for (int i = 0; i < 300 && !std::filesystem::exists(stats); ++i) kerbview.Pause(100ms);
            if (!std::filesystem::exists(stats)) {
                ADD_FAILURE() << c.what << ": the window never ran";
                continue;
            }
            if (c.ending == Ending::DisplayKilled) {
                display->Kill();
            } else {
                ::kill(static_cast<pid_t>(kerbview.Process().processId()), c.signal);
            }
        }
        if (!kerbview.WaitForError(c.said)) {
            ADD_FAILURE() << c.what << ": " << kerbview.ReadError() << "\nstatus "
                          << kerbview.ExitCode(0s);
            continue;
        }
        kerbview.Pause(300ms);
        EXPECT_TRUE(kerbview.Running()) << c.what << ": ended first";
        core::testing::WriteBytes(kerbview.Folder() / "go", "");
        EXPECT_EQ(kerbview.ExitCode(15s), status) << c.what << ": " << kerbview.ReadError();
    }
}

// A setting that stops the start ends Kerbview at once with status 1 and the reason on standard
// error; only --error-dialog (the desktop entry's) also shows it in a message box, the only
// window, which then waits for its click.
TEST(ProgramIntegration, ABadSettingEndsAtOnceAndOnlyTheDesktopOptionShowsItInAMessageBox) {
    for (const bool dialog : {false, true}) {
        PrivateDisplay display;
        ASSERT_FALSE(display.Name().isEmpty()) << "no Xvfb";
        ProgramUnderTest kerbview("[Opcions]\r\nScanTime=99999\r\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display.Name());
        environment.remove("QT_QPA_PLATFORM");
        kerbview.Process().setProcessEnvironment(environment);
        ASSERT_TRUE(kerbview.Start(dialog ? QStringList{"--error-dialog"} : QStringList{}));
        EXPECT_TRUE(kerbview.WaitForError("ScanTime=99999: overflow")) << kerbview.ReadError();
        if (!dialog) {
            EXPECT_EQ(kerbview.ExitCode(10s), 1);
            continue;
        }
        bool boxShown = false;
        for (int i = 0; i < 100 && !(boxShown = KerbviewWindowShown(environment)); ++i) {
            kerbview.Pause(100ms);
        }
        EXPECT_TRUE(boxShown) << "no window titled Kerbview";
        EXPECT_TRUE(kerbview.Running());
    }
}

TEST(LauncherIntegration, ReadsTheStandinItLaunchedThoughTheStandinGrantsNoReaders) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    const quint16 port = FreePort();
    ProgramUnderTest kerbview("[Opcions]\r\nTipusConexio=1\r\nPort=" + std::to_string(port) +
                              "\r\nScanTime=100\r\n");
    // Confined, Kerbview may read only the processes it started (the control is
    // ProcessMemoryLinux.AReaderThatIsNotTheSimulatorsAncestorIsToldOfTheLauncher).
    const bool confined = telemetry::testing::LandlockAvailable();
    if (!confined) std::cout << "No Landlock here: Kerbview reads the stand-in unconfined.\n";
    kerbview.Process().setChildProcessModifier([confined] {
        if (confined && !telemetry::testing::EnterLandlockDomain()) ::_exit(120);
    });
    ASSERT_TRUE(kerbview.Start({"--launch", "--", KERBVIEW_SIM_STANDIN, "--private-memory"}));
    ASSERT_TRUE(kerbview.WaitForOutput("ready\n")) << kerbview.ReadOutput();

    const telemetry::Snapshot read =
        LastCar(Collect(kerbview, port, [](const std::vector<Packet>& packets) {
            return !LastCar(packets).CarName.empty();
        }));
    EXPECT_FALSE(read.CarName.empty()) << "no telemetry read from the launched stand-in";
    EXPECT_GT(read.EngineSpeed, 0);

    kerbview.Process().write("quit\n");
    EXPECT_TRUE(kerbview.WaitForOutput("ok quit\n"));
    EXPECT_EQ(kerbview.ExitCode(15s), 0) << kerbview.ReadError();
}

}  // namespace
}  // namespace kerbview::blackbox
