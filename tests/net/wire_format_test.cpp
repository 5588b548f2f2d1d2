// SPDX-License-Identifier: MIT
#include "net/wire_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/number_rules.h"
#include "net/receive_buffer.h"

namespace kerbview::net {
namespace {

using telemetry::Snapshot;

Snapshot SampleSnapshot() {
    Snapshot s;
    s.DriverName = "Jos\xE9 P\xE9rez";  // Windows-1252 bytes pass unchanged
    s.OilTemp = 95.25f, s.WaterTemp = 88.5f, s.SlotName = "Slot", s.Position = 3;
    s.EngineSpeed = 0, s.EngineMaxSpeed = 837.758f, s.Contact = 1, s.LapNumber = 12;
    s.Fuel = 12.5f, s.BestLap = 92.345f, s.LastLap = 93.001f, s.CentreReadout = -1;
    for (std::size_t i = 0; i < 12; ++i) s.TyreTemp[i] = 70.0f + static_cast<float>(i) / 4;
    s.TyrePressure = {180.5f, 181.25f, 175, 176};
    s.WheelSpeed = {50.123456789012, -1.5, 0, 1e-7};
    s.TyreRatio = {1, 0.987654321, 0.5, 0.25};
    s.TrackName = "Anderstorp", s.PitLimiter = 0, s.InPits = 1, s.TcState = 2, s.AbsState = 255;
    s.BarPercent1 = 100, s.BarPercent2 = 37.5f, s.TrackTemp = 31.5f, s.AmbientTemp = 22;
    s.DriverSlot = 5, s.BrakeTemp = {300, 310.5f, 250, 1.5e8f}, s.CarName = "BMW 320si";
    return s;
}

// A body too long for the header must fail, not wrap. (The bytes of a status-only packet are
// the golden packets', tests/app/fixture_replay_test.cpp.)
TEST(WireFormat, ALongBodyFailsInsteadOfWrappingTheHeader) {
    EXPECT_EQ(PacketLengthFor(std::string(32760, 'x')), 32767);
    EXPECT_THROW(PacketLengthFor(std::string(32761, 'x')), core::NumberError);
}

// Written out by hand, field by field, not from the code's field table: two fields swapped in
// that table would still round-trip, but would change every peer's reading. Peers need not share
// a locale: 95,5 from a comma machine is 95.5 on a point machine.
TEST(WireFormat, FieldsGoOutInTheirFixedOrderWithTheSendersSeparatorAndRoundTrip) {
    const std::string point =
        "Jos\xE9 P\xE9rez|95.25|88.5|Slot|3|0|837.758|1|12|12.5|92.345|0|93.001|-1|"
        "70|70.25|70.5|70.75|71|71.25|71.5|71.75|72|72.25|72.5|72.75|180.5|181.25|175|176|"
        "50.123456789012|-1.5|0|1E-07|1|0.987654321|0.5|0.25|Anderstorp|0|1|2|255|100|37.5|31.5|"
        "22|5|300|310.5|250|1.5E+08|BMW 320si|RACE07 EN MARCHA|";
    for (char sep : {'.', ','}) {
        SCOPED_TRACE(sep);
        const std::string body = TelemetryBody(SampleSnapshot(), "RACE07 EN MARCHA", sep);
        std::string want = "|" + point;  // each field opened by a NUL, the status closed by one
        std::replace(want.begin(), want.end(), '|', '\0');
        std::replace(want.begin(), want.end(), '.', sep);  // the sample's texts hold no point
        EXPECT_EQ(body, want);
        const std::string packet = PacketBytes(PacketLengthFor(body), body);
        std::string received;
        ASSERT_TRUE(AcceptPacket(packet, received));
        Snapshot got;
        std::string status;
        EXPECT_EQ(UnpackTelemetry(received, got, [&](std::string_view t) { status = t; }),
                  UnpackResult::Unpacked);
        EXPECT_EQ(got, SampleSnapshot());
        EXPECT_EQ(status, "RACE07 EN MARCHA");
        EXPECT_TRUE(received.empty());
    }
}

TEST(WireFormat, UnpackOutcomesAndFailuresStopWhereTheyShould) {
    auto run = [](std::string received, Snapshot& s, std::string& status) {
        return UnpackTelemetry(received, s, [&](std::string_view t) { status = t; });
    };
    Snapshot s = SampleSnapshot();
    std::string status = "before";

    // Status-only: an ordinary packet; the status is shown and the snapshot left alone.
    EXPECT_EQ(run(StatusOnlyBody("RACE07 NO CARGADO").substr(1), s, status),
              UnpackResult::StatusOnly);
    EXPECT_EQ(status, "RACE07 NO CARGADO");
    EXPECT_EQ(s, SampleSnapshot());
    // One empty number among real ones is no status-only packet: it fails at that field.
    std::string holed = TelemetryBody(SampleSnapshot(), "X", '.');
    holed.replace(holed.find("95.25"), 5, "");
    EXPECT_THROW(run(holed.substr(1), s, status), core::NumberError);

    // 53 or 55 fields: defaults, status untouched.
    const std::string full = TelemetryBody(SampleSnapshot(), "X", '.').substr(1);
    for (const std::string& body :
         {full.substr(full.find('\0') + 1), "extra" + std::string(1, '\0') + full}) {
        s = SampleSnapshot();
        status = "before";
        EXPECT_EQ(run(body, s, status), UnpackResult::DefaultSnapshot);
        EXPECT_EQ(s, Snapshot{});
        EXPECT_EQ(status, "before");
    }

    // Last field without its NUL, or more than 201 fields: fails before the status is set.
    EXPECT_THROW(run(full.substr(0, full.size() - 1), s, status), WireError);
    EXPECT_THROW(run(std::string(202, '\0'), s, status), WireError);
    EXPECT_EQ(status, "before");
    EXPECT_EQ(run(std::string(201, '\0'), s, status), UnpackResult::DefaultSnapshot);

    // An Integer beyond 16 bits fails at its field; earlier fields are already in.
    std::string big = TelemetryBody(SampleSnapshot(), "X", '.');
    big.replace(big.find(std::string("\0Slot\0", 6)) + 6, 1, "40000");  // field 4, Position
    s = Snapshot{};
    EXPECT_THROW(run(big.substr(1), s, status), core::NumberError);
    EXPECT_EQ(s.SlotName, "Slot");
    EXPECT_EQ(s.Position, 0);
}

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
    const std::string largest = PacketBytes(32767, std::string(32760, '\0'));
    std::vector<std::string> bytes;
    for (char ch : a) bytes.emplace_back(1, ch);
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        std::vector<std::string> packets;
        std::size_t discarded;
    };
    const std::vector<Case> cases = {
        {"one packet", {a}, {a}, 0},
        {"byte by byte", bytes, {a}, 0},
        {"the largest header, split",
         {largest.substr(0, 20000), largest.substr(20000) + a},
         {largest, a},
         0},
        {"coalesced and split",
         {ab.substr(0, 70), ab.substr(70) + c.substr(0, 1), c.substr(1)},
         {a, b, c},
         0},
        {"garbage before a packet", {"xyz\r\n" + a}, {a}, 5},
        {"garbage between packets", {a + "??" + b}, {a, b}, 2},
        {"header below 8", {"000007" + std::string(1, '\0') + a}, {a}, 7},
        {"header above 32767", {"032768" + std::string(1, '\0') + b}, {b}, 7},
        {"no NUL after the header", {"000079X" + c}, {c}, 7},
        {"blank in the header", {" 00079" + std::string(1, '\0') + a}, {a}, 7}};
    for (const Case& c1 : cases) {
        SCOPED_TRACE(c1.name);
        ReceiveBuffer buffer;
        EXPECT_EQ(FeedAll(buffer, c1.reads), c1.packets);
        EXPECT_EQ(buffer.TakeDiscarded(), c1.discarded);
        EXPECT_EQ(buffer.Size(), 0u);
    }
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
            EXPECT_LE(buffer.StoredBytes(), bound);
        });
        EXPECT_LT(buffer.Size(), ReceiveBuffer::kMaxPacketBytes);
        // Not only the bytes waiting: what the buffer stores, taken packets included.
        EXPECT_LE(buffer.StoredBytes(), bound);
    }
    EXPECT_GT(packets, 0u);
    // A good packet after the noise still comes out once the stream realigns.
    buffer.Clear();
    EXPECT_EQ(FeedAll(buffer, {Packet("ok")}), std::vector<std::string>{Packet("ok")});
}

}  // namespace
}  // namespace kerbview::net
