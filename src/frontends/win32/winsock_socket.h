// SPDX-License-Identifier: MIT
#pragma once

#include <winsock2.h>
// After winsock2.h, which must come first.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "net/peer_stall.h"
#include "net/socket.h"

namespace kerbview::win32 {

/// net::Socket on Winsock: events through WSAAsyncSelect into a message-only window of its own,
/// delivered on the thread that runs the message loop. WSAStartup/WSACleanup are its own.
///
/// Listening binds with SO_EXCLUSIVEADDRUSE, so no other program can take the port over. A
/// connection request hands the accepted connection to the event handler, whose accept() makes
/// it this object's connection (the handler closes the listener first, so one client is served
/// at a time). connect() ends in the Other state when refused or unanswered within
/// net::kConnectTimeoutMs. Sends are queued and handed to the system as it takes them; a peer
/// that takes nothing is dropped (net::PeerStall).
///
/// Events reach the handlers one at a time: one that comes while a handler runs (a handler that
/// pumps messages) waits until it returns. A handler may close, listen, connect or send on this
/// object, or destroy it; events of a connection closed meanwhile are not delivered.
class WinsockSocket final : public net::Socket {
public:
    /// Listens on all local addresses.
    WinsockSocket();
    /// listenAddress: the IPv4 address listen() binds, in network byte order.
    explicit WinsockSocket(std::uint32_t listenAddress);
    ~WinsockSocket() override;
    WinsockSocket(const WinsockSocket&) = delete;
    WinsockSocket& operator=(const WinsockSocket&) = delete;

    /// Most bytes one readAll() returns; further bytes wait in the system.
    static constexpr std::size_t kReadBufferBytes = 65536;
    /// Most bytes the program's own send queue holds: eight of the longest packets.
    static constexpr std::size_t kSendQueueBytes = 8 * 32768;

    net::SocketState state() const override;
    void close() override;
    void listen(std::int32_t port) override;
    void accept() override;
    void connect(const std::string& host, std::int32_t port) override;
    void send(std::string_view bytes) override;
    std::string readAll() override;
    void setEvents(net::SocketEvents events) override;

    /// The port the listener is bound to (useful when listening on port 0); 0 when not listening.
    std::uint16_t ListeningPort() const;

private:
    struct Message {
        UINT id;
        WPARAM wParam;
        LPARAM lParam;
        bool operator==(const Message&) const = default;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT id, WPARAM wParam, LPARAM lParam);
    void Deliver(const Message& message);
    void Handle(const Message& message);
    void OnAccept();
    void OnConnectionEvent(WORD event, WORD error);
    void OnConnectTimeout();
    void CheckStall();
    // Hands queued bytes to the system; 0, or the Winsock error that ended the connection.
    int Flush();
    void Fail(int error);
    void Adopt(SOCKET socket);
    void DropConnection();
    void DropPending();
    UINT NextMessageId();

    std::uint32_t m_listenAddress;
    HWND m_window = nullptr;
    SOCKET m_listener = INVALID_SOCKET;
    UINT m_listenerMessage = 0;
    SOCKET m_pending = INVALID_SOCKET;  // the request being handled
    SOCKET m_connection = INVALID_SOCKET;
    // Each socket reports under a message id of its own, so that a message a closed socket left
    // in the queue never passes for one of its successor's.
    UINT m_connectionMessage = 0;
    UINT m_lastMessage = 0;
    bool m_connecting = false;
    bool m_failed = false;  // the connection ended without close(): state Other
    std::int64_t m_connectDeadlineMs = 0;
    std::string m_queue;  // bytes for the peer from m_queueStart on
    std::size_t m_queueStart = 0;
    bool m_flushPosted = false;
    std::uint64_t m_handedOver = 0;  // bytes of the connection handed to the system
    // Every look interval the connection's figures go to the rule that tells a peer taking no
    // data (one that cannot hold the server's only client slot then).
    net::PeerStall m_stall;
    net::SocketEvents m_events;
    bool m_busy = false;  // a message is being handled
    std::deque<Message> m_deferred;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace kerbview::win32
