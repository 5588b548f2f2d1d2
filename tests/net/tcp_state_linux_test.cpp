// SPDX-License-Identifier: MIT
#include "net/tcp_state.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace kerbview::net {
namespace {

// The figures the system gives for a peer that does not read are its closed window at the
// bytes it took; once it reads, the window's edge moves on.
TEST(TcpState, PeerFiguresFollowWhatThePeerTakes) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int peer = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 2048;
    ::setsockopt(peer, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ASSERT_EQ(::connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const int sender = ::accept(listener, nullptr, nullptr);
    int on = 1;
    ASSERT_TRUE(::ioctl(sender, FIONBIO, &on) == 0 && ::ioctl(peer, FIONBIO, &on) == 0);

    const std::vector<char> data(4096, 'x');
    std::uint64_t handedOver = 0;
    for (int i = 0; i < 64; ++i) {
        const auto put = ::send(sender, data.data(), data.size(), 0);
        if (put > 0) handedOver += static_cast<std::uint64_t>(put);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::optional<TcpPeerFigures> full = PeerFigures(sender);
    ASSERT_TRUE(full) << "a kernel that does not report the peer's window (before 5.4)";
    EXPECT_GT(full->acked, 0u);
    EXPECT_LT(full->acked, handedOver) << "the peer's system took everything";
    EXPECT_EQ(full->window, 0u);

    std::vector<char> sink(1 << 16);
    for (int i = 0; i < 20; ++i) {
        while (::recv(peer, sink.data(), sink.size(), 0) > 0) continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::optional<TcpPeerFigures> read = PeerFigures(sender);
    ASSERT_TRUE(read);
    EXPECT_GT(read->acked + read->window, full->acked + full->window);
    EXPECT_EQ(PeerFigures(-1), std::nullopt);
    ::close(sender);
    ::close(peer);
    ::close(listener);
}

}  // namespace
}  // namespace kerbview::net
