// SPDX-License-Identifier: MIT
#include "frontends/win32/winsock_socket.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>

#include "frontends/win32/message_only_window.h"
#include "frontends/win32/wide_text.h"
#include "net/tcp_keepalive.h"
#include "net/tcp_state.h"

namespace kerbview::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"KerbviewWinsockSocket";
// Message ids: one asks for the send queue to be handed over; every socket reports under an id
// of its own from the rest of the application range.
constexpr UINT kFlushMessage = WM_APP;
constexpr UINT kFirstSocketMessage = WM_APP + 1;
constexpr UINT kLastSocketMessage = 0xBFFF;
constexpr UINT_PTR kConnectTimer = 1;
constexpr UINT_PTR kStallTimer = 2;

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What the program reports of a Winsock error where the system has no text for it (Wine).
const char* ErrorName(int error) {
    switch (error) {
        case WSAEACCES: return "Permission denied";
        case WSAEADDRINUSE: return "Address already in use";
        case WSAETIMEDOUT: return "Connection timed out";
        case WSAENETRESET: return "Connection ended by the network";
        case WSAECONNABORTED: return "Connection aborted";
        case WSAENETDOWN: return "Network is down";
        case WSAENETUNREACH: return "Network is unreachable";
        case WSAEHOSTUNREACH: return "Host is unreachable";
        default: return "Winsock error";
    }
}

// The system's text for a Winsock error, in the program's Windows-1252.
std::string ErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result = length > 0 ? Narrow(std::wstring_view(text, length)) : std::string();
    ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    return (result.empty() ? ErrorName(error) : result) + " (" + std::to_string(error) + ")";
}

net::SocketError::Kind KindOf(int error) {
    switch (error) {
        case WSAEACCES: return net::SocketError::Kind::PermissionDenied;
        case WSAEADDRINUSE: return net::SocketError::Kind::AddressInUse;
        default: return net::SocketError::Kind::Other;
    }
}

// A peer that closes or resets is normal; a connection that the system ended because the peer
// stopped answering (keepalive, retransmission) or the network went away is dropped with a
// reason.
bool EndedBySystem(int error) {
    switch (error) {
        case WSAETIMEDOUT:
        case WSAENETRESET:
        case WSAECONNABORTED:
        case WSAENETDOWN:
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH: return true;
        default: return false;
    }
}

}  // namespace

WinsockSocket::WinsockSocket() : WinsockSocket(htonl(INADDR_ANY)) {}

WinsockSocket::WinsockSocket(std::uint32_t listenAddress) : m_listenAddress(listenAddress) {
    // Winsock counts WSAStartup calls itself: each object holds one until it is destroyed.
    WSADATA data;
    if (const int error = ::WSAStartup(MAKEWORD(2, 2), &data); error != 0) {
        throw net::SocketError("WSAStartup: " + ErrorText(error));
    }
    m_window = CreateMessageOnlyWindow(kWindowClass, &WinsockSocket::WindowProc, this);
    if (m_window == nullptr) {
        const DWORD error = ::GetLastError();
        ::WSACleanup();
        throw net::SocketError("socket window: " + ErrorText(static_cast<int>(error)));
    }
}

WinsockSocket::~WinsockSocket() {
    *m_alive = false;
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    DropPending();
    DropConnection();
    if (m_listener != INVALID_SOCKET) ::closesocket(m_listener);
    ::DestroyWindow(m_window);
    ::WSACleanup();
}

LRESULT CALLBACK WinsockSocket::WindowProc(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WinsockSocket*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (id == WM_TIMER || (id >= kFlushMessage && id <= kLastSocketMessage))) {
        self->Deliver({id, wParam, lParam});
        return 0;
    }
    return ::DefWindowProcW(window, id, wParam, lParam);
}

// A handler that pumps messages (a modal box) would otherwise be entered again: what comes
// meanwhile waits, in order, until it returns. A handler may destroy this object.
void WinsockSocket::Deliver(const Message& message) {
    if (m_busy) {
        if (std::find(m_deferred.begin(), m_deferred.end(), message) == m_deferred.end()) {
            m_deferred.push_back(message);
        }
        return;
    }
    const std::shared_ptr<bool> alive = m_alive;
    m_busy = true;
    Handle(message);
    while (*alive && !m_deferred.empty()) {
        const Message next = m_deferred.front();
        m_deferred.pop_front();
        Handle(next);
    }
    if (*alive) m_busy = false;
}

void WinsockSocket::Handle(const Message& message) {
    if (message.id == WM_TIMER) {
        if (message.wParam == kConnectTimer) OnConnectTimeout();
        if (message.wParam == kStallTimer) CheckStall();
    } else if (message.id == kFlushMessage) {
        if (message.wParam == m_connectionMessage && m_connection != INVALID_SOCKET) {
            m_flushPosted = false;
            OnConnectionEvent(FD_WRITE, 0);
        }
    } else if (message.id == m_listenerMessage && m_listener != INVALID_SOCKET) {
        if (WSAGETSELECTEVENT(message.lParam) == FD_ACCEPT) OnAccept();
    } else if (message.id == m_connectionMessage && m_connection != INVALID_SOCKET) {
        OnConnectionEvent(WSAGETSELECTEVENT(message.lParam), WSAGETSELECTERROR(message.lParam));
    }
}

