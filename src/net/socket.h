// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kerbview::net {

/// The states the role logic tells apart; every other state of a real socket (open, connection
/// pending, resolving, closing, error, closed by the peer) is Other.
enum class SocketState { Closed, Listening, Connecting, Connected, Other };

/// An operation the socket could not start: listening on a port in use or not allowed, sending
/// when not connected, an out-of-range port.
class SocketError : public std::runtime_error {
public:
    enum class Kind {
        PermissionDenied,  ///< the system refused the port (below 1024 without privileges)
        AddressInUse,      ///< another program listens on the port
        Other,
    };
    explicit SocketError(const std::string& what, Kind kind = Kind::Other)
        : std::runtime_error(what), m_kind(kind) {}
    Kind ErrorKind() const { return m_kind; }

private:
    Kind m_kind;
};

/// How long a connect may go unanswered before the socket ends it in the Other state.
inline constexpr int kConnectTimeoutMs = 3000;
/// The system's send buffer of a connection: a few seconds of packets at the fastest scan, so
/// that where the system tells nothing of the peer, one that takes nothing stalls the program's
/// own queue soon (PeerStall).
inline constexpr int kSendBufferBytes = 64 * 1024;

/// The events a socket reports, delivered on the thread that runs the scan, one at a time.
struct SocketEvents {
    /// A client wants to connect while this socket listens. The handler may call accept().
    std::function<void()> connectionRequest;
    /// Everything queued by send() has been sent.
    std::function<void()> sendComplete;
    /// Received bytes are waiting for readAll().
    std::function<void()> dataArrival;
    /// The socket ended a connection of its own accord (a peer that took no data for too long,
    /// or vanished without closing); the state is Other from now on. The text says why.
    std::function<void(const std::string& reason)> connectionDropped;
};

/// A TCP socket object as the roles use it: one object can listen, accept a request on itself,
/// connect, send and receive. Implementations own their operating-system resources.
class Socket {
public:
    virtual ~Socket() = default;

    virtual SocketState state() const = 0;
    /// Closes whatever is open (listener and connection); the state becomes Closed.
    virtual void close() = 0;
    /// Starts listening on all local addresses on port. Throws SocketError when it cannot.
    virtual void listen(std::int32_t port) = 0;
    /// Takes over the connection whose request is being handled; the state becomes Connected.
    /// Only meaningful inside the connectionRequest event; throws SocketError when there is none.
    virtual void accept() = 0;
    /// Starts connecting to an IPv4 dotted address; the state becomes Connecting, then
    /// Connected, or Other when refused or unanswered for kConnectTimeoutMs. Throws SocketError
    /// for a port outside 0..65535.
    virtual void connect(const std::string& host, std::int32_t port) = 0;
    /// Queues bytes for sending unchanged. Throws SocketError when not connected.
    virtual void send(std::string_view bytes) = 0;
    /// All received bytes not read yet; empty when there are none.
    virtual std::string readAll() = 0;
    /// Where events go; replaces any earlier handlers.
    virtual void setEvents(SocketEvents events) = 0;
};

}  // namespace kerbview::net
