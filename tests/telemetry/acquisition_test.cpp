// SPDX-License-Identifier: MIT
#include "telemetry/acquisition.h"

#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"

namespace kerbview::telemetry {
namespace {

// A field of `length` bytes: the text, then zero bytes.
std::string Field(std::string_view text, std::size_t length) {
    std::string field(text);
    field.resize(length, '\0');
    return field;
}

struct AcquisitionRig {
    AcquisitionRig() : reader(image, openReaders) { readers.SetProcess(&reader); }

    void SlotName(int slot, std::string_view name) {
        image->Text(MemoryMap::SlotField(map.SlotName, slot), Field(name, 24));
    }
    void PlayerName(std::string_view text) { image->Text(map.PlayerName, Field(text, 30)); }
    void TrackPath(std::string_view text) { image->Text(map.TrackPath, Field(text, 50)); }

    // A full, coherent memory image with the player "Ann Driver" in slot 5.
    void FillSession() {
        PlayerName("Ann Driver\\Profiles\\x");
        for (int slot = 0; slot < MemoryMap::SlotCount; ++slot) {
            SlotName(slot, "");
        }
        SlotName(2, "Bob Other");
        SlotName(5, "Ann Driver");
        const auto at = [this](Address slot0) { return MemoryMap::SlotField(slot0, 5); };
        image->Text(at(map.CarName), Field("BMW 320si", 50));
        image->Single(at(map.EngineSpeed), 800.5f);
        image->Int32(at(map.Position), 3);
        image->Single(at(map.EngineMaxSpeed), 890.0f);
        image->Int32(at(map.LapNumber), 6);
        image->Single(at(map.Fuel), 42.25f);
        image->Single(at(map.BestLap), 61.5f);
        image->Single(at(map.LastLap), 62.25f);
        image->Int32(at(map.CentreReadout), 4);
        image->Bytes(at(map.InPits), {1});
        image->Double(map.OilTemp, 373.15);
        image->Double(map.WaterTemp, 363.15);
        image->Bytes(map.Contact, {1});
        for (int w = 0; w < 4; ++w) {
            for (int z = 0; z < 3; ++z) {
                image->Double(map.WheelField(w, map.Wheel.TyreTemp + 8 * z), 353.15 + 3 * w + z);
            }
            image->Double(map.WheelField(w, map.Wheel.TyrePressure), 190.5 + w);
            image->Double(map.WheelField(w, map.Wheel.BrakeTemp), 573.15 + 10 * w);
            image->Double(map.WheelField(w, map.Wheel.Rotation), -50.0 - 10 * w);
            image->Double(map.WheelField(w, map.Wheel.TyreRatio), 1.0 - 0.25 * w);
            // Only the left wheels' factors count; the right ones must never be used.
            image->Double(map.WheelField(w, map.Wheel.RadiusFactor), w == 0   ? 0.284
                                                                     : w == 2 ? 0.568
                                                                              : 99.0);
        }
        TrackPath("Tracks\\Anderstorp.trk");
        image->Bytes(map.PitLimiter, {1});
        image->Bytes(map.TcState, {2});
        image->Bytes(map.AbsState, {0xFF});
        image->Single(map.BarPercent1, 0.5f);
        image->Single(map.BarPercent2, 0.25f);
        image->Single(map.TrackTemp, 31.5f);
        image->Single(map.AmbientTemp, 22.25f);
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
    rig.FillSession();
    Snapshot got = rig.Take();

    Snapshot want;
    want.DriverName = "Ann Driver";
    want.OilTemp = 100.0f;
    want.WaterTemp = 90.0f;
    want.SlotName = "Ann Driver";
    want.Position = 3;
    want.EngineSpeed = 800.5f;
    want.EngineMaxSpeed = 890.0f;
    want.Contact = 1;
    want.LapNumber = 7;
    want.Fuel = 42.25f;
    want.BestLap = 61.5f;
    want.LastLap = 62.25f;
    want.CentreReadout = 4;
    want.TyreTemp = {80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91};
    want.TyrePressure = {190.5f, 191.5f, 192.5f, 193.5f};
    want.TyreRatio = {1.0, 0.75, 0.5, 0.25};
    want.TrackName = "Anderstorp";
    want.PitLimiter = 1;
    want.InPits = 1;
    want.TcState = 2;
    want.AbsState = 255;
    want.BarPercent1 = 50.0f;
    want.BarPercent2 = 25.0f;
    want.TrackTemp = 31.5f;
    want.AmbientTemp = 22.25f;
    want.DriverSlot = 5;
    want.BrakeTemp = {300, 310, 320, 330};
    want.CarName = "BMW 320si";

    // rotation x -1.0 x the axle's left-wheel factor / 0.284
    const double wheelSpeed[4] = {50.0, 60.0, 140.0, 160.0};
    for (std::size_t w = 0; w < 4; ++w) {
        EXPECT_DOUBLE_EQ(got.WheelSpeed[w], wheelSpeed[w]) << "wheel " << w;
    }
    want.WheelSpeed = got.WheelSpeed;
    EXPECT_EQ(got, want);
    EXPECT_EQ(rig.acquisition.CurrentCar(), "BMW 320si");
}

TEST(Acquisition, NameSearchRunsOnceThenReadsOnlyTheKnownSlot) {
    AcquisitionRig rig;
    rig.FillSession();
    rig.Take();
    EXPECT_EQ(rig.acquisition.DriverSlot(), 5);
    // 53 reads for a known slot; the first tick also read slot 0 and searched slots 0 to 5.
    EXPECT_EQ(rig.image->Reads().size(), 53u + 1u + 5u);

    rig.image->ClearReads();
    rig.Take();
    EXPECT_EQ(rig.image->Reads().size(), 53u);
}

TEST(Acquisition, SearchMissKeepsThePreviousSlotAndCarriesNoZeroBytes) {
    AcquisitionRig rig;
    rig.FillSession();
    rig.Take();
    ASSERT_EQ(rig.acquisition.DriverSlot(), 5);

    rig.PlayerName("Nobody without a separator");
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
    rig.FillSession();
    rig.SlotName(3, "Cid Third");
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
    const Case cases[] = {
        {"mode 1 name fills 24 bytes", 1, 5, 0, true},
        {"mode 2 name fills 24 bytes", 2, 0, 5, true},
        {"mode 1 slot 64", 1, 64, 0, false},
        {"mode 1 slot -1", 1, -1, 0, false},
        {"mode 2 slot 300", 2, 0, 300, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AcquisitionRig rig;
        rig.FillSession();
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
    const Case cases[] = {
        {"Tracks\\Anderstorp.trk", "Anderstorp"},
        {"Anderstorp.trk", "Error"},
        {"GameData\\Locations\\Monza.trk", "Locations\\Monza"},
        {"Tracks\\.trk", ""},
        {std::string(50, 'A'), "Error"},  // no character 0 in the 50 bytes
        {"", "Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        AcquisitionRig rig;
        rig.FillSession();
        rig.TrackPath(c.path);
        EXPECT_EQ(rig.Take().TrackName, c.expected);
    }
    AcquisitionRig unreadable;
    EXPECT_EQ(unreadable.Take().TrackName, "Error");
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
        [](AcquisitionRig& r) { r.TrackPath("Tracks\\abc"); },
    };
    int index = 0;
    for (const auto& fault : faults) {
        SCOPED_TRACE(index++);
        AcquisitionRig rig;
        rig.FillSession();
        fault(rig);
        Snapshot snapshot;
        EXPECT_THROW(rig.acquisition.Acquire(snapshot), LecturesError);
    }
}

TEST(Acquisition, UnreadableMemoryGivesZerosAndErrorTexts) {
    AcquisitionRig rig;
    const Snapshot got = rig.Take();
    EXPECT_EQ(got.DriverName, "Error");
    EXPECT_EQ(got.SlotName, "");
    EXPECT_EQ(got.CarName, "");
    EXPECT_EQ(got.TrackName, "Error");
    EXPECT_EQ(got.LapNumber, 1);
    EXPECT_EQ(got.OilTemp, -273.15f);
    EXPECT_EQ(got.WheelSpeed[0], 0.0);
    EXPECT_EQ(got.BarPercent1, 0.0f);
    EXPECT_EQ(rig.acquisition.DriverSlot(), 0);
}

}  // namespace
}  // namespace kerbview::telemetry