UINT WinsockSocket::NextMessageId() {
    m_lastMessage = m_lastMessage >= kFirstSocketMessage && m_lastMessage < kLastSocketMessage
                        ? m_lastMessage + 1
                        : kFirstSocketMessage;
    return m_lastMessage;
}

net::SocketState WinsockSocket::state() const {
    if (m_listener != INVALID_SOCKET) return net::SocketState::Listening;
    if (m_failed) return net::SocketState::Other;
    if (m_connection == INVALID_SOCKET) return net::SocketState::Closed;
    return m_connecting ? net::SocketState::Connecting : net::SocketState::Connected;
}

void WinsockSocket::close() {
    if (m_listener != INVALID_SOCKET) {
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        m_listenerMessage = 0;
    }
    DropConnection();
    m_failed = false;
}

void WinsockSocket::listen(std::int32_t port) {
    if (port < 0 || port > 65535) throw net::SocketError("port outside 0..65535");
    close();
    DropPending();
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) throw net::SocketError(ErrorText(::WSAGetLastError()));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = m_listenAddress;
    address.sin_port = htons(static_cast<u_short>(port));
    const BOOL exclusive = TRUE;
    const UINT message = NextMessageId();
    if (::setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                     reinterpret_cast<const char*>(&exclusive), sizeof exclusive) != 0 ||
        ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, SOMAXCONN) != 0 ||
        ::WSAAsyncSelect(listener, m_window, message, FD_ACCEPT) != 0) {
        const int error = ::WSAGetLastError();
        ::closesocket(listener);
        throw net::SocketError(ErrorText(error), KindOf(error));
    }
    m_listener = listener;
    m_listenerMessage = message;
}

void WinsockSocket::OnAccept() {
    const std::shared_ptr<bool> alive = m_alive;
    while (m_listener != INVALID_SOCKET) {
        const SOCKET socket = ::accept(m_listener, nullptr, nullptr);
        if (socket == INVALID_SOCKET) return;
        DropPending();
        m_pending = socket;
        if (const auto handler = m_events.connectionRequest) handler();
        if (!*alive) return;
        DropPending();  // not accepted: refused
    }
}

void WinsockSocket::accept() {
    if (m_pending == INVALID_SOCKET) throw net::SocketError("no connection request to accept");
    const SOCKET socket = std::exchange(m_pending, INVALID_SOCKET);
    DropConnection();
    m_failed = false;
    Adopt(socket);
}

void WinsockSocket::Adopt(SOCKET socket) {
    m_connection = socket;
    m_connectionMessage = NextMessageId();
    // An accepted socket reported under its listener's id until now.
    ::WSAAsyncSelect(socket, m_window, m_connectionMessage,
                     FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
    const int sendBuffer = net::kSendBufferBytes;
    ::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer),
                 sizeof sendBuffer);
    // A peer that vanished without closing is noticed within seconds, not hours.
    net::EnableKeepAlive(static_cast<std::intptr_t>(socket));
    m_handedOver = 0;
    m_stall.Start(NowMs());
    ::SetTimer(m_window, kStallTimer, net::PeerStall::kLookIntervalMs, nullptr);
}

void WinsockSocket::connect(const std::string& host, std::int32_t port) {
    if (port < 0 || port > 65535) throw net::SocketError("port outside 0..65535");
    close();
    DropPending();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 || socket == INVALID_SOCKET) {
        // No IPv4 address: a connect that fails at once.
        if (socket != INVALID_SOCKET) ::closesocket(socket);
        m_failed = true;
        return;
    }
    Adopt(socket);
    m_connecting = true;
    m_connectDeadlineMs = NowMs() + net::kConnectTimeoutMs;
    ::SetTimer(m_window, kConnectTimer, net::kConnectTimeoutMs, nullptr);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        ::WSAGetLastError() != WSAEWOULDBLOCK) {
        DropConnection();
        m_failed = true;
    }
}

void WinsockSocket::OnConnectTimeout() {
    // A timer message of an earlier connect may still be queued; the timer's own coarse clock
    // may end it a little before the deadline.
    if (!m_connecting || NowMs() + 500 < m_connectDeadlineMs) return;
    DropConnection();
    m_failed = true;
}

