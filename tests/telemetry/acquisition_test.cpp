// SPDX-License-Identifier: MIT
#include "telemetry/acquisition.h"
#include "telemetry/memory_readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "fake_platform.h"

namespace kerbview::telemetry {
namespace {

// The rig starts with the whole session in memory (see fake_platform.h).
struct AcquisitionRig {
    explicit AcquisitionRig(bool session = true) : reader(image, openReaders) {
        readers.SetProcess(&reader);
        if (session) testing::Apply(*image, testing::SessionWrites());
    }
    // A field of `length` bytes: the text, then zero bytes.
    void Text(Address at, std::string text, std::size_t length) {
        text.resize(length, '\0');
        image->Text(at, text);
    }
    Snapshot Take(AcquireResult expected = AcquireResult::Complete) {
        Snapshot snapshot;
        EXPECT_EQ(acquisition.Acquire(snapshot), expected);
        return snapshot;
    }

    MemoryMap map = LoadMemoryMap();
    std::shared_ptr<testing::MemoryImage> image = std::make_shared<testing::MemoryImage>();
    int openReaders = 0;
    testing::FakeReader reader;
    core::ErrorReporter reporter;
    MemoryReaders readers{reporter};
    Acquisition acquisition{readers};
};

TEST(Acquisition, FullSnapshotReadsScalesAndOrdersEveryField) {
    AcquisitionRig rig;
    testing::ExpectSessionSnapshot(rig.Take());
    EXPECT_EQ(rig.acquisition.CurrentCar(), "BMW 320si");
}

TEST(Acquisition, NameSearchRunsOnceAndAMissKeepsThePreviousSlotAndCarriesNoZeroBytes) {
    AcquisitionRig rig;
    rig.Take();
    EXPECT_EQ(rig.acquisition.DriverSlot(), 5);
    // 53 reads for a known slot; the first tick also read slot 0 and searched slots 0 to 5.
    EXPECT_EQ(rig.image->Reads().size(), 53u + 1u + 5u);
    rig.image->ClearReads();
    rig.Take();
    EXPECT_EQ(rig.image->Reads().size(), 53u);

    rig.Text(rig.map.PlayerName, "Nobody without a separator", 30);
    rig.image->ClearReads();
    const Snapshot got = rig.Take();
    EXPECT_EQ(got.DriverName, "Error");
    EXPECT_EQ(rig.acquisition.DriverSlot(), 5);
    EXPECT_EQ(got.DriverSlot, 5);
    EXPECT_EQ(got.CarName, "BMW 320si");
    // Slot 63 is empty: its zero bytes would split the packet that carries SlotName.
    EXPECT_EQ(got.SlotName, "");
    EXPECT_EQ(rig.image->Reads().size(), 53u + 64u);
}

TEST(Acquisition, SlotNumberModesTakeTheSlotFromMemoryOrTheFixedSlot) {
    AcquisitionRig rig;
    rig.Text(MemoryMap::SlotField(rig.map.SlotName, 3), "Cid Third", 24);
    rig.image->Int32(rig.map.PlayerSlot, 0x00010003);
    rig.acquisition.SetDriverSelectMode(1);
    Snapshot got = rig.Take();
    EXPECT_EQ(rig.acquisition.DriverSlot(), 3);
    EXPECT_EQ(got.DriverSlot, 3);
    EXPECT_EQ(got.DriverName, "Cid Third");
    EXPECT_EQ(got.SlotName, "");
    EXPECT_EQ(got.CarName, "") << "slot 3's unreadable car text cuts to empty";

    rig.acquisition.SetDriverSelectMode(2);
    rig.acquisition.SetFixedDriverSlot(5);
    got = rig.Take();
    EXPECT_EQ(got.DriverSlot, 5);
    EXPECT_EQ(got.DriverName, "Ann Driver");
    EXPECT_EQ(got.CarName, "BMW 320si");
}

TEST(Acquisition, NoUsableSlotEndsTheTickBeforeAnySlotValueIsRead) {
    struct Case {
        const char* what;
        std::int16_t mode;
        std::int32_t slotInMemory;
        std::int16_t fixedSlot;
        bool nameWithoutZero;
    };
    const Case cases[] = {{"mode 1 name fills 24 bytes", 1, 5, 0, true},
                          {"mode 2 name fills 24 bytes", 2, 0, 5, true},
                          {"mode 1 slot 64", 1, 64, 0, false},
                          {"mode 1 slot -1", 1, -1, 0, false},
                          {"mode 2 slot 300", 2, 0, 300, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AcquisitionRig rig;
        if (c.nameWithoutZero) {
            rig.image->Text(MemoryMap::SlotField(rig.map.SlotName, 5), std::string(24, 'X'));
        }
        rig.image->Int32(rig.map.PlayerSlot, c.slotInMemory);
        rig.acquisition.SetDriverSelectMode(c.mode);
        rig.acquisition.SetFixedDriverSlot(c.fixedSlot);
        rig.Take(AcquireResult::EndTick);
        EXPECT_LE(rig.image->Reads().size(), 2u);
        EXPECT_EQ(rig.acquisition.CurrentCar(), "");
    }
}

TEST(Acquisition, TrackNameIsTheFileNameAfterTheFirstBackslash) {
    struct Case {
        std::string path;  // written as 50 bytes, zero-padded
        const char* expected;
    };
    const Case cases[] = {{"Tracks\\Anderstorp.trk", "Anderstorp"},
                          {"Anderstorp.trk", "Error"},
                          {"GameData\\Locations\\Monza.trk", "Locations\\Monza"},
                          {"Tracks\\.trk", ""},
                          {std::string(50, 'A'), "Error"},  // no character 0 in the 50 bytes
                          {"", "Error"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        AcquisitionRig rig;
        rig.Text(rig.map.TrackPath, c.path, 50);
        EXPECT_EQ(rig.Take().TrackName, c.expected);
    }
}

TEST(Acquisition, MemoryFaultsThrowLecturesErrors) {
    const std::function<void(AcquisitionRig&)> faults[] = {
        [](AcquisitionRig& r) {
            r.image->Text(MemoryMap::SlotField(r.map.SlotName, 0), std::string(24, 'Z'));
        },
        [](AcquisitionRig& r) {
            r.image->Text(MemoryMap::SlotField(r.map.CarName, 5), std::string(50, 'C'));
        },
        [](AcquisitionRig& r) { r.image->Int32(MemoryMap::SlotField(r.map.LapNumber, 5), 32767); },
        [](AcquisitionRig& r) { r.Text(r.map.TrackPath, "Tracks\\abc", 50); }};
    int index = 0;
    for (const auto& fault : faults) {
        SCOPED_TRACE(index++);
        AcquisitionRig rig;
        fault(rig);
        Snapshot snapshot;
        EXPECT_THROW(rig.acquisition.Acquire(snapshot), LecturesError);
    }
}

TEST(Acquisition, UnreadableMemoryGivesZerosAndErrorTexts) {
    AcquisitionRig rig(false);
    const Snapshot got = rig.Take();
    EXPECT_EQ(got.DriverName + "|" + got.SlotName + "|" + got.CarName + "|" + got.TrackName,
              "Error|||Error");
    EXPECT_EQ(got.LapNumber, 1);
    EXPECT_EQ(got.OilTemp, -273.15f);
    EXPECT_EQ((std::vector<double>{got.WheelSpeed[0], got.BarPercent1,
                                   static_cast<double>(rig.acquisition.DriverSlot())}),
              (std::vector<double>{0, 0, 0}));
}

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
        AcquisitionRig rig(false);
        rig.image->Bytes(0x1000, c.bytes);
        EXPECT_EQ(rig.readers.ReadMemoryInteger(0x1000, c.count), c.expected);
    }
    AcquisitionRig rig(false);
    EXPECT_EQ(rig.readers.ReadMemoryInteger(kUnreadable, 4), 0);
}

TEST(MemoryReaders, FloatingReadersGiveZeroWhenNothingOrOnlyPartIsRead) {
    AcquisitionRig rig(false);
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
    AcquisitionRig rig(false);
    rig.image->Bytes(0x1000, {'A', 0, 'B', 0xE9});
    EXPECT_EQ(rig.readers.ReadMemory(0x1000, 4), std::string("A\0B\xE9", 4));
    EXPECT_EQ(rig.readers.ReadMemory(kUnreadable, 30), std::string(1, '\0'));
    EXPECT_EQ(rig.readers.ReadMemory(0x1000, 30), std::string(1, '\0')) << "partly readable";
}

TEST(MemoryReaders, EachReaderIssuesExactlyOnePlatformRead) {
    AcquisitionRig rig(false);
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
