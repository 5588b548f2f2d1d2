// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "memory_writer.h"
#include "telemetry/memory_map.h"

namespace kerbview::standin {

/// A believable race session for the stand-in simulator: the player's car laps a track of
/// about 60 s with gears, pedals, fuel use, tyre and brake heat and a pit stop every few laps,
/// among eleven other drivers. Plain C++; the window only steps it and shows its figures.
class SessionModel {
public:
    static constexpr int kDriverCount = 12;
    static constexpr int kPlayerSlot = 5;
    static constexpr int kPitEveryLaps = 4;

    explicit SessionModel(std::uint32_t seed = 7);

    /// Advances the session by `seconds` of race time.
    void Step(double seconds);
    /// Writes the whole state at the memory map's addresses.
    void Publish(MemoryWriter& memory) const;

    void SetIgnition(bool on) { m_ignition = on; }
    void SetLimiterSwitch(bool on) { m_limiterSwitch = on; }
    void SetTcLevel(int level) { m_tcLevel = level; }
    void SetAbsLevel(int level) { m_absLevel = level; }
    /// Track mode: from now on every published figure is moved by a step that the panel shows
    /// (see Publish); `phase` counts the steps, and any change of it changes every figure.
    void SetTrackPhase(int phase) { m_trackPhase = phase; }
    bool Ignition() const { return m_ignition; }

    int PlayerLapCount() const { return m_driver[kPlayerSlot].lapCount; }
    double SpeedKmh() const { return m_speed * 3.6; }
    int Gear() const { return m_gear; }
    int PlayerPosition() const { return m_driver[kPlayerSlot].position; }
    double Fuel() const { return m_fuel; }
    double Throttle() const { return m_throttle; }
    double Brake() const { return m_brake; }
    double EngineRpm() const { return m_engine * 60.0 / (2.0 * 3.14159265358979); }
    float LastLap() const { return m_driver[kPlayerSlot].lastLap; }
    float BestLap() const { return m_driver[kPlayerSlot].bestLap; }
    bool InPits() const { return m_pitPhase != PitPhase::None; }
    const std::string& TrackName() const { return m_trackName; }

private:
    enum class PitPhase { None, Entering, Stopped, Leaving };

    struct Driver {
        std::string name;
        std::string car;
        double lapTime = 60.0;  // AI: this lap's time
        double progress = 0.0;  // laps completed plus fraction of the current one
        int lapCount = 0;
        int position = 1;
        float bestLap = 0.0f;
        float lastLap = 0.0f;
        bool inPits = false;
    };

    struct Wheel {
        std::array<double, 3> tyreK{};  // zones 1 to 3, kelvin
        double brakeK = 0.0;
        double rotation = 0.0;  // rad/s, negative going forward
        double ratio = 1.0;
        double lockTime = 0.0;  // seconds this wheel stays locked
    };

    void BuildSpeedProfile();
    double ProfileSpeed(double distance) const;
    void StepPlayer(double dt);
    void StepDrivers(double dt);
    void StepHeat(double dt, double accel);
    void FinishPlayerLap();
    void PublishLastLap();

    std::mt19937 m_random;
    telemetry::MemoryMap m_map = telemetry::LoadMemoryMap();
    std::string m_trackName = "Anderstorp";
    std::vector<double> m_profile;  // speed limit in m/s per metre of track
    double m_trackLength = 0.0;

    int m_trackPhase = -1;  // below 0: plain session

    bool m_ignition = true;
    bool m_limiterSwitch = false;
    int m_tcLevel = 1;
    int m_absLevel = 1;

    double m_distance = 0.0;  // metres into the current lap
    double m_lapClock = 0.0;  // seconds into the current lap
    /// The lap time of the lap just finished, published once m_lastLapDue counts down to 0:
    /// the game gives a lap's time a moment after its lap number moves on.
    float m_pendingLastLap = 0.0f;
    double m_lastLapDue = 0.0;  // seconds until m_pendingLastLap is published; 0: none pending
    double m_speed = 0.0;       // m/s
    double m_throttle = 0.0;
    double m_brake = 0.0;
    int m_gear = 0;
    double m_engine = 0.0;  // rad/s
    double m_fuel = 60.0;   // litres
    double m_oilK = 358.0;  // warmed up on the formation lap
    double m_waterK = 348.0;
    PitPhase m_pitPhase = PitPhase::None;
    double m_pitClock = 0.0;
    bool m_pitThisLap = false;
    std::array<Wheel, 4> m_wheel{};
    std::array<Driver, kDriverCount> m_driver{};
};

}  // namespace kerbview::standin
