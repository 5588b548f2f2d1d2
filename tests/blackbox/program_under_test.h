// SPDX-License-Identifier: MIT
#pragma once
// The real program as a user runs it, seen only from outside: a copy in a folder of its own
// (so that its settings file is written there), its standard streams as pipes, its ports over
// loopback. The program is the one named by KERBVIEW_UNDER_TEST, else the build's own; a
// Windows program (.exe) runs under Wine, which the test's environment provides.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "core/child_process.h"
#include "core/temp_dir.h"
#include "net/receive_buffer.h"
#include "net/wire_format.h"

namespace kerbview::blackbox {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

/// A TCP port on 127.0.0.1 that was free a moment ago.
inline quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

/// True once something accepts connections on 127.0.0.1:port, false after 30 s.
inline bool WaitForListener(quint16 port) {
    for (auto end = Clock::now() + 30s; Clock::now() < end; std::this_thread::sleep_for(100ms)) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(300)) return true;
    }
    return false;
}

/// A program named by the environment variable, else the fallback.
inline std::filesystem::path Chosen(const char* variable, const char* fallback) {
    const char* chosen = std::getenv(variable);
    return chosen != nullptr && *chosen ? chosen : fallback;
}

/// Arguments that start program: itself, or under Wine when it is a Windows program (.exe).
inline std::pair<QString, QStringList> Command(const std::filesystem::path& program,
                                               QStringList arguments) {
    const QString path = QString::fromStdString(program.string());
    if (program.extension() != ".exe") return {path, arguments};
    arguments.prepend(path);
    return {QStringLiteral("/usr/lib/wine/wine64"), arguments};
}

/// The stand-in simulator of the platform under test (the Windows one under Wine, named by
/// KERBVIEW_STANDIN_UNDER_TEST), started with arguments.
inline core::testing::ChildProcess Standin(std::vector<std::string> arguments = {}) {
    const std::filesystem::path standin =
        Chosen("KERBVIEW_STANDIN_UNDER_TEST", KERBVIEW_SIM_STANDIN);
    if (standin.extension() != ".exe") return {standin, arguments};
    arguments.insert(arguments.begin(), standin.string());
    return {"/usr/lib/wine/wine64", arguments};
}

/// One run of the program from a fresh folder.
class ProgramUnderTest {
public:
    /// settings: the Kerbview.ini to start with; program: which one (by default the one under
    /// test, KERBVIEW_UNDER_TEST, else the build's own).
    explicit ProgramUnderTest(const std::string& settings,
                              std::filesystem::path program = Chosen("KERBVIEW_UNDER_TEST",
                                                                     KERBVIEW_PROGRAM)) {
        m_copy = m_folder.File(program.filename().string());
        std::filesystem::copy_file(program, m_copy);
        m_folder.Write("Kerbview.ini", settings);
        m_process.setWorkingDirectory(QString::fromStdString(m_folder.Path().string()));
        m_process.setReadChannel(QProcess::StandardError);
    }
    ~ProgramUnderTest() {
        if (m_process.state() != QProcess::NotRunning) m_process.kill();
        m_process.waitForFinished();
    }
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    /// Starts the copy; false when it could not be started.
    bool Start(const QStringList& arguments = {}) {
        const auto [program, all] = Command(m_copy, arguments);
        m_process.start(program, all);
        return m_process.waitForStarted(10000);
    }
    bool Running() const { return m_process.state() == QProcess::Running; }
    /// Waits for the program to end by itself, reading its output meanwhile; its exit code, or
    /// -1 when it did not end in time or crashed.
    int ExitCode(std::chrono::milliseconds timeout = 60s) {
        for (auto end = Clock::now() + timeout; Running() && Clock::now() < end;) Pause(100ms);
        return Running() || m_process.exitStatus() != QProcess::NormalExit ? -1
                                                                           : m_process.exitCode();
    }
    /// The process, for its environment and standard input before or while it runs.
    QProcess& Process() { return m_process; }
    /// The folder the copy runs in, which holds its settings file.
    const std::filesystem::path& Folder() const { return m_folder.Path(); }
    /// Waits until the standard error read so far holds text; false after the timeout, or once
    /// the program has ended without writing it.
    bool WaitForError(const std::string& text, std::chrono::milliseconds timeout = 30s) {
        return WaitFor(&ProgramUnderTest::ReadError, text, timeout);
    }
    /// The same for standard output.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout = 30s) {
        return WaitFor(&ProgramUnderTest::ReadOutput, text, timeout);
    }
    /// Everything the program wrote on standard error so far.
    const std::string& ReadError() {
        m_err += m_process.readAllStandardError().toStdString();
        return m_err;
    }
    /// Everything the program wrote on standard output so far.
    const std::string& ReadOutput() {
        m_out += m_process.readAllStandardOutput().toStdString();
        return m_out;
    }
    /// Lines of standard error read so far that hold text (all lines when text is empty).
    std::size_t ErrorLines(std::string_view text = {}) {
        std::size_t count = 0;
        std::istringstream lines(ReadError());
        for (std::string line; std::getline(lines, line);) count += line.find(text) != line.npos;
        return count;
    }
    /// Lets time pass while the program's standard error and output are read, so that a program
    /// that writes much never waits for a pipe.
    void Pause(std::chrono::milliseconds time) {
        for (auto end = Clock::now() + time; Clock::now() < end; ReadError(), ReadOutput()) {
            m_process.waitForReadyRead(20);
        }
    }

