// SPDX-License-Identifier: MIT
#include "net/peer_stall.h"

#include <gtest/gtest.h>

#include <functional>

namespace kerbview::net {
namespace {

// What the system tells: bytes handed to it, acknowledged by the peer, and the peer's window.
TransferSample Tcp(std::uint64_t handedOver, std::uint64_t acked, std::uint64_t window) {
    return {0, 0, handedOver, TcpPeerFigures{acked, window}};
}
// Where it tells nothing: only the program's own queue and what left it.
TransferSample Own(std::uint64_t queued, std::uint64_t handedOver) {
    return {0, queued, handedOver, std::nullopt};
}

// A server sends 100 bytes a second; each row is what the connection shows at second t.
TEST(PeerStall, DroppedOnlyAfterTenSecondsWithoutProgressWhileDataWaits) {
    struct Row {
        const char* what;
        std::function<TransferSample(std::uint64_t t)> at;
        int stallsAt;  // the first second that says stalled; -1 for none within a minute
    };
    const Row rows[] = {
        {"a reader: the edge moves on", [](auto t) { return Tcp(100 * t, 100 * t, 65536); }, -1},
        {"nothing to send", [](auto) { return Tcp(0, 0, 65536); }, -1},
        {"its system takes the data, its program none",
         [](auto t) { return Tcp(100 * t, 100 * t, 65536 - 100 * t); }, 10},
        {"a closed window, the data unsent", [](auto t) { return Tcp(100 * t, 0, 0); }, 10},
        {"it reads once, just before the limit",
         [](auto t) { return Tcp(100 * t, 100 * t, (t < 9 ? 4000 : 4100) - 100 * t); }, 19},
        {"no TCP state: the queue does not move", [](auto) { return Own(500, 1000); }, 10},
        {"no TCP state: the queue drains", [](auto t) { return Own(500, 100 * t); }, -1},
        {"no TCP state, nothing queued", [](auto) { return Own(0, 1000); }, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PeerStall stall;
        const std::int64_t start = 123456;
        stall.Start(start);
        int stalledAt = -1;
        for (int t = 0; t <= 60 && stalledAt < 0; ++t) {
            TransferSample sample = row.at(static_cast<std::uint64_t>(t));
            sample.timeMs = start + 1000 * t;
            if (stall.Stalled(sample)) stalledAt = t;
        }
        EXPECT_EQ(stalledAt, row.stallsAt);
        if (stalledAt >= 0) {
            EXPECT_EQ(stall.DropReason(), "the peer took no data for 10 s; dropped");
        }
    }
}

}  // namespace
}  // namespace kerbview::net
