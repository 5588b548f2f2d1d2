// SPDX-License-Identifier: MIT
#include "net/peer_stall.h"

namespace kerbview::net {

void PeerStall::Start(std::int64_t timeMs) {
    *this = PeerStall{};
    m_sinceMs = m_lastMs = timeMs;
}

bool PeerStall::Stalled(const TransferSample& s) {
    m_lastMs = s.timeMs;
    bool progress = false;
    bool waits = s.queued > 0;
    if (s.tcp) {
        const std::uint64_t edge = s.tcp->acked + s.tcp->window;
        progress = !m_edge || edge > *m_edge;
        if (progress) {
            m_edge = edge;
            m_ackedAtProgress = s.tcp->acked;
        }
        waits = waits || s.handedOver > s.tcp->acked || s.tcp->acked > m_ackedAtProgress;
    } else {
        progress = s.handedOver > m_handedOver;
    }
    m_handedOver = s.handedOver;
    if (progress || !waits) {
        m_sinceMs = s.timeMs;
    }
    return s.timeMs - m_sinceMs >= kLimitMs;
}

std::string PeerStall::DropReason() const {
    return "the peer took no data for " + std::to_string((m_lastMs - m_sinceMs) / 1000) +
           " s; dropped";
}

}  // namespace kerbview::net
