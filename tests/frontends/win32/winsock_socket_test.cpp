// SPDX-License-Identifier: MIT
// The Winsock socket on 127.0.0.1, its events pumped from this thread's message queue.
#include "frontends/win32/winsock_socket.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kerbview::win32 {
namespace {

using net::SocketState;
const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Dispatches this thread's messages until done() or the time limit.
bool Pump(const std::function<bool()>& done, ULONGLONG limitMs = 5000) {
    for (const ULONGLONG end = ::GetTickCount64() + limitMs; !done();) {
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
    }
    return true;
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = kLoopback;
    address.sin_port = htons(port);
    return address;
}

// A plain listener of the test's own on a free port: it accepts only when the test does.
SOCKET RawListener(int backlog, std::uint16_t& port) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(s, backlog);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return s;
}

net::SocketEvents OnDataArrival(std::function<void()> handler) {
    net::SocketEvents events;
    events.dataArrival = std::move(handler);
    return events;
}

// A server as the roles run one: it stops listening to accept, and is ready for the next packet
// once the last one was handed over.
struct Server {
    WinsockSocket socket{kLoopback};
    bool ready = true;
    std::string dropped;
    Server() {
        socket.setEvents({.connectionRequest = [this] { socket.close(), socket.accept(); },
                          .sendComplete = [this] { ready = true; },
                          .dataArrival = {},
                          .connectionDropped = [this](const std::string& why) { dropped = why; }});
        socket.listen(0);
    }
};

TEST(WinsockSocket, LargePacketsArriveWholeInOrder) {
    Server server;
    WinsockSocket client(kLoopback);
    std::string received;
    std::size_t largestRead = 0;
    client.setEvents(OnDataArrival([&] {
        const std::string data = client.readAll();
        largestRead = std::max(largestRead, data.size());
        received += data;
    }));
    client.connect("127.0.0.1", server.socket.ListeningPort());
    ASSERT_TRUE(Pump([&] { return server.socket.state() == SocketState::Connected; }));

    // Six bursts of seven of the longest packets, more than the system takes at once, each byte
    // telling its place; the server closes right after the last is handed over, and the client
    // still gets every byte.
    const std::size_t kPacket = 32766;
    std::string sent(6 * 7 * kPacket, '\0');
    for (std::size_t j = 0; j < sent.size(); ++j) sent[j] = char(j / kPacket + j % kPacket * 7);
    for (std::size_t burst = 0; burst < 6; ++burst) {
        ASSERT_TRUE(Pump([&] { return server.ready; })) << "burst " << burst;
        server.ready = false;
        for (std::size_t at = burst * 7 * kPacket; at < (burst + 1) * 7 * kPacket; at += kPacket) {
            server.socket.send(std::string_view(sent).substr(at, kPacket));
        }
    }
    ASSERT_TRUE(Pump([&] { return server.ready; }));
    EXPECT_THROW(server.socket.send(std::string(WinsockSocket::kSendQueueBytes + 1, 'x')),
                 net::SocketError)
        << "more than the send queue holds";
    server.socket.close();
    ASSERT_TRUE(Pump([&] { return client.state() == SocketState::Other; }));
    ASSERT_TRUE(Pump([&] { return received.size() >= sent.size(); }, 2000)) << received.size();
    EXPECT_TRUE(received == sent) << "bytes lost, doubled or out of order";
    EXPECT_LE(largestRead, WinsockSocket::kReadBufferBytes);
    EXPECT_THROW(client.send("x"), net::SocketError) << "after the peer closed";
}

TEST(WinsockSocket, PortInUseRefusedOrUnansweredConnectAndSendWithoutPeerAreFailures) {
    Server first;
    const std::uint16_t port = first.socket.ListeningPort();
    WinsockSocket socket(kLoopback);
    try {
        socket.listen(port);
        ADD_FAILURE() << "listened on a port in use";
    } catch (const net::SocketError& e) {
        EXPECT_EQ(e.ErrorKind(), net::SocketError::Kind::AddressInUse) << e.what();
    }
    EXPECT_THROW(socket.send("x"), net::SocketError) << "never connected";

    first.socket.close();
    socket.connect("127.0.0.1", port);
    EXPECT_EQ(socket.state(), SocketState::Connecting);
    const ULONGLONG start = ::GetTickCount64();
    ASSERT_TRUE(Pump([&] { return socket.state() != SocketState::Connecting; }));
    EXPECT_EQ(socket.state(), SocketState::Other) << "refused";
    EXPECT_LT(::GetTickCount64() - start, 2000u) << "a refusal is not a timeout";

    // A listener whose accept queue is full leaves further connects unanswered.
    std::uint16_t fullPort = 0;
    const SOCKET full = RawListener(0, fullPort);
    WinsockSocket fillers[3];
    for (WinsockSocket& filler : fillers) filler.connect("127.0.0.1", fullPort);
    Pump([] { return false; }, 300);
    socket.connect("127.0.0.1", fullPort);
    const ULONGLONG begun = ::GetTickCount64();
    ASSERT_TRUE(Pump([&] { return socket.state() != SocketState::Connecting; }, 10000));
    const ULONGLONG waited = ::GetTickCount64() - begun;
    ::closesocket(full);
    if (waited < 1000) GTEST_SKIP() << "the system answered the connect; no unanswered case";
    EXPECT_EQ(socket.state(), SocketState::Other);
    EXPECT_LT(waited, net::kConnectTimeoutMs + 1000u);
}

TEST(WinsockSocket, PeerThatReadsNothingIsDroppedWithTheStallReason) {
    Server server;
    // A peer with a receive buffer of a few kB, whose program reads nothing.
    const SOCKET idle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const int small = 2048;
    ::setsockopt(idle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    const sockaddr_in address = Loopback(server.socket.ListeningPort());
    ASSERT_EQ(::connect(idle, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::string packet(8000, 'x');
    EXPECT_TRUE(Pump(
        [&] {
            if (server.ready && server.socket.state() == SocketState::Connected) {
                server.ready = false;
                server.socket.send(packet);
            }
            return !server.dropped.empty();
        },
        20000));
    // Ten or eleven seconds, as the looks a second apart fall.
    EXPECT_TRUE(server.dropped.starts_with("the peer took no data for 1") &&
                server.dropped.ends_with(" s; dropped"))
        << server.dropped;
    EXPECT_EQ(server.socket.state(), SocketState::Other);
    ::closesocket(idle);
}

// A handler that waits in a modal loop, then closes and connects again, while its connection's
// further data and close are queued: none of that may reach it, nested or afterwards.
TEST(WinsockSocket, HandlerThatPumpsAndReconnectsGetsNothingOfTheOldConnection) {
    WinsockSocket client(kLoopback);
    std::uint16_t port = 0;
    const SOCKET listener = RawListener(4, port);
    SOCKET peer = INVALID_SOCKET;
    int arrivals = 0;
    client.setEvents(OnDataArrival([&] {
        ++arrivals;
        client.readAll();
        ::send(peer, "more", 4, 0);
        ::closesocket(peer);
        Pump([] { return false; }, 300);
        client.close();
        client.connect("127.0.0.1", port);
    }));
    client.connect("127.0.0.1", port);
    ASSERT_TRUE(Pump([&] { return client.state() == SocketState::Connected; }));
    peer = ::accept(listener, nullptr, nullptr);
    ::send(peer, "first", 5, 0);
    Pump([] { return false; }, 800);
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(client.state(), SocketState::Connected);
    ::closesocket(listener);
}

}  // namespace
}  // namespace kerbview::win32
