// SPDX-License-Identifier: MIT
// The Qt socket adapter on 127.0.0.1: states, the three events, accept on the same object and
// the bounded connect.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <functional>

#include "net/qt/qt_socket.h"

namespace kerbview::net {
namespace {

bool Wait(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (done()) return true;
        QThread::msleep(2);
    }
    return false;
}

TEST(QtSocket, ServesOneClientOnTheListeningObjectWithEveryEvent) {
    QtSocket server(QHostAddress::LocalHost);
    QtSocket client(QHostAddress::LocalHost);
    int requests = 0, sent = 0;
    std::string received;
    server.setEvents({[&] {
                          ++requests;
                          server.close();
                          server.accept();
                      },
                      [&] { ++sent; },
                      {}});
    client.setEvents({{}, {}, [&] { received += client.readAll(); }});

    server.listen(0);
    ASSERT_EQ(server.state(), SocketState::Listening);
    client.connect("127.0.0.1", server.listeningPort());
    EXPECT_EQ(client.state(), SocketState::Connecting);
    ASSERT_TRUE(Wait([&] {
        return client.state() == SocketState::Connected && server.state() == SocketState::Connected;
    }));
    EXPECT_EQ(requests, 1);

    const std::string bytes("000008\0\xFF", 8);
    server.send(bytes);
    ASSERT_TRUE(Wait([&] { return received == bytes && sent == 1; }));

    client.close();
    ASSERT_TRUE(Wait([&] { return server.state() == SocketState::Other; }));
    EXPECT_THROW(server.send("x"), SocketError);
    EXPECT_EQ(client.state(), SocketState::Closed);
}

// A listener whose accept queue is full drops further connection attempts unanswered, which is
// what an unreachable address looks like.
TEST(QtSocket, UnansweredConnectEndsInOtherAfterTheTimeout) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ASSERT_EQ(::listen(fd, 0), 0);
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    const quint16 port = ntohs(addr.sin_port);

    std::vector<std::unique_ptr<QtSocket>> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(std::make_unique<QtSocket>(QHostAddress::LocalHost));
        fillers.back()->connect("127.0.0.1", port);
    }
    Wait([] { return false; }, 300);
    QtSocket client(QHostAddress::LocalHost);
    client.connect("127.0.0.1", port);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(Wait([&] { return client.state() != SocketState::Connecting; }, 10000));
    const qint64 waited = clock.elapsed();
    ::close(fd);
    if (waited < 1000) GTEST_SKIP() << "the kernel answered the connect; no unanswered case here";
    EXPECT_EQ(client.state(), SocketState::Other);
}

}  // namespace
}  // namespace kerbview::net
