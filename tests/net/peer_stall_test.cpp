// SPDX-License-Identifier: MIT
#include "net/peer_stall.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace kerbview::net {
namespace {

// A server sends 100 bytes a second; each row is what the connection shows at second t.
TEST(PeerStall, DroppedOnlyAfterTenSecondsWithoutProgressWhileDataWaits) {
    using Figures = std::optional<TcpPeerFigures>;
    const auto sent = [](int t) { return std::uint64_t(100) * t; };
    struct Row {
        const char* what;
        std::function<TransferSample(int t)> at;
        int stallsAt;  // the first second that says stalled; -1 for none within a minute
    };
    const Row rows[] = {
        {"a reader: the window's edge moves on with each acknowledgement",
         [&](int t) {
             return TransferSample{0, 0, sent(t), TcpPeerFigures{sent(t), 65536}};
         },
         -1},
        {"nothing to send",
         [](int) {
             return TransferSample{0, 0, 0, TcpPeerFigures{0, 65536}};
         },
         -1},
        {"its system takes the data, its program none: the window shrinks",
         [&](int t) {
             return TransferSample{0, 0, sent(t), TcpPeerFigures{sent(t), 65536 - sent(t)}};
         },
         10},
        {"a closed window: the data waits unsent",
         [&](int t) {
             return TransferSample{0, 0, sent(t), TcpPeerFigures{0, 0}};
         },
         10},
        {"it reads once, just before the limit",
         [&](int t) {
             return TransferSample{
                 0, 0, sent(t), TcpPeerFigures{sent(t), t < 9 ? 4000 - sent(t) : 4100 - sent(t)}};
         },
         19},
        {"a reader that stops reading",
         [&](int t) {
             return TransferSample{0, 0, sent(t),
                                   TcpPeerFigures{sent(t), 65536 - sent(std::max(t - 20, 0))}};
         },
         30},
        {"no TCP state: the program's queue does not move",
         [](int) {
             return TransferSample{0, 500, 1000, Figures{}};
         },
         10},
        {"no TCP state: the queue drains",
         [&](int t) {
             return TransferSample{0, 500, sent(t), Figures{}};
         },
         -1},
        {"no TCP state, nothing queued",
         [](int) {
             return TransferSample{0, 0, 1000, Figures{}};
         },
         -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PeerStall stall;
        const std::int64_t start = 123456;
        stall.Start(start);
        int stalledAt = -1;
        for (int t = 0; t <= 60 && stalledAt < 0; ++t) {
            TransferSample sample = row.at(t);
            sample.timeMs = start + 1000 * t;
            if (stall.Stalled(sample)) stalledAt = t;
        }
        EXPECT_EQ(stalledAt, row.stallsAt);
        if (stalledAt >= 0) {
            EXPECT_EQ(stall.StalledForMs(), PeerStall::kLimitMs);
        }
    }
}

#ifdef _WIN32
using Descriptor = SOCKET;
void CloseSocket(Descriptor s) { ::closesocket(s); }
bool NotBlocking(Descriptor s) {
    u_long on = 1;
    return ::ioctlsocket(s, FIONBIO, &on) == 0;
}
#else
using Descriptor = int;
void CloseSocket(Descriptor s) { ::close(s); }
bool NotBlocking(Descriptor s) {
    int on = 1;
    return ::ioctl(s, FIONBIO, &on) == 0;
}
#endif

// The figures the system gives for a peer that does not read are its closed window at the
// bytes it took; once it reads, the window's edge moves on.
TEST(TcpState, PeerFiguresFollowWhatThePeerTakes) {
#ifdef _WIN32
    WSADATA wsa;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
#endif
    const Descriptor listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const Descriptor peer = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 2048;
    ::setsockopt(peer, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    ASSERT_EQ(::connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const Descriptor sender = ::accept(listener, nullptr, nullptr);
    ASSERT_TRUE(NotBlocking(sender) && NotBlocking(peer));

    const std::vector<char> data(4096, 'x');
    std::uint64_t handedOver = 0;
    for (int i = 0; i < 64; ++i) {
        const auto put = ::send(sender, data.data(), static_cast<int>(data.size()), 0);
        if (put > 0) handedOver += static_cast<std::uint64_t>(put);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::optional<TcpPeerFigures> full = PeerFigures(sender);
    if (!full) {
        GTEST_SKIP() << "this system tells nothing of a connection's peer (Wine answers "
                        "SIO_TCP_INFO with WSAEOPNOTSUPP)";
    }
    EXPECT_GT(full->acked, 0u);
    EXPECT_LT(full->acked, handedOver) << "the peer's system took everything";
    EXPECT_EQ(full->window, 0u);

    std::vector<char> sink(1 << 16);
    for (int i = 0; i < 20; ++i) {
        while (::recv(peer, sink.data(), static_cast<int>(sink.size()), 0) > 0) continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::optional<TcpPeerFigures> read = PeerFigures(sender);
    ASSERT_TRUE(read);
    EXPECT_GT(read->acked + read->window, full->acked + full->window);
    EXPECT_EQ(PeerFigures(-1), std::nullopt);
    CloseSocket(sender);
    CloseSocket(peer);
    CloseSocket(listener);
}

}  // namespace
}  // namespace kerbview::net
