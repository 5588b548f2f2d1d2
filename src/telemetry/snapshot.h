// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kerbview::telemetry {

/// The values of one scan, in the fixed order the wire format also carries them (1..52).
/// Metric base units as read: degrees Celsius, kPa, litres, seconds, radians per second.
/// Wheel order in every per-wheel array: front-left, front-right, rear-left, rear-right.
/// Texts are Windows-1252. A default-constructed snapshot is all zeros and empty texts.
struct Snapshot {
    std::string DriverName;               // 1
    float OilTemp = 0;                    // 2
    float WaterTemp = 0;                  // 3
    std::string SlotName;                 // 4
    std::int16_t Position = 0;            // 5
    float EngineSpeed = 0;                // 6
    float EngineMaxSpeed = 0;             // 7
    std::int16_t Contact = 0;             // 8
    std::int16_t LapNumber = 0;           // 9
    float Fuel = 0;                       // 10
    float BestLap = 0;                    // 11
    float LastLap = 0;                    // 12
    std::int16_t CentreReadout = 0;       // 13
    std::array<float, 12> TyreTemp{};     // 14-25: FL zones 1-3, FR 1-3, RL 1-3, RR 1-3
    std::array<float, 4> TyrePressure{};  // 26-29
    std::array<double, 4> WheelSpeed{};   // 30-33
    std::array<double, 4> TyreRatio{};    // 34-37
    std::string TrackName;                // 38
    std::int16_t PitLimiter = 0;          // 39
    std::int16_t InPits = 0;              // 40
    std::int16_t TcState = 0;             // 41
    std::int16_t AbsState = 0;            // 42
    float BarPercent1 = 0;                // 43
    float BarPercent2 = 0;                // 44
    float TrackTemp = 0;                  // 45
    float AmbientTemp = 0;                // 46
    std::int16_t DriverSlot = 0;          // 47
    std::array<float, 4> BrakeTemp{};     // 48-51
    std::string CarName;                  // 52

    bool operator==(const Snapshot&) const = default;
};

}  // namespace kerbview::telemetry