private:
    bool WaitFor(const std::string& (ProgramUnderTest::*read)(), const std::string& text,
                 std::chrono::milliseconds timeout) {
        for (auto end = Clock::now() + timeout; Running() && Clock::now() < end; Pause(100ms)) {
            if ((this->*read)().find(text) != std::string::npos) return true;
        }
        return (this->*read)().find(text) != std::string::npos;
    }

    core::testing::TempDir m_folder;
    std::filesystem::path m_copy;
    QProcess m_process;
    std::string m_out;
    std::string m_err;
};

/// Whether the display (that of environment, when given) shows a window titled "Kerbview".
inline bool KerbviewWindowShown(const QProcessEnvironment& environment = {}) {
    QProcess tree;
    if (!environment.isEmpty()) tree.setProcessEnvironment(environment);
    tree.start(QStringLiteral("xwininfo"), {"-root", "-tree"});
    if (!tree.waitForFinished(10000)) return false;
    for (const QByteArray& line : tree.readAllStandardOutput().split('\n')) {
        if (!line.contains("\"Kerbview\": (")) continue;
        QProcess window;
        if (!environment.isEmpty()) window.setProcessEnvironment(environment);
        window.start(QStringLiteral("xwininfo"), {"-id", line.trimmed().split(' ').front()});
        if (window.waitForFinished(10000) &&
            window.readAllStandardOutput().contains("IsViewable")) {
            return true;
        }
    }
    return false;
}

/// A packet the server sent, whole, its snapshot when it carries telemetry, and when it came.
struct Packet {
    std::string bytes;
    std::optional<telemetry::Snapshot> snapshot;  // none for a status-only packet
    Clock::time_point at;
};

/// Takes the server's packets as its client on port, connecting again when a connection ends,
/// until done(the packets so far) (when given), the server ends or 60 s have passed.
inline std::vector<Packet> Collect(ProgramUnderTest& server, quint16 port,
                                   const std::function<bool(const std::vector<Packet>&)>& done) {
    QTcpSocket socket;
    net::ReceiveBuffer received;
    std::vector<Packet> packets;
    for (const auto end = Clock::now() + 60s;
         server.Running() && Clock::now() < end && !(done && done(packets));) {
        if (socket.state() != QAbstractSocket::ConnectedState) {
            socket.abort();
            received.Clear();
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (!socket.waitForConnected(500)) server.Pause(50ms);
            continue;
        }
        socket.waitForReadyRead(20);
        server.ReadError();
        received.Feed(socket.readAll().toStdString(), [&](std::string_view packet) {
            std::string body;
            telemetry::Snapshot snapshot;
            Packet& got = packets.emplace_back(Packet{std::string(packet), {}, Clock::now()});
            if (net::AcceptPacket(packet, body) &&
                net::UnpackTelemetry(body, snapshot, [](std::string_view) {}) ==
                    net::UnpackResult::Unpacked) {
                got.snapshot = snapshot;
            }
        });
    }
    return packets;
}

/// The last snapshot among packets that names a car (read from the simulator's memory); an
/// empty one when none does.
inline telemetry::Snapshot LastCar(const std::vector<Packet>& packets) {
    for (auto p = packets.rbegin(); p != packets.rend(); ++p) {
        if (p->snapshot && !p->snapshot->CarName.empty()) return *p->snapshot;
    }
    return {};
}

}  // namespace kerbview::blackbox
