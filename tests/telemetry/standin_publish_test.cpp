// SPDX-License-Identifier: MIT
// The stand-in's layout of a snapshot in the simulator's memory, read back by the acquisition.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "fake_platform.h"
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

// The session's snapshot; one of extreme and negative figures and of texts that fill their
// fields; the session's driver moved to another slot; the session again.
std::vector<Snapshot> Laid() {
    const Snapshot session = testing::SessionSnapshot();
    Snapshot extreme = session;
    extreme.DriverName = "J\xF6rg-\xC9mile 23 chars!!";
    extreme.CarName = std::string(49, 'C');
    extreme.TrackName = "Brands Hatch Indy Circuit GP Loop";
    extreme.DriverSlot = 63;
    extreme.OilTemp = -40.5f;
    extreme.WaterTemp = 1234.567f;
    extreme.Position = -3;
    extreme.EngineSpeed = 0.0f;
    extreme.LapNumber = 32766;  // 32767 is no lap the acquisition takes
    extreme.Fuel = std::numeric_limits<float>::max();
    extreme.BestLap = -1;
    extreme.CentreReadout = -1;
    for (std::size_t i = 0; i < 12; ++i)
        extreme.TyreTemp[i] = 60.1f - static_cast<float>(i) * 17.3f;
    for (std::size_t i = 0; i < 4; ++i) {
        const double d = static_cast<double>(i);
        extreme.WheelSpeed[i] = i == 0 ? 65 * 0.0137 : -0.1 - d * 1e6;
        extreme.TyreRatio[i] = 1.0 - d / 7;
        extreme.BrakeTemp[i] = -273.0f + static_cast<float>(i) + 0.1f;
    }
    extreme.InPits = 0;
    extreme.AbsState = 0;
    extreme.BarPercent1 = 100;
    extreme.BarPercent2 = 6 * 0.0371f;
    extreme.AmbientTemp = -2.25f;
    Snapshot moved = session;
    moved.DriverSlot = 2;
    moved.Fuel = 12;
    return {session, extreme, moved, session};
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
        for (Snapshot want : Laid()) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", slot " +
                         std::to_string(want.DriverSlot));
            // Only the name search names the slot.
            want.SlotName = mode == 0 ? want.DriverName : std::string();
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
