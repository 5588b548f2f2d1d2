// SPDX-License-Identifier: MIT
// The running program's web dashboard and its standard error, from outside, over loopback:
// requests no browser sends, floods, a server that sends garbage, a port another program holds.
#include <gtest/gtest.h>

#include <QHostInfo>
#include <QRandomGenerator>

#include <deque>
#include <functional>
#include <iostream>
#include <memory>

#include "program_under_test.h"

namespace kerbview::blackbox {
namespace {

// How long each flood lasts: a few seconds in a test run; KERBVIEW_FLOOD_SECONDS=20 measures.
std::chrono::seconds FloodTime() {
    const char* chosen = std::getenv("KERBVIEW_FLOOD_SECONDS");
    return std::chrono::seconds(chosen != nullptr ? std::atoi(chosen) : 3);
}

// Runs round() (which says how much it sent) again and again for FloodTime with a pause after
// each, waits for what the program holds back (written a second later), and returns the lines
// of standard error that hold text written meanwhile.
std::size_t Flood(ProgramUnderTest& program, std::chrono::milliseconds pause, const char* text,
                  const char* sent, const std::function<std::size_t()>& round) {
    const std::size_t before = program.ErrorLines(text);
    std::size_t count = 0;
    for (auto end = Clock::now() + FloodTime(); Clock::now() < end; program.Pause(pause)) {
        count += round();
    }
    program.Pause(1500ms);
    const std::size_t lines = program.ErrorLines(text) - before;
    std::cout << "[ measured ] " << count << sent << " in " << FloodTime().count() << " s wrote "
              << lines << " lines on standard error\n";
    return lines;
}

// The head of the answer to a request on a connection of its own (what came before a close).
QByteArray Ask(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray reply;
    if (!socket.waitForConnected(3000)) return reply;
    socket.write(request);
    for (auto end = Clock::now() + 3s; Clock::now() < end && !reply.contains("\r\n\r\n");
         reply += socket.readAll()) {
        if (socket.state() == QAbstractSocket::UnconnectedState) break;
        socket.waitForReadyRead(50);
    }
    return reply;
}

// The program with its dashboard on a port of its own, listening.
struct Dashboard {
    quint16 port = FreePort();
    ProgramUnderTest program{"[Web]\r\nEnabled=1\r\nPort=" + std::to_string(port) + "\r\n"};
    QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(port) + "\r\n";

    bool Start() { return program.Start() && WaitForListener(port); }
    QByteArray Upgrade(const QByteArray& more) const {
        return "GET /feed HTTP/1.1\r\n" + host + "Upgrade: websocket\r\nConnection: Upgrade\r\n" +
               more +
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    }
    bool ServesThePage() {
        return Ask(port, "GET / HTTP/1.1\r\n" + host + "\r\n").startsWith("HTTP/1.1 200");
    }
};

// Which hosts, origins and upgrades are served is the request policy's table, and how the server
// keeps to it the server's (web_tests, also under Wine); here the running program by the names
// the system gives this machine, and the feed reached through it from its own page.
TEST(DashboardBlackBox, ThisMachineByItsNamesAndUpgradesFromItsOwnPageAreServed) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    Dashboard d;
    ASSERT_TRUE(d.Start()) << d.program.ReadError();
    const QByteArray port = QByteArray::number(d.port), get = "GET / HTTP/1.1\r\nHost: ";
    const std::pair<QByteArray, const char*> cases[] = {
        {get + "localhost:" + port + "\r\n\r\n", "HTTP/1.1 200"},
        {get + QHostInfo::localHostName().toLatin1() + ":" + port + "\r\n\r\n", "HTTP/1.1 200"},
        {d.Upgrade("Origin: http://127.0.0.1:" + port + "\r\n"), "HTTP/1.1 101"},
    };
    for (const auto& [request, answer] : cases) {
        const QByteArray reply = Ask(d.port, request);
        EXPECT_TRUE(reply.startsWith(answer))
            << request.toStdString() << "-> " << reply.left(40).toStdString();
    }
}

TEST(DashboardBlackBox, FloodsOfRequestsWriteAtMostALineASecondOfEachKind) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    Dashboard d;
    ASSERT_TRUE(d.Start()) << d.program.ReadError();
    d.program.Pause(500ms);
    // Clients that ask again and again without reading the answers (each dropped by the
    // server), or that hang up on them at once, and upgrades from another site's page (each
    // refused).
    const QByteArray ask = "GET /dashboard.js HTTP/1.1\r\n" + d.host + "\r\n";
    const QByteArray foreign = d.Upgrade("Origin: http://attacker.example\r\n");
    std::deque<std::unique_ptr<QTcpSocket>> pipelining;
    std::size_t requests = 0;
    const std::size_t lines = Flood(d.program, 20ms, "", " requests", [&] {
        QTcpSocket& socket = *pipelining.emplace_back(std::make_unique<QTcpSocket>());
        socket.setReadBufferSize(1);
        socket.connectToHost(QHostAddress::LocalHost, d.port);
        std::size_t sent = 1;
        if (socket.waitForConnected(1000)) {
            socket.write(ask.repeated(2000));
            socket.waitForBytesWritten(200);
            sent += 2000;
            if ((requests += 2000) % 4000 == 0) socket.abort();
        }
        if (pipelining.size() > 16) pipelining.pop_front();
        Ask(d.port, foreign);
        return sent;
    });
    pipelining.clear();
    EXPECT_LE(lines, 2 * static_cast<std::size_t>(FloodTime().count()) + 4)
        << d.program.ReadError().substr(0, 2000);
    EXPECT_TRUE(d.ServesThePage()) << "the flood left it serving";
}

TEST(ClientBlackBox, AServerSendingGarbageWritesAtMostALineASecond) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    ProgramUnderTest program("[Opcions]\r\nTipusConexio=2\r\nIP=127.000.000.001\r\nPort=" +
                             std::to_string(server.serverPort()) + "\r\nScanTime=50\r\n");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(server.waitForNewConnection(20000)) << program.ReadError();
    std::unique_ptr<QTcpSocket> client(server.nextPendingConnection());
    QRandomGenerator random(15);
    QByteArray garbage(997, Qt::Uninitialized);
    const std::size_t lines =
        Flood(program, 1ms, "TCPClient_DataArrival", " bytes of garbage", [&] {
            for (char& b : garbage) b = static_cast<char>(random.bounded(256));
            client->write(garbage);
            client->waitForBytesWritten(50);
            return garbage.size();
        });
    EXPECT_GE(lines, 1u) << "garbage is reported";
    EXPECT_LE(lines, static_cast<std::size_t>(FloodTime().count()) + 2)
        << program.ReadError().substr(0, 2000);
}

TEST(DashboardBlackBox, APortAnotherProgramHoldsIsSaidOnceAtStart) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    const std::string port = std::to_string(holder.serverPort());
    ProgramUnderTest program("[Web]\r\nEnabled=1\r\nPort=" + port + "\r\n");
    ASSERT_TRUE(program.Start());
    const std::string said = "port " + port + " could not be opened";
    ASSERT_TRUE(program.WaitForError(said)) << program.ReadError();
    program.Pause(2s);
    EXPECT_EQ(program.ErrorLines(said), 1u) << program.ReadError();
    EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace kerbview::blackbox
