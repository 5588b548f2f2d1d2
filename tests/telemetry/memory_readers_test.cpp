// SPDX-License-Identifier: MIT
#include "telemetry/memory_readers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fake_platform.h"

namespace kerbview::telemetry {
namespace {

struct ReaderRig {
    ReaderRig() : reader(image, openReaders) { readers.SetProcess(&reader); }

    std::shared_ptr<testing::MemoryImage> image = std::make_shared<testing::MemoryImage>();
    int openReaders = 0;
    testing::FakeReader reader;
    core::ErrorReporter reporter;
    MemoryReaders readers{reporter};
};

constexpr Address kUnreadable = 0x5000;

TEST(MemoryReaders, IntegerKeepsOnlyTheLow16BitsAndZeroForNothingRead) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        int count;
        std::int16_t expected;
    };
    const Case cases[] = {
        {{0xFF, 0x7F}, 1, 255},  // count 1 reads one byte only
        {{0xFF, 0xFF, 0xFF, 0xFF}, 4, -1},
        {{0x01, 0x00, 0x01, 0x00}, 4, 1},             // 65537
        {{0x40, 0x9C, 0x00, 0x00}, 4, -25536},        // 40000
        {{0x03, 0x00, 0x01, 0x00}, 4, 3},             // 0x00010003, a slot number
        {{0x34, 0x12, 0xAA, 0xBB, 0xCC}, 9, 0x1234},  // never more than 4 bytes into the buffer
    };
    for (const Case& c : cases) {
        ReaderRig rig;
        rig.image->Bytes(0x1000, c.bytes);
        EXPECT_EQ(rig.readers.ReadMemoryInteger(0x1000, c.count), c.expected);
    }
    ReaderRig rig;
    EXPECT_EQ(rig.readers.ReadMemoryInteger(kUnreadable, 4), 0);
}

TEST(MemoryReaders, FloatingReadersGiveZeroWhenNothingOrOnlyPartIsRead) {
    ReaderRig rig;
    rig.image->Single(0x1000, -12.5f);
    rig.image->Double(0x2000, 353.15);
    rig.image->Bytes(0x3000, {0, 0, 0, 0});  // 4 of the 8 bytes a double needs
    EXPECT_EQ(rig.readers.ReadMemorySingle(0x1000, 4), -12.5f);
    EXPECT_EQ(rig.readers.ReadMemoryDouble(0x2000), 353.15);
    EXPECT_EQ(rig.readers.ReadMemorySingle(kUnreadable, 4), 0.0f);
    EXPECT_EQ(rig.readers.ReadMemoryDouble(kUnreadable), 0.0);
    EXPECT_EQ(rig.readers.ReadMemoryDouble(0x3000 + 2), 0.0);

    rig.image->Bytes(0x4000, {0x00, 0x00, 0x80, 0x7F});  // +infinity, read as is
    EXPECT_TRUE(std::isinf(rig.readers.ReadMemorySingle(0x4000, 4)));
}

TEST(MemoryReaders, TextKeepsZeroBytesAndIsOneCharacterZeroWhenUnreadable) {
    ReaderRig rig;
    rig.image->Bytes(0x1000, {'A', 0, 'B', 0xE9});
    EXPECT_EQ(rig.readers.ReadMemory(0x1000, 4), std::string("A\0B\xE9", 4));
    EXPECT_EQ(rig.readers.ReadMemory(kUnreadable, 30), std::string(1, '\0'));
    EXPECT_EQ(rig.readers.ReadMemory(0x1000, 30), std::string(1, '\0')) << "partly readable";
}

TEST(MemoryReaders, EachReaderIssuesExactlyOnePlatformRead) {
    ReaderRig rig;
    rig.image->Bytes(0x1000, std::vector<std::uint8_t>(64, 1));
    rig.readers.ReadMemory(0x1000, 50);
    rig.readers.ReadMemoryInteger(0x1000, 4);
    rig.readers.ReadMemorySingle(0x1000, 4);
    rig.readers.ReadMemoryDouble(0x1000);
    rig.readers.ReadMemory(kUnreadable, 50);
    EXPECT_EQ(rig.image->Reads().size(), 5u);
}

TEST(MemoryReaders, WithoutAProcessEveryReaderGivesItsZeroResult) {
    core::ErrorReporter reporter;
    const MemoryReaders readers(reporter);
    EXPECT_EQ(readers.ReadMemory(0x1000, 30), std::string(1, '\0'));
    EXPECT_EQ(readers.ReadMemoryInteger(0x1000, 4), 0);
    EXPECT_EQ(readers.ReadMemorySingle(0x1000, 4), 0.0f);
    EXPECT_EQ(readers.ReadMemoryDouble(0x1000), 0.0);
}

}  // namespace
}  // namespace kerbview::telemetry
