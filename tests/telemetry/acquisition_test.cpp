// SPDX-License-Identifier: MIT
#include "telemetry/acquisition.h"
#include "telemetry/memory_readers.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "fake_platform.h"

namespace kerbview::telemetry {
namespace {

// The rig starts with the whole session in memory (see fake_platform.h).
struct AcquisitionRig {
    explicit AcquisitionRig(bool session = true, bool batched = false)
        : reader(image, openReaders, batched) {
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

// Memory that cannot be read gives zeros and error texts, as long as something of the scan was
// read; a scan in which every read failed (another program's memory, or a process that ended)
// is no snapshot, and the car picture stays as it was.
TEST(Acquisition, UnreadableMemoryGivesZerosButAScanThatReadNothingIsNoSnapshot) {
    AcquisitionRig rig;
    rig.Take();
    rig.image = std::make_shared<testing::MemoryImage>();
    testing::FakeReader nothing(rig.image, rig.openReaders);
    rig.readers.SetProcess(&nothing);
    rig.Take(AcquireResult::NothingRead);
    EXPECT_EQ(rig.acquisition.CurrentCar(), "BMW 320si");

    rig.image->Bytes(rig.map.Contact, {1});
    const Snapshot got = rig.Take();
    EXPECT_EQ(got.DriverName + "|" + got.SlotName + "|" + got.CarName + "|" + got.TrackName,
              "Error|||Error");
    EXPECT_EQ(got.LapNumber, 1);
    EXPECT_EQ(got.OilTemp, -273.15f);
    EXPECT_EQ((std::vector<double>{got.WheelSpeed[0], got.BarPercent1,
                                   static_cast<double>(rig.acquisition.DriverSlot()),
                                   static_cast<double>(got.Contact)}),
              (std::vector<double>{0, 0, 5, 1}));
    EXPECT_EQ(rig.acquisition.CurrentCar(), "");
}

// Each reader keeps the bytes a short read got, zero past them, and gives its zero result when
// nothing (or no process) was read; integers keep only the low 16 bits.
TEST(MemoryReaders, ShortReadsKeepTheBytesGotAndNothingReadGivesZero) {
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
        {{0x34, 0x12, 0xAA, 0xBB, 0xCC}, 9, 0x1234},  // never more than 4 bytes into the buffer
        {{0x34, 0x12}, 4, 0x1234},                    // a short read: the rest is zero
    };
    for (const Case& c : cases) {
        AcquisitionRig rig(false);
        rig.image->Bytes(0x1000, c.bytes);
        EXPECT_EQ(rig.readers.ReadMemoryInteger(0x1000, c.count), c.expected);
    }
    AcquisitionRig rig(false);
    rig.image->Bytes(0x1000, {0x34, 0x00, 0xE9, 0x3F});  // then memory that cannot be read
    EXPECT_EQ(rig.readers.ReadMemory(0x1000, 8), std::string("\x34\0\xE9\x3F\0\0\0\0", 8));
    EXPECT_EQ(rig.readers.ReadMemorySingle(0x1002, 4), std::bit_cast<float>(0x3FE9u));
    EXPECT_EQ(rig.readers.ReadMemoryDouble(0x1000), std::bit_cast<double>(0x3FE90034ull));

    core::ErrorReporter reporter;
    MemoryReaders none(reporter);
    for (const MemoryReaders* readers : {&rig.readers, &none}) {
        EXPECT_EQ(readers->ReadMemory(0x5000, 30), std::string(1, '\0'));
        EXPECT_EQ(readers->ReadMemoryInteger(0x5000, 4), 0);
        EXPECT_EQ(readers->ReadMemorySingle(0x5000, 4), 0.0f);
        EXPECT_EQ(readers->ReadMemoryDouble(0x5000), 0.0);
    }
}

// What one acquisition gave: the snapshot, or that it ended the tick or threw.
std::string Outcome(AcquisitionRig& rig, Snapshot& snapshot) {
    try {
        return rig.acquisition.Acquire(snapshot) == AcquireResult::Complete ? "complete" : "end";
    } catch (const LecturesError&) {
        return "threw";
    }
}

TEST(Acquisition, BatchedScansGiveWhatRangeByRangeReadsGiveAndFallBackWhenShort) {
    AcquisitionRig plain;
    AcquisitionRig batched(true, true);
    const auto slot9 = [](Address slot0) { return MemoryMap::SlotField(slot0, 9); };
    struct Step {
        const char* what;
        std::function<void(AcquisitionRig&)> change;
        int singleReads;  // by the batched rig; -1: not checked
    };
    const Step steps[] = {
        {"first scan: no batch yet", [](AcquisitionRig&) {}, 59},
        {"same reads: one batch", [](AcquisitionRig&) {}, 0},
        {"a value changes",
         [](AcquisitionRig& r) { r.image->Double(r.map.WheelField(2, r.map.Wheel.TyreTemp), 400); },
         0},
        {"the player moves to slot 9, whose car text ends in unreadable memory",
         [&](AcquisitionRig& r) {
             r.Text(r.map.PlayerName, "Bo Nine\\x", 30);
             r.Text(slot9(r.map.SlotName), "Bo Nine", 24);
             r.image->Text(slot9(r.map.CarName), std::string("Volvo\0", 6));
         },
         -1},
        // Slot 9's car text and nine values cannot be read whole: they alone go singly.
        {"settled in slot 9", [](AcquisitionRig&) {}, 10},
        {"a short read inside the batch: range by range",
         [](AcquisitionRig& r) { r.image->Unreadable(r.map.OilTemp + 4, 4); }, 53},
        {"mode 1, slot number from memory",
         [](AcquisitionRig& r) {
             r.image->Int32(r.map.PlayerSlot, 5);
             r.acquisition.SetDriverSelectMode(1);
         },
         -1},
        {"a lap count that throws",
         [](AcquisitionRig& r) { r.image->Int32(MemoryMap::SlotField(r.map.LapNumber, 5), 32767); },
         -1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(plain);
        step.change(batched);
        batched.image->ClearReads();
        Snapshot a;
        Snapshot b;
        EXPECT_EQ(Outcome(plain, a), Outcome(batched, b));
        EXPECT_EQ(a, b);
        EXPECT_EQ(plain.acquisition.DriverSlot(), batched.acquisition.DriverSlot());
        if (step.singleReads >= 0) {
            EXPECT_EQ(batched.image->Reads().size(), static_cast<std::size_t>(step.singleReads));
        }
    }
    EXPECT_EQ(plain.image->Batches(), 0);
}

TEST(ProcessMemory, SpannedBlocksReadNearbyRangesTogetherAndPlaceEachRangeInOrder) {
    // Ranges out of address order: 0x100 and 0x10C lie within the gap, 0x400 does not.
    const ReadRange ranges[] = {{0x400, 2}, {0x10C, 4}, {0x100, 8}};
    std::vector<std::pair<Address, std::size_t>> blocks;
    const auto fill = [&](Address address, void* out, std::size_t size) {
        blocks.push_back({address, size});
        for (std::size_t i = 0; i < size; ++i) {
            static_cast<std::uint8_t*>(out)[i] = static_cast<std::uint8_t>(address + i);
        }
        return true;
    };
    std::uint8_t buffer[14] = {};
    EXPECT_EQ(ReadInSpannedBlocks(ranges, buffer, 16, 4096, fill), 14u);
    EXPECT_EQ(blocks, (std::vector<std::pair<Address, std::size_t>>{{0x100, 16}, {0x400, 2}}));
    const std::uint8_t want[] = {0x00, 0x01, 0x0C, 0x0D, 0x0E, 0x0F, 0x00,
                                 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    EXPECT_TRUE(std::equal(std::begin(want), std::end(want), buffer));

    blocks.clear();
    EXPECT_EQ(ReadInSpannedBlocks(ranges, buffer, 16, 12, fill), 14u) << "blocks capped at 12";
    EXPECT_EQ(blocks.size(), 3u);
    EXPECT_EQ(ReadInSpannedBlocks(ranges, buffer, 16, 4096,
                                  [](Address, void*, std::size_t) { return false; }),
              0u);
}

}  // namespace
}  // namespace kerbview::telemetry
