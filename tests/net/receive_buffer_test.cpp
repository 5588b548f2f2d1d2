// SPDX-License-Identifier: MIT
#include "net/receive_buffer.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "net/wire_format.h"

namespace kerbview::net {
namespace {

std::string Packet(std::string_view status) {
    const std::string body = StatusOnlyBody(status);
    return PacketBytes(PacketLengthFor(body), body);
}

std::vector<std::string> FeedAll(ReceiveBuffer& buffer, const std::vector<std::string>& reads) {
    std::vector<std::string> out;
    for (const std::string& r : reads) {
        buffer.Feed(r, [&](std::string_view p) { out.emplace_back(p); });
    }
    return out;
}

TEST(ReceiveBuffer, StreamsAreCutIntoWholePacketsInOrder) {
    const std::string a = Packet("A");
    const std::string b = Packet("BB");
    const std::string c = Packet("CCC");
    const std::string ab = a + b;
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        std::vector<std::string> packets;
        std::size_t discarded;
    };
    const std::vector<Case> cases = {
        {"one packet", {a}, {a}, 0},
        {"split inside the header", {a.substr(0, 3), a.substr(3)}, {a}, 0},
        {"split inside the body", {a.substr(0, 40), a.substr(40)}, {a}, 0},
        {"coalesced", {a + b + c}, {a, b, c}, 0},
        {"coalesced and split",
         {ab.substr(0, 70), ab.substr(70) + c.substr(0, 1), c.substr(1)},
         {a, b, c},
         0},
        {"garbage before a packet", {"xyz\r\n" + a}, {a}, 5},
        {"garbage between packets", {a + "??" + b}, {a, b}, 2},
        {"header below 8", {"000007" + std::string(1, '\0') + a}, {a}, 7},
        {"header above 32767", {"032768" + std::string(1, '\0') + b}, {b}, 7},
        {"no NUL after the header", {"000079X" + c}, {c}, 7},
        {"blank in the header", {" 00079" + std::string(1, '\0') + a}, {a}, 7},
    };
    for (const Case& c1 : cases) {
        SCOPED_TRACE(c1.name);
        ReceiveBuffer buffer;
        EXPECT_EQ(FeedAll(buffer, c1.reads), c1.packets);
        EXPECT_EQ(buffer.TakeDiscarded(), c1.discarded);
        EXPECT_EQ(buffer.size(), 0u);
    }
}

TEST(ReceiveBuffer, PacketArrivingByteByByteCompletesOnlyAtItsLastByte) {
    const std::string a = Packet("RACE07 NO CARGADO");
    ReceiveBuffer buffer;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < a.size(); ++i) {
        buffer.Feed(a.substr(i, 1), [&](std::string_view p) { out.emplace_back(p); });
        EXPECT_EQ(out.size(), i + 1 == a.size() ? 1u : 0u);
    }
    EXPECT_EQ(out.front(), a);
}

TEST(ReceiveBuffer, LargestHeaderWaitsForItsWholePacket) {
    const std::string body(32760, '\0');
    const std::string big = PacketBytes(32767, body);
    ReceiveBuffer buffer;
    EXPECT_TRUE(FeedAll(buffer, {big.substr(0, 20000)}).empty());
    EXPECT_EQ(FeedAll(buffer, {big.substr(20000) + Packet("A")}),
              (std::vector<std::string>{big, Packet("A")}));
}

TEST(ReceiveBuffer, HostileStreamNeverGrowsTheBufferBeyondItsBound) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> readSize(1, 200000);
    ReceiveBuffer buffer;
    std::size_t packets = 0;
    const std::size_t bound = ReceiveBuffer::kMaxPacketBytes + ReceiveBuffer::kChunkSize;
    for (int r = 0; r < 60; ++r) {
        std::string read(readSize(rng), '\0');
        // Digits and NULs make plausible headers frequent, so long announced packets happen.
        for (char& ch : read) {
            const int v = byte(rng);
            ch = v < 100 ? static_cast<char>('0' + v % 10) : v < 140 ? '\0' : static_cast<char>(v);
        }
        buffer.Feed(read, [&](std::string_view p) {
            ++packets;
            EXPECT_LE(p.size(), ReceiveBuffer::kMaxPacketBytes);
            EXPECT_LE(buffer.size(), bound);
        });
        EXPECT_LT(buffer.size(), ReceiveBuffer::kMaxPacketBytes);
    }
    EXPECT_GT(packets, 0u);
    // A good packet after the noise still comes out once the stream realigns.
    buffer.Clear();
    EXPECT_EQ(FeedAll(buffer, {Packet("ok")}), std::vector<std::string>{Packet("ok")});
}

}  // namespace
}  // namespace kerbview::net
