// SPDX-License-Identifier: MIT
#include "telemetry/acquisition.h"
#include "telemetry/memory_readers.h"

#include <gtest/gtest.h>

#include <bit>

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
    MemoryMap map = LoadMemoryMap();
    std::shared_ptr<testing::MemoryImage> image = std::make_shared<testing::MemoryImage>();
    int openReaders = 0;
    testing::FakeReader reader;
    core::ErrorReporter reporter;
    MemoryReaders readers{reporter};
    Acquisition acquisition{readers};
};

// What one acquisition gave: "track" and the track name, or that it ended the tick, read nothing
// or threw.
std::string Outcome(AcquisitionRig& rig, Snapshot& snapshot) {
    try {
        const AcquireResult result = rig.acquisition.Acquire(snapshot);
        if (result == AcquireResult::Complete) return "track " + snapshot.TrackName;
        return result == AcquireResult::EndTick ? "end" : "nothing read";
    } catch (const LecturesError&) {
        return "threw";
    }
}

// Two rigs through one run of scans, one reading range by range and one through a batch of the
// previous scan's ranges: each scan gives both the same. The name search runs once, and then
// each scan reads only the found slot's values; a player name without its separator keeps the
// slot; modes 1 and 2 take the slot from memory (its low 16 bits) or from the setting.
TEST(Acquisition, NameSearchRunsOnceModesTakeTheSlotGivenAndBatchedScansReadTheSame) {
    using W = testing::MemoryWrite;
    AcquisitionRig plain;
    AcquisitionRig batched(true, true);
    const MemoryMap& m = plain.map;
    const auto slot = [](Address slot0, int n) { return MemoryMap::SlotField(slot0, n); };
    // Slots the run turns to later: slot 9, whose car text ends in unreadable memory, and slot 3,
    // the player slot's low 16 bits.
    const std::vector<W> laterSlots = {{W::Text, slot(m.SlotName, 9), 24, "Bo Nine"},
                                       {W::Text, slot(m.CarName, 9), 6, "Volvo"},
                                       {W::Text, slot(m.SlotName, 3), 24, "Cid Third"},
                                       {W::Int32, m.PlayerSlot, 0x00010003}};
    struct Step {
        std::vector<W> writes;
        int plainReads;    // -1: not checked
        int batchedReads;  // the reads the batch did not answer; -1: not checked
        const char* slotDriverSlotNameCar = nullptr;
        std::int16_t mode = 0, fixedSlot = 0;
        Address hole = 0;  // 4 bytes that can no longer be read
    };
    const Step steps[] = {
        // Slot 0, then the search of slots 0 to 5; no batch yet. Then the same reads: no
        // search, and one batch.
        {laterSlots, 53 + 1 + 5, 59, "5 5|Ann Driver|Ann Driver|BMW 320si"},
        {{}, 53, 0},
        {{{W::Double, m.WheelField(2, m.Wheel.TyreTemp), 400}}, 53, 0},
        // A player name without its separator keeps the slot. Slot 63 is empty: its zero bytes
        // would split the packet that carries SlotName.
        {{{W::Text, m.PlayerName, 30, "Nobody"}}, 53 + 64, -1, "5 5|Error||BMW 320si"},
        // Settled in slot 9, its car text and nine values cannot be read whole: they alone go
        // singly. Then a short read inside the batch: range by range.
        {{{W::Text, m.PlayerName, 30, "Bo Nine\\x"}}, -1, -1, "9 9|Bo Nine|Bo Nine|Volvo"},
        {{}, -1, 10},
        {{}, -1, 53, nullptr, 0, 0, m.OilTemp + 4},
        // Slot 3's car text cannot be read: it cuts to empty.
        {{}, -1, -1, "3 3|Cid Third||", 1},
        {{}, -1, -1, "5 5|Ann Driver||BMW 320si", 2, 5},
        {{{W::Int32, slot(m.LapNumber, 5), 32767}}, -1, -1, nullptr, 2, 5},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        SCOPED_TRACE(i);
        for (AcquisitionRig* rig : {&plain, &batched}) {
            testing::Apply(*rig->image, step.writes);
            if (step.hole != 0) rig->image->Unreadable(step.hole, 4);
            rig->acquisition.SetDriverSelectMode(step.mode);
            rig->acquisition.SetFixedDriverSlot(step.fixedSlot);
            rig->image->ClearReads();
        }
        Snapshot a;
        Snapshot b;
        EXPECT_EQ(Outcome(plain, a), Outcome(batched, b));
        EXPECT_EQ(a, b);
        EXPECT_EQ(plain.acquisition.DriverSlot(), batched.acquisition.DriverSlot());
        if (i == 0) {
            testing::ExpectSessionSnapshot(a);
            EXPECT_EQ(plain.acquisition.CurrentCar(), "BMW 320si");
        }
        if (step.slotDriverSlotNameCar != nullptr) {
            EXPECT_EQ(std::to_string(plain.acquisition.DriverSlot()) + " " +
                          std::to_string(a.DriverSlot) + "|" + a.DriverName + "|" + a.SlotName +
                          "|" + a.CarName,
                      step.slotDriverSlotNameCar);
        }
        if (step.plainReads >= 0) {
            EXPECT_EQ(plain.image->Reads().size(), static_cast<std::size_t>(step.plainReads));
        }
        if (step.batchedReads >= 0) {
            EXPECT_EQ(batched.image->Reads().size(), static_cast<std::size_t>(step.batchedReads));
        }
    }
}

