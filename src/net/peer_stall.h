// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "net/tcp_state.h"

namespace kerbview::net {

/// One look at a connection's sending side, taken about once a second.
struct TransferSample {
    std::int64_t timeMs = 0;
    /// Bytes the program still holds for the peer, not yet handed to the system.
    std::uint64_t queued = 0;
    /// Bytes handed to the system since the connection began.
    std::uint64_t handedOver = 0;
    /// What the system tells of the peer; nullopt where it tells nothing.
    std::optional<TcpPeerFigures> tcp;
};

/// Decides when a connection's peer takes no data, so that it cannot hold the server's only
/// client slot. The peer's progress is the right edge of its receive window (acknowledged bytes
/// plus the window it offers): it moves on as the peer's program reads. A peer is stalled when
/// that edge has not moved for the limit while data waited for it (sent and not acknowledged,
/// or acknowledged by its system since the edge last moved, or still queued here). Where the
/// system tells nothing of the peer, progress is the program's own bytes going to the system,
/// and data waits while some are queued. A connection with nothing to send never stalls.
///
/// What this cannot see: a peer whose system keeps enlarging its receive buffer while its
/// program reads nothing offers an unchanged window, just as a reader does, until that buffer
/// is full.
class PeerStall {
public:
    /// Ten seconds without progress while data waits.
    static constexpr std::int64_t kLimitMs = 10000;
    /// How often a socket takes a look.
    static constexpr int kLookIntervalMs = 1000;

    /// A new connection, at timeMs.
    void Start(std::int64_t timeMs);
    /// Takes one look; true once the peer has taken no data for kLimitMs while data waited.
    bool Stalled(const TransferSample& sample);
    /// Why a stalled connection is dropped, with how long the peer had shown no progress while
    /// data waited, as of the last look: "the peer took no data for 10 s; dropped".
    std::string DropReason() const;

private:
    std::int64_t m_sinceMs = 0;  // the peer last made progress, or owed nothing
    std::int64_t m_lastMs = 0;
    std::optional<std::uint64_t> m_edge;  // furthest right edge of the peer's window seen
    std::uint64_t m_ackedAtProgress = 0;
    std::uint64_t m_handedOver = 0;
};

}  // namespace kerbview::net