void WinsockSocket::OnConnectionEvent(WORD event, WORD error) {
    const std::shared_ptr<bool> alive = m_alive;
    const UINT connection = m_connectionMessage;
    switch (event) {
        case FD_CONNECT:
            if (!m_connecting) return;
            ::KillTimer(m_window, kConnectTimer);
            m_connecting = false;
            if (error != 0) {
                DropConnection();
                m_failed = true;
                return;
            }
            net::EnableKeepAlive(static_cast<std::intptr_t>(m_connection));
            m_stall.Start(NowMs());
            return;
        case FD_READ:
            // Also after the peer closed: what it sent before is still read.
            if (const auto handler = m_events.dataArrival) handler();
            return;
        case FD_WRITE: {
            if (m_connecting || m_failed) return;
            const std::uint64_t before = m_handedOver;
            if (const int failure = Flush(); failure != 0) {
                Fail(failure);
            } else if (m_handedOver > before && m_queue.size() == m_queueStart) {
                if (const auto handler = m_events.sendComplete) handler();
            }
            return;
        }
        case FD_CLOSE: {
            if (m_failed) return;
            // The last bytes before the peer closed are still there to be read.
            u_long waiting = 0;
            if (::ioctlsocket(m_connection, FIONREAD, &waiting) == 0 && waiting > 0) {
                if (const auto handler = m_events.dataArrival) handler();
                if (!*alive || m_connectionMessage != connection || m_failed) return;
            }
            Fail(error);
            return;
        }
        default: return;
    }
}

int WinsockSocket::Flush() {
    while (m_queueStart < m_queue.size()) {
        const std::size_t length = std::min<std::size_t>(m_queue.size() - m_queueStart, INT_MAX);
        const int sent =
            ::send(m_connection, m_queue.data() + m_queueStart, static_cast<int>(length), 0);
        if (sent == SOCKET_ERROR) {
            const int error = ::WSAGetLastError();
            return error == WSAEWOULDBLOCK ? 0 : error;
        }
        m_queueStart += static_cast<std::size_t>(sent);
        m_handedOver += static_cast<std::uint64_t>(sent);
    }
    m_queue.clear();
    m_queueStart = 0;
    return 0;
}

// The connection ended without close(): it stays in the Other state, its last bytes readable,
// until the owner closes it.
void WinsockSocket::Fail(int error) {
    m_failed = true;
    ::KillTimer(m_window, kStallTimer);
    m_queue.clear();
    m_queueStart = 0;
    if (EndedBySystem(error)) {
        if (const auto handler = m_events.connectionDropped) handler(ErrorText(error));
    }
}

void WinsockSocket::CheckStall() {
    if (m_connection == INVALID_SOCKET || m_connecting || m_failed) return;
    const net::TransferSample sample{NowMs(), m_queue.size() - m_queueStart, m_handedOver,
                                     net::PeerFigures(static_cast<std::intptr_t>(m_connection))};
    if (m_stall.Stalled(sample)) {
        DropConnection();
        m_failed = true;
        if (const auto handler = m_events.connectionDropped) handler(m_stall.DropReason());
    }
}

void WinsockSocket::send(std::string_view bytes) {
    if (m_connection == INVALID_SOCKET || m_connecting || m_failed) {
        throw net::SocketError("send while not connected");
    }
    if (m_queue.size() - m_queueStart + bytes.size() > kSendQueueBytes) {
        throw net::SocketError("send queue full: the peer takes too little");
    }
    if (m_queueStart > 0) {
        m_queue.erase(0, m_queueStart);
        m_queueStart = 0;
    }
    m_queue.append(bytes);
    // Handed over from the message loop, so that sendComplete never comes inside send().
    if (!m_flushPosted) {
        m_flushPosted = ::PostMessageW(m_window, kFlushMessage, m_connectionMessage, 0) != 0;
    }
}

std::string WinsockSocket::readAll() {
    std::string data;
    if (m_connection == INVALID_SOCKET || m_connecting) return data;
    char chunk[8192];
    while (data.size() < kReadBufferBytes) {
        const int want = static_cast<int>(std::min(sizeof chunk, kReadBufferBytes - data.size()));
        const int got = ::recv(m_connection, chunk, want, 0);
        if (got <= 0) break;
        data.append(chunk, static_cast<std::size_t>(got));
    }
    return data;
}

void WinsockSocket::setEvents(net::SocketEvents events) { m_events = std::move(events); }

std::uint16_t WinsockSocket::ListeningPort() const {
    sockaddr_in address{};
    int length = sizeof address;
    if (m_listener == INVALID_SOCKET ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

void WinsockSocket::DropConnection() {
    ::KillTimer(m_window, kConnectTimer);
    ::KillTimer(m_window, kStallTimer);
    m_connecting = false;
    m_queue.clear();
    m_queueStart = 0;
    m_flushPosted = false;
    m_connectionMessage = 0;
    if (m_connection == INVALID_SOCKET) return;
    ::closesocket(std::exchange(m_connection, INVALID_SOCKET));
}

void WinsockSocket::DropPending() {
    if (m_pending == INVALID_SOCKET) return;
    ::closesocket(std::exchange(m_pending, INVALID_SOCKET));
}

}  // namespace kerbview::win32