TEST(Acquisition, MemoryFaultsEndTheTickThrowOrReadAsErrorTexts) {
    using W = testing::MemoryWrite;
    const MemoryMap m = LoadMemoryMap();
    const auto slot = [](Address slot0, int n) { return MemoryMap::SlotField(slot0, n); };
    const std::string noNul(50, 'X');  // a text that fills its field
    struct Case {
        std::int16_t mode, fixedSlot;
        std::vector<W> writes;
        const char* outcome;
    };
    // clang-format off
    const Case cases[] = {
        // No usable slot: the tick ends before any slot value is read.
        {1, 0, {{W::Int32, m.PlayerSlot, 5}, {W::Text, slot(m.SlotName, 5), 24, noNul.substr(26)}}, "end"},
        {2, 5, {{W::Text, slot(m.SlotName, 5), 24, noNul.substr(26)}}, "end"},
        {1, 0, {{W::Int32, m.PlayerSlot, 64}}, "end"},
        {1, 0, {{W::Int32, m.PlayerSlot, -1}}, "end"},
        // A text without its character 0, a lap count past the last lap, a track path too short.
        {0, 0, {{W::Text, slot(m.SlotName, 0), 24, noNul.substr(26)}}, "threw"},
        {0, 0, {{W::Text, slot(m.CarName, 5), 50, noNul}}, "threw"},
        {0, 0, {{W::Int32, slot(m.LapNumber, 5), 32767}}, "threw"},
        {0, 0, {{W::Text, m.TrackPath, 50, "Tracks\\abc"}}, "threw"},
        // The track's name is its file name after the first backslash.
        {0, 0, {{W::Text, m.TrackPath, 50, "Anderstorp.trk"}}, "track Error"},
        {0, 0, {{W::Text, m.TrackPath, 50, "GameData\\Locations\\Monza.trk"}}, "track Locations\\Monza"},
        {0, 0, {{W::Text, m.TrackPath, 50, "Tracks\\.trk"}}, "track "},
        {0, 0, {{W::Text, m.TrackPath, 50, noNul}}, "track Error"},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        AcquisitionRig rig;
        testing::Apply(*rig.image, c.writes);
        rig.acquisition.SetDriverSelectMode(c.mode);
        rig.acquisition.SetFixedDriverSlot(c.fixedSlot);
        Snapshot snapshot;
        EXPECT_EQ(Outcome(rig, snapshot), c.outcome);
        if (c.outcome == std::string("end")) {
            EXPECT_LE(rig.image->Reads().size(), 2u);
            EXPECT_EQ(rig.acquisition.CurrentCar(), "");
        }
    }
}

// Memory that cannot be read gives error texts (and the readers' zeros), as long as something of
// the scan was read; a scan in which every read failed (another program's memory, or a process
// that ended) is no snapshot, and the car picture stays as it was.
TEST(Acquisition, UnreadableMemoryGivesErrorTextsButAScanThatReadNothingIsNoSnapshot) {
    AcquisitionRig rig;
    Snapshot got;
    EXPECT_EQ(Outcome(rig, got), "track Anderstorp");
    rig.image = std::make_shared<testing::MemoryImage>();
    testing::FakeReader nothing(rig.image, rig.openReaders);
    rig.readers.SetProcess(&nothing);
    EXPECT_EQ(Outcome(rig, got), "nothing read");
    EXPECT_EQ(rig.acquisition.CurrentCar(), "BMW 320si");

    rig.image->Bytes(rig.map.Contact, {1});
    EXPECT_EQ(Outcome(rig, got), "track Error");
    EXPECT_EQ(got.DriverName + "|" + got.SlotName + "|" + got.CarName, "Error||");
    EXPECT_EQ(rig.acquisition.CurrentCar(), "");
}

// Each reader keeps the bytes a short read got, zero past them, and gives its zero result when
// nothing (or no process) was read; an integer takes no more than its 4 bytes. (The session's
// figures pin the rest of the integers' rules: their size, sign and low 16 bits.)
TEST(MemoryReaders, ShortReadsKeepTheBytesGotAndNothingReadGivesZero) {
    AcquisitionRig rig(false);
    rig.image->Bytes(0x1000, {0x34, 0x12, 0xAA, 0xBB, 0xCC});
    EXPECT_EQ(rig.readers.ReadMemoryInteger(0x1000, 9), 0x1234) << "more than its 4 bytes asked";
    rig.image->Bytes(0x1000, {0x34, 0x00, 0xE9, 0x3F});
    rig.image->Unreadable(0x1004, 1);
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
