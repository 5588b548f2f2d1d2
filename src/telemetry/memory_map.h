// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "telemetry/process_memory.h"

namespace kerbview::telemetry {

/// Offsets inside one wheel record of the simulator's wheel block.
struct WheelRecordOffsets {
    Address Rotation = 0x000;      ///< double, raw rotation for WheelSpeed
    Address RadiusFactor = 0x158;  ///< double; read for front left and rear left only
    Address TyreTemp = 0x300;      ///< three doubles in kelvin, zones 1 to 3, 8 bytes apart
    Address TyrePressure = 0x328;  ///< double, kPa
    Address TyreRatio = 0x348;     ///< double, 1.0 full
    Address BrakeTemp = 0x3D0;     ///< double, kelvin
};

/// Absolute addresses of the telemetry values in one build of the simulator.
struct MemoryMap {
    // Driver slot table: slot-0 addresses; slot n lies n * SlotStride bytes further on.
    static constexpr int SlotCount = 64;
    /// Distance in bytes between two driver slots (0x8190).
    static constexpr Address SlotStride = 33168;
    Address SlotName = 0x983758;  ///< 24 bytes
    Address CarName = 0x983848;   ///< 50 bytes
    Address EngineSpeed = 0x97BFB4;
    Address Position = 0x982E54;
    Address EngineMaxSpeed = 0x981284;
    Address LapNumber = 0x982E2C;
    Address Fuel = 0x981260;
    Address BestLap = 0x982EFC;
    Address LastLap = 0x982E40;
    Address CentreReadout = 0x97CACC;
    Address InPits = 0x980BF8;  ///< 1 byte

    // Wheel block: front left, front right, rear left, rear right.
    static constexpr int WheelCount = 4;
    static constexpr Address WheelRecordSize = 0x500;
    Address WheelBlock = 0xCD0668;
    WheelRecordOffsets Wheel{};

    // Other fixed addresses.
    Address PlayerName = 0xCD9A35;  ///< 30 bytes: name, backslash, more text
    Address PlayerSlot = 0x979AF0;
    Address OilTemp = 0xCD25A8;
    Address WaterTemp = 0xCD25E8;
    Address Contact = 0xCD24AA;     ///< 1 byte
    Address TrackPath = 0x976557;   ///< 50 bytes
    Address PitLimiter = 0xCD24A9;  ///< 1 byte
    Address TcState = 0xCD0354;     ///< 1 byte
    Address AbsState = 0xCD0358;    ///< 1 byte
    Address BarPercent1 = 0xCD619C;
    Address BarPercent2 = 0xCD61C8;
    Address TrackTemp = 0x10BEDF0;
    Address AmbientTemp = 0x10BEDEC;

    static constexpr int SlotNameLength = 24;
    static constexpr int CarNameLength = 50;
    static constexpr int PlayerNameLength = 30;
    static constexpr int TrackPathLength = 50;

    /// Address of a slot field for `slot` (0 to 63), from its slot-0 address.
    static constexpr Address SlotField(Address slot0, int slot) {
        return slot0 + static_cast<Address>(slot) * SlotStride;
    }
    /// Address of a field of wheel `wheel` (0 front left .. 3 rear right) at `offset`.
    constexpr Address WheelField(int wheel, Address offset) const {
        return WheelBlock + static_cast<Address>(wheel) * WheelRecordSize + offset;
    }

    /// Lowest address read and one past the highest byte read, over every field and slot.
    constexpr Address Lowest() const {
        return std::min({SlotName,  CarName,     EngineSpeed, Position,   EngineMaxSpeed,
                         LapNumber, Fuel,        BestLap,     LastLap,    CentreReadout,
                         InPits,    WheelBlock,  PlayerName,  PlayerSlot, OilTemp,
                         WaterTemp, Contact,     TrackPath,   PitLimiter, TcState,
                         AbsState,  BarPercent1, BarPercent2, TrackTemp,  AmbientTemp});
    }
    constexpr Address End() const {
        const Address lastSlot = static_cast<Address>(SlotCount - 1) * SlotStride;
        return std::max({SlotName + lastSlot + SlotNameLength,
                         CarName + lastSlot + CarNameLength,
                         EngineSpeed + lastSlot + 4,
                         Position + lastSlot + 4,
                         EngineMaxSpeed + lastSlot + 4,
                         LapNumber + lastSlot + 4,
                         Fuel + lastSlot + 4,
                         BestLap + lastSlot + 4,
                         LastLap + lastSlot + 4,
                         CentreReadout + lastSlot + 4,
                         InPits + lastSlot + 1,
                         WheelField(WheelCount - 1, Wheel.BrakeTemp) + 8,
                         PlayerName + PlayerNameLength,
                         PlayerSlot + 4,
                         OilTemp + 8,
                         WaterTemp + 8,
                         Contact + 1,
                         TrackPath + TrackPathLength,
                         PitLimiter + 1,
                         TcState + 1,
                         AbsState + 1,
                         BarPercent1 + 4,
                         BarPercent2 + 4,
                         TrackTemp + 4,
                         AmbientTemp + 4});
    }
};

/// The memory map of the supported simulator build. Constant: nothing changes it afterwards.
constexpr MemoryMap LoadMemoryMap() { return MemoryMap{}; }

}  // namespace kerbview::telemetry
