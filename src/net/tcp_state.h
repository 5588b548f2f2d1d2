// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

namespace kerbview::net {

/// What the system's TCP layer tells of how far a connection's peer has taken the data sent to
/// it, in bytes.
struct TcpPeerFigures {
    /// Data sent on the connection and acknowledged by the peer's system, since it began.
    std::uint64_t acked = 0;
    /// The receive window the peer's system last advertised: how much more it takes now.
    std::uint64_t window = 0;

    bool operator==(const TcpPeerFigures&) const = default;
};

/// The figures of the connected TCP socket `descriptor` (a file descriptor, or a SOCKET on
/// Windows); nullopt when the system does not tell them (Linux before the peer's window was
/// reported, Windows before version 10 1703, Wine). Never throws.
std::optional<TcpPeerFigures> PeerFigures(std::intptr_t descriptor);

}  // namespace kerbview::net
