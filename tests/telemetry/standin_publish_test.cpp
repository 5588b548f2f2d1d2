// SPDX-License-Identifier: MIT
// The stand-in's layout of a snapshot in the simulator's memory, read back by the acquisition.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "snapshot_publisher.h"
#include "telemetry/acquisition.h"
#include "telemetry/memory_readers.h"

namespace kerbview::telemetry {
namespace {

/// The stand-in's memory block, read as the simulator's process.
class BlockReader final : public ProcessReader {
public:
    BlockReader(const std::vector<unsigned char>& block, Address start)
        : m_block(block), m_start(start) {}
    std::size_t Read(Address address, void* buffer, std::size_t count) override {
        if (address < m_start || address - m_start + count > m_block.size()) return 0;
        std::memcpy(buffer, m_block.data() + (address - m_start), count);
        return count;
    }

private:
    const std::vector<unsigned char>& m_block;
    Address m_start;
};

Snapshot Odd(int n) {
    if (n == 2) {  // the same driver, moved to another slot
        Snapshot s = Odd(0);
        s.DriverSlot = 2, s.Fuel = 12;
        return s;
    }
    Snapshot s;
    s.DriverName = n == 0 ? "Ann Driver" : "J\xF6rg-\xC9mile 23 chars!!";
    s.CarName = n == 0 ? "Seat Leon" : std::string(49, 'C');
    s.TrackName = n == 0 ? "Anderstorp" : "Brands Hatch Indy Circuit GP Loop";
    s.DriverSlot = static_cast<std::int16_t>(n == 0 ? 5 : 63);
    s.OilTemp = n == 0 ? 91.25f : -40.5f;
    s.WaterTemp = n == 0 ? 85.1f : 1234.567f;
    s.Position = static_cast<std::int16_t>(n == 0 ? 1 : -3);
    s.EngineSpeed = n == 0 ? 712.3f : 0.0f;
    s.EngineMaxSpeed = 900;
    s.Contact = 1;
    s.LapNumber = static_cast<std::int16_t>(n == 0 ? 1 : 32767);
    s.Fuel = n == 0 ? 37.33f : std::numeric_limits<float>::max();
    s.BestLap = n == 0 ? 61.017f : -1;
    s.LastLap = 62.5f;
    s.CentreReadout = static_cast<std::int16_t>(n == 0 ? 3 : -1);
    for (std::size_t i = 0; i < 12; ++i)
        s.TyreTemp[i] = 60.1f + static_cast<float>(i) * (n ? -17.3f : 1.1f);
    for (std::size_t i = 0; i < 4; ++i) {
        const double d = static_cast<double>(i);
        s.TyrePressure[i] = 170.3f + static_cast<float>(i);
        s.WheelSpeed[i] = n == 0 ? 31.7 + d / 3 : i == 0 ? 65 * 0.0137 : -0.1 - d * 1e6;
        s.TyreRatio[i] = 1.0 - d / 7;
        s.BrakeTemp[i] = n == 0 ? 410.7f : -273.0f + static_cast<float>(i);
    }
    s.PitLimiter = 1;
    s.InPits = static_cast<std::int16_t>(n);
    s.TcState = 2;
    s.AbsState = static_cast<std::int16_t>(n == 0 ? 0 : 255);
    s.BarPercent1 = n == 0 ? 33.3f : 100;
    s.BarPercent2 = n == 0 ? 0.7f : 6 * 0.0371f;
    s.TrackTemp = 31.5f;
    s.AmbientTemp = -2.25f;
    return s;
}

// Every snapshot laid out by the stand-in reads back as it was in every driver-select mode
// (name search, slot from memory, fixed slot), also after another slot was laid out before it,
// another driver's or the same driver's: texts up to their fields' length, extreme and negative
// figures, the scaled ones (bars, wheel speeds) to within their last bits.
TEST(StandinPublish, AcquisitionReadsBackTheSnapshotLaidOutInEveryMode) {
    const MemoryMap map = LoadMemoryMap();
    const Address start = map.Lowest() - 64;
    std::vector<unsigned char> block(map.End() - start);
    standin::MemoryWriter writer(block.data(), start, block.size());
    BlockReader process(block, start);
    core::ErrorReporter reporter;
    MemoryReaders readers(reporter);
    readers.SetProcess(&process);
    for (std::int16_t mode = 0; mode < 3; ++mode) {
        Acquisition acquisition(readers, map);
        acquisition.SetDriverSelectMode(mode);
        for (int n : {0, 1, 2, 0}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " snapshot " + std::to_string(n));
            Snapshot want = Odd(n);
            if (n == 1) want.LapNumber = 32766;    // 32767 is no lap the acquisition takes
            if (mode != 0) want.SlotName.clear();  // only the name search names the slot
            if (mode == 0) want.SlotName = want.DriverName;
            acquisition.SetFixedDriverSlot(want.DriverSlot);
            standin::PublishSnapshot(want, writer);
            Snapshot got;
            ASSERT_EQ(acquisition.Acquire(got), AcquireResult::Complete);
            // The scaled figures, to within two steps of their last bit.
            const auto close = [](auto a, auto b) {
                return a == b || std::nextafter(a, b) == b ||
                       std::nextafter(std::nextafter(a, b), b) == b;
            };
            EXPECT_TRUE(close(got.BarPercent1, want.BarPercent1) &&
                        close(got.BarPercent2, want.BarPercent2));
            want.BarPercent1 = got.BarPercent1, want.BarPercent2 = got.BarPercent2;
            for (std::size_t w = 0; w < 4; ++w) {
                EXPECT_TRUE(close(got.WheelSpeed[w], want.WheelSpeed[w])) << w;
                want.WheelSpeed[w] = got.WheelSpeed[w];
            }
            EXPECT_EQ(got, want);
        }
    }
}

}  // namespace
}  // namespace kerbview::telemetry
