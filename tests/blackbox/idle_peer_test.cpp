// SPDX-License-Identifier: MIT
// A peer that connects to a server and never reads must not keep the real client out: the
// server at a 500 ms scan, a peer with a small receive buffer that takes the client slot and
// reads nothing, then a client that must be served within the time the README promises.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "program_under_test.h"

namespace kerbview::blackbox {
namespace {

// A connection to 127.0.0.1:port that reads nothing, with a receive buffer of a few kB (its
// system then cannot take more than that for it); -1 when nothing accepted it.
int ConnectIdlePeer(quint16 port) {
    const int peer = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 2048;
    ::setsockopt(peer, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return peer;
    ::close(peer);
    return -1;
}

// Whether a client connecting now gets a packet (a six-digit header) within a second.
bool Served(quint16 port) {
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    if (!client.waitForConnected(1000)) return false;
    QByteArray got;
    while (got.size() < 7 && client.waitForReadyRead(1000)) got += client.readAll();
    return got.size() >= 7 &&
           got.left(6).toStdString().find_first_not_of("0123456789") == std::string::npos;
}

TEST(IdlePeer, RealClientIsServedWithinAMinuteAtAHalfSecondScan) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    const quint16 port = FreePort();
    ProgramUnderTest program("[Opcions]\r\nTipusConexio=1\r\nPort=" + std::to_string(port) +
                             "\r\nScanTime=500\r\n");
    ASSERT_TRUE(program.Start());
    int idle = -1;
    for (auto end = Clock::now() + 30s; idle < 0 && Clock::now() < end; program.Pause(100ms)) {
        idle = ConnectIdlePeer(port);
    }
    ASSERT_GE(idle, 0) << "the server never listened: " << program.ReadError();
    const auto taken = Clock::now();
    // The peer holds the slot: it is sent packets, and a client is turned away meanwhile.
    program.Pause(1500ms);
    int waiting = 0;
    ::ioctl(idle, FIONREAD, &waiting);
    EXPECT_GT(waiting, 0) << "the idle peer was not served";
    EXPECT_FALSE(Served(port)) << "the idle peer did not hold the slot";

    bool served = false;
    while (!served && Clock::now() - taken < 60s) {
        if (!(served = Served(port))) program.Pause(500ms);
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - taken);
    EXPECT_TRUE(served) << "still refused " << seconds.count() << " s after the idle peer came";
    EXPECT_TRUE(program.WaitForError("took no data", 5s)) << program.ReadError();
    RecordProperty("served_after_s", static_cast<int>(seconds.count()));
    ::close(idle);
}

}  // namespace
}  // namespace kerbview::blackbox
