// SPDX-License-Identifier: MIT
#pragma once
// The real program as a user runs it, seen only from outside: a copy in a folder of its own
// (so that its settings file is written there), its standard streams as pipes, its ports over
// loopback. The program is the one named by KERBVIEW_UNDER_TEST, else the build's own; a
// Windows program (.exe) runs under Wine, which the test's environment provides.
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

#include "core/temp_dir.h"

namespace kerbview::blackbox {

using namespace std::chrono_literals;

/// The program file under test.
inline std::filesystem::path ProgramFile() {
    if (const char* chosen = std::getenv("KERBVIEW_UNDER_TEST"); chosen != nullptr && *chosen) {
        return chosen;
    }
    return KERBVIEW_PROGRAM;
}

inline bool IsWindowsProgram(const std::filesystem::path& program) {
    return program.extension() == ".exe";
}

/// A TCP port on 127.0.0.1 that was free a moment ago.
inline quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

/// True once something accepts connections on 127.0.0.1:port, false after the timeout.
inline bool WaitForListener(quint16 port, std::chrono::milliseconds timeout = 30s) {
    for (auto end = std::chrono::steady_clock::now() + timeout;
         std::chrono::steady_clock::now() < end;) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(300)) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

/// One run of the program from a fresh folder.
class ProgramUnderTest {
public:
    /// settings: the Kerbview.ini to start with (none when empty).
    explicit ProgramUnderTest(const std::string& settings = "") : m_program(ProgramFile()) {
        m_copy = m_folder.File(m_program.filename().string());
        std::filesystem::copy_file(m_program, m_copy);
        if (!settings.empty()) m_folder.Write("Kerbview.ini", settings);
        m_process.setWorkingDirectory(QString::fromStdString(m_folder.Path().string()));
    }
    ~ProgramUnderTest() {
        if (m_process.state() != QProcess::NotRunning) m_process.kill();
        m_process.waitForFinished();
    }
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    /// Starts the copy with arguments; false when it could not be started.
    bool Start(const QStringList& arguments = {}) {
        const QString copy = QString::fromStdString(m_copy.string());
        if (IsWindowsProgram(m_program)) {
            m_process.start(QStringLiteral("/usr/lib/wine/wine64"), QStringList{copy} + arguments);
        } else {
            m_process.start(copy, arguments);
        }
        return m_process.waitForStarted(10000);
    }
    /// Exit code after the end, or -1 when it did not end in time or crashed.
    int Finish(std::chrono::milliseconds timeout = 30s) {
        const bool ended = m_process.waitForFinished(static_cast<int>(timeout.count()));
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    /// Waits until the standard error read so far holds text; false after the timeout.
    bool WaitForError(const std::string& text, std::chrono::milliseconds timeout = 30s) {
        for (auto end = std::chrono::steady_clock::now() + timeout;
             std::chrono::steady_clock::now() < end;) {
            if (ReadError().find(text) != std::string::npos) return true;
            m_process.setReadChannel(QProcess::StandardError);
            m_process.waitForReadyRead(100);
        }
        return ReadError().find(text) != std::string::npos;
    }
    /// Everything the program wrote on standard error so far.
    const std::string& ReadError() {
        m_err += m_process.readAllStandardError().toStdString();
        return m_err;
    }
    /// Lines of standard error read so far that hold text (all lines when text is empty).
    std::size_t ErrorLines(std::string_view text = {}) {
        std::size_t count = 0;
        std::string_view rest = ReadError();
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            if (rest.substr(0, end).find(text) != std::string_view::npos) ++count;
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        return count;
    }
    /// Lets time pass while the program's standard error is read, so that a program that
    /// writes much never waits for the pipe.
    void Pause(std::chrono::milliseconds time) {
        for (auto end = std::chrono::steady_clock::now() + time;
             std::chrono::steady_clock::now() < end;) {
            m_process.setReadChannel(QProcess::StandardError);
            m_process.waitForReadyRead(20);
            ReadError();
        }
    }

    const core::testing::TempDir& Folder() const { return m_folder; }
    QProcess& Process() { return m_process; }

private:
    std::filesystem::path m_program;
    core::testing::TempDir m_folder;
    std::filesystem::path m_copy;
    QProcess m_process;
    std::string m_err;
};

}  // namespace kerbview::blackbox
