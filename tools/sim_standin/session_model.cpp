// SPDX-License-Identifier: MIT
#include "session_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kerbview::standin {

namespace {

constexpr double kWheelRadius = 0.31;                         // metres
constexpr double kRadiusFactor = 0.284 * kWheelRadius * 3.6;  // makes the read-out km/h
constexpr double kBrakeDecel = 13.0;                          // m/s^2
constexpr double kPitSpeed = 60.0 / 3.6;
constexpr double kPitStop = 150.0;     // metres into the lap where the car stops
constexpr double kPitLaneEnd = 420.0;  // metres into the lap where the pit lane ends
constexpr double kPitStopSeconds = 8.0;
constexpr double kLastLapLagSeconds = 0.35;  // how long the lap time trails the lap number
constexpr double kFullTank = 60.0;
constexpr double kAmbient = 22.0;
constexpr double kTrackTemp = 31.0;
constexpr double kKelvin = 273.15;
constexpr double kRedline = 8500.0;                                        // rpm
constexpr double kIdle = 900.0;                                            // rpm
constexpr std::array<double, 6> kGearTop = {85, 120, 155, 190, 225, 265};  // km/h at redline

struct Segment {
    double length;  // metres
    double limit;   // km/h
};
// A 2.2 km circuit: a long start straight, then corners and straights.
constexpr std::array<Segment, 11> kTrack = {{{430, 245},
                                             {120, 95},
                                             {250, 205},
                                             {100, 80},
                                             {300, 225},
                                             {150, 120},
                                             {270, 215},
                                             {90, 70},
                                             {200, 175},
                                             {130, 110},
                                             {210, 235}}};

double Acceleration(double speed) { return std::max(1.5, 9.0 * (1.0 - speed / 75.0)); }

double RpmToRadPerSecond(double rpm) { return rpm * 2.0 * std::numbers::pi / 60.0; }

const std::array<std::pair<const char*, const char*>, SessionModel::kDriverCount> kEntrants = {{
    {"Anna Lindqvist", "BMW 320si WTCC"},
    {"Tom Coronel", "SEAT Leon WTCC"},
    {"Pietro Rossi", "Alfa Romeo 156 GTA"},
    {"Lars Holm", "Volvo S60 WTCC"},
    {"James Brook", "Honda Accord Euro R"},
    {"Marc Vidal", "BMW 320si WTCC"},
    {"Eva Novak", "Chevrolet Lacetti"},
    {"Jordi Serra", "SEAT Leon WTCC"},
    {"Klaus Weber", "Mercedes C-Class"},
    {"Sophie Martin", "Peugeot 407"},
    {"Yuki Tanaka", "Honda Accord Euro R"},
    {"Rui Costa", "Alfa Romeo 156 GTA"},
}};

}  // namespace

SessionModel::SessionModel(std::uint32_t seed) : m_random(seed) {
    BuildSpeedProfile();
    std::uniform_real_distribution<double> pace(58.8, 62.0);
    for (int i = 0; i < kDriverCount; ++i) {
        Driver& d = m_driver[static_cast<std::size_t>(i)];
        d.name = kEntrants[static_cast<std::size_t>(i)].first;
        d.car = kEntrants[static_cast<std::size_t>(i)].second;
        d.lapTime = pace(m_random);
        // A rolling start in grid order, a car length apart.
        d.progress = -0.002 * i;
    }
    for (Wheel& w : m_wheel) {
        w.tyreK = {kKelvin + 75.0, kKelvin + 75.0, kKelvin + 75.0};
        w.brakeK = kKelvin + 150.0;
    }
    m_speed = ProfileSpeed(0.0);
}

void SessionModel::BuildSpeedProfile() {
    for (const Segment& s : kTrack) {
        for (int m = 0; m < static_cast<int>(s.length); ++m) {
            m_profile.push_back(s.limit / 3.6);
        }
    }
    m_trackLength = static_cast<double>(m_profile.size());
    const std::size_t n = m_profile.size();
    // Twice round in each direction so that the limits carry across the finish line.
    for (std::size_t k = 0; k < 2 * n; ++k) {
        const double v = m_profile[k % n];
        double& next = m_profile[(k + 1) % n];
        next = std::min(next, std::sqrt(v * v + 2.0 * Acceleration(v)));
    }
    for (std::size_t k = 2 * n; k > 0; --k) {
        const double v = m_profile[k % n];
        double& before = m_profile[(k - 1) % n];
        before = std::min(before, std::sqrt(v * v + 2.0 * kBrakeDecel));
    }
}

double SessionModel::ProfileSpeed(double distance) const {
    const auto index = static_cast<std::size_t>(std::clamp(distance, 0.0, m_trackLength - 1.0));
    return m_profile[index];
}

void SessionModel::Step(double seconds) {
    // Small steps keep the heat and speed integration steady whatever the timer does.
    while (seconds > 1e-9) {
        const double dt = std::min(seconds, 0.02);
        StepPlayer(dt);
        StepDrivers(dt);
        seconds -= dt;
    }
}

void SessionModel::StepPlayer(double dt) {
    const double before = m_speed;
    double target = 0.0;
    if (m_ignition) {
        target = ProfileSpeed(m_distance);
        if (m_pitThisLap && m_distance < kPitLaneEnd) {
            if (m_pitPhase == PitPhase::None) {
                m_pitPhase = PitPhase::Entering;
            }
            if (m_pitPhase == PitPhase::Entering && m_distance >= kPitStop) {
                m_pitPhase = PitPhase::Stopped;
                m_pitClock = 0.0;
            }
            if (m_pitPhase == PitPhase::Stopped) {
                m_pitClock += dt;
                m_speed = 0.0;
                m_fuel = std::min(kFullTank, m_fuel + 6.0 * dt);
                if (m_pitClock >= kPitStopSeconds) {
                    m_pitPhase = PitPhase::Leaving;
                    for (Wheel& w : m_wheel) {
                        w.ratio = 1.0;
                    }
                }
            }
            target = m_pitPhase == PitPhase::Stopped ? 0.0 : kPitSpeed;
        } else if (m_pitPhase != PitPhase::None) {
            m_pitPhase = PitPhase::None;
            m_pitThisLap = false;
        }
        if (m_limiterSwitch) {
            target = std::min(target, kPitSpeed);
        }
    }
    if (m_pitPhase != PitPhase::Stopped) {
        m_speed = target < m_speed ? std::max(target, m_speed - kBrakeDecel * dt)
                                   : std::min(target, m_speed + Acceleration(m_speed) * dt);
    }
    const double accel = (m_speed - before) / dt;
    m_brake = accel < -0.5 ? std::min(1.0, -accel / kBrakeDecel) : 0.0;
    m_throttle = !m_ignition     ? 0.0
                 : accel > 0.2   ? std::min(1.0, 0.4 + accel / Acceleration(m_speed))
                 : m_brake > 0.0 ? 0.0
                                 : 0.3;

    const double kmh = m_speed * 3.6;
    if (!m_ignition) {
        m_gear = 0;
        m_engine = 0.0;
    } else if (m_speed < 0.5) {
        m_gear = m_pitPhase == PitPhase::Stopped ? 0 : 1;
        m_engine = RpmToRadPerSecond(kIdle);
    } else {
        m_gear = 1;
        while (m_gear < 6 && kmh > kGearTop[static_cast<std::size_t>(m_gear - 1)] * 0.97) {
            ++m_gear;
        }
        const double rpm = kRedline * kmh / kGearTop[static_cast<std::size_t>(m_gear - 1)];
        m_engine = RpmToRadPerSecond(std::clamp(rpm, kIdle, kRedline));
    }

    if (m_ignition) {
        m_fuel = std::max(0.0, m_fuel - dt * (0.004 + 0.07 * m_throttle));
        m_oilK += (kKelvin + 96.0 - m_oilK) * dt / 90.0;
        m_waterK += (kKelvin + 93.0 - m_waterK) * dt / 60.0;
    }

    StepHeat(dt, accel);

    m_distance += m_speed * dt;
    m_lapClock += dt;
    if (m_lastLapDue > 0.0) {
        m_lastLapDue -= dt;
        if (m_lastLapDue <= 1e-9) {
            PublishLastLap();
        }
    }
    if (m_distance >= m_trackLength) {
        FinishPlayerLap();
    }
}

void SessionModel::StepHeat(double dt, double accel) {
    const double corner = ProfileSpeed(m_distance) < 150.0 / 3.6 ? 1.0 : 0.0;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (std::size_t i = 0; i < m_wheel.size(); ++i) {
        Wheel& w = m_wheel[i];
        const bool front = i < 2;
        const double brakeShare = front ? 0.6 : 0.4;
        w.brakeK += dt * m_brake * m_speed * 6.0 * brakeShare;
        w.brakeK -= dt * (w.brakeK - (kKelvin + kAmbient)) * (0.02 + m_speed * 0.0008);

        const double load = m_speed * 0.058 + (front ? m_brake * m_speed * 0.08 : 0.0) +
                            (!front && accel > 0 ? m_throttle * m_speed * 0.02 : 0.0);
        for (std::size_t zone = 0; zone < 3; ++zone) {
            // Camber loads the inner zone; corners load the outer one.
            const double zoneLoad = load * (1.1 - 0.1 * static_cast<double>(zone)) +
                                    (zone == 2 ? corner * m_speed * 0.04 : 0.0);
            double& t = w.tyreK[zone];
            t += dt * (zoneLoad - 0.05 * (t - (kKelvin + kTrackTemp)));
        }

        // Now and then a front wheel locks for a moment under hard braking.
        if (front && m_brake > 0.8 && w.lockTime <= 0.0 && chance(m_random) < dt * 0.15) {
            w.lockTime = 0.4;
        }
        w.lockTime = m_brake > 0.0 ? w.lockTime - dt : 0.0;
        w.rotation = w.lockTime > 0.0 ? 0.0 : -m_speed / kWheelRadius;
    }
}

void SessionModel::FinishPlayerLap() {
    Driver& me = m_driver[kPlayerSlot];
    if (m_lastLapDue > 0.0) {
        PublishLastLap();
    }
    m_pendingLastLap = static_cast<float>(m_lapClock);
    m_lastLapDue = kLastLapLagSeconds;
    ++me.lapCount;
    m_distance -= m_trackLength;
    m_lapClock = 0.0;
    m_pitThisLap = me.lapCount % kPitEveryLaps == 0;
    for (Wheel& w : m_wheel) {
        w.ratio = std::max(0.5, w.ratio - 0.012);
    }
}

void SessionModel::PublishLastLap() {
    Driver& me = m_driver[kPlayerSlot];
    me.lastLap = m_pendingLastLap;
    me.bestLap = me.bestLap == 0.0f ? me.lastLap : std::min(me.bestLap, me.lastLap);
    m_lastLapDue = 0.0;
}

void SessionModel::StepDrivers(double dt) {
    std::normal_distribution<double> spread(0.0, 0.6);
    for (int i = 0; i < kDriverCount; ++i) {
        Driver& d = m_driver[static_cast<std::size_t>(i)];
        if (i == kPlayerSlot) {
            d.progress = d.lapCount + m_distance / m_trackLength;
            d.inPits = m_pitPhase != PitPhase::None;
            continue;
        }
        d.progress += dt / d.lapTime;
        const int completed = static_cast<int>(std::floor(d.progress));
        if (completed > d.lapCount) {
            d.lapCount = completed;
            d.lastLap = static_cast<float>(d.lapTime);
            d.bestLap = d.bestLap == 0.0f ? d.lastLap : std::min(d.bestLap, d.lastLap);
            // Every few laps this driver's next lap includes a stop.
            const bool pitLap = (d.lapCount + i) % (kPitEveryLaps + 1) == 0;
            d.lapTime = std::clamp(60.0 + (i % 4) * 0.4 - 0.6 + spread(m_random), 58.5, 63.0) +
                        (pitLap ? 20.0 : 0.0);
        }
        d.inPits = d.lapTime > 70.0 && d.progress - d.lapCount < 0.3;
    }
    std::array<int, kDriverCount> order{};
    for (int i = 0; i < kDriverCount; ++i) {
        order[static_cast<std::size_t>(i)] = i;
    }
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return m_driver[static_cast<std::size_t>(a)].progress >
               m_driver[static_cast<std::size_t>(b)].progress;
    });
    for (int p = 0; p < kDriverCount; ++p) {
        m_driver[static_cast<std::size_t>(order[static_cast<std::size_t>(p)])].position = p + 1;
    }
}

void SessionModel::Publish(MemoryWriter& memory) const {
    using telemetry::MemoryMap;
    const MemoryMap& map = m_map;
    const Driver& me = m_driver[kPlayerSlot];
    const float maxEngine = static_cast<float>(RpmToRadPerSecond(kRedline));
    // Track mode moves each figure by 1 to 20 steps of a size the panel shows (a whole degree,
    // rpm, km/h, kPa or percent; a hundredth of a litre; a tenth of the ratio figure), so that
    // every displayed value differs from one phase to the next.
    const double step = m_trackPhase < 0 ? 0.0 : static_cast<double>(m_trackPhase % 20 + 1);
    const double engine = m_engine - RpmToRadPerSecond(15.0 * step);
    const double fuel = m_fuel + 0.015 * step;
    const double throttle = step > 0 ? 0.2 + 0.025 * step : m_throttle;
    const double brake = step > 0 ? 0.75 - 0.025 * step : m_brake;
    const double heat = 1.5 * step;

    for (int i = 0; i < kDriverCount; ++i) {
        const Driver& d = m_driver[static_cast<std::size_t>(i)];
        const bool player = i == kPlayerSlot;
        auto at = [i](telemetry::Address slot0) { return MemoryMap::SlotField(slot0, i); };
        memory.Text(at(map.SlotName), d.name, MemoryMap::SlotNameLength);
        memory.Text(at(map.CarName), d.car, MemoryMap::CarNameLength);
        memory.Single(at(map.EngineSpeed),
                      player ? static_cast<float>(engine) : 700.0f + 10.0f * static_cast<float>(i));
        memory.Int32(at(map.Position), d.position);
        memory.Single(at(map.EngineMaxSpeed), maxEngine);
        memory.Int32(at(map.LapNumber), d.lapCount);
        memory.Single(at(map.Fuel), player ? static_cast<float>(fuel) : 40.0f);
        memory.Single(at(map.BestLap), d.bestLap);
        memory.Single(at(map.LastLap), d.lastLap);
        memory.Int32(at(map.CentreReadout), player ? m_gear : 4);
        memory.Byte(at(map.InPits), d.inPits ? 1 : 0);
    }

    memory.Text(map.PlayerName, me.name + "\\UserData\\" + me.name, MemoryMap::PlayerNameLength);
    memory.Int32(map.PlayerSlot, kPlayerSlot);
    memory.Double(map.OilTemp, m_oilK + heat);
    memory.Double(map.WaterTemp, m_waterK + heat);
    memory.Byte(map.Contact, m_ignition ? 1 : 0);
    // The track path's last folder starts at the path address; the rest of it lies before.
    const std::string folders = "GameData\\Locations\\";
    const std::string path = folders + m_trackName + "\\" + m_trackName + ".trk";
    memory.Text(map.TrackPath - folders.size(), path, path.size() + 1);

    const bool limiter = m_limiterSwitch || m_pitPhase == PitPhase::Entering ||
                         m_pitPhase == PitPhase::Leaving || m_pitPhase == PitPhase::Stopped;
    memory.Byte(map.PitLimiter, limiter ? 1 : 0);
    memory.Byte(map.TcState, static_cast<std::uint8_t>(m_tcLevel));
    memory.Byte(map.AbsState, static_cast<std::uint8_t>(m_absLevel));
    memory.Single(map.BarPercent1, static_cast<float>(throttle));
    memory.Single(map.BarPercent2, static_cast<float>(brake));
    memory.Single(map.TrackTemp, static_cast<float>(kTrackTemp));
    memory.Single(map.AmbientTemp, static_cast<float>(kAmbient));

    const double tyrePressureCold = 165.0;
    for (int i = 0; i < MemoryMap::WheelCount; ++i) {
        const Wheel& w = m_wheel[static_cast<std::size_t>(i)];
        memory.Double(map.WheelField(i, map.Wheel.Rotation),
                      w.rotation - 1.5 * step / (kWheelRadius * 3.6));
        memory.Double(map.WheelField(i, map.Wheel.RadiusFactor), kRadiusFactor);
        double sum = 0.0;
        for (int zone = 0; zone < 3; ++zone) {
            memory.Double(map.WheelField(i, map.Wheel.TyreTemp + 8 * zone),
                          w.tyreK[static_cast<std::size_t>(zone)] + heat);
            sum += w.tyreK[static_cast<std::size_t>(zone)];
        }
        memory.Double(map.WheelField(i, map.Wheel.TyrePressure),
                      tyrePressureCold * (sum / 3.0) / (kKelvin + 20.0) + heat);
        memory.Double(map.WheelField(i, map.Wheel.TyreRatio), w.ratio - 0.0005 * step);
        memory.Double(map.WheelField(i, map.Wheel.BrakeTemp), w.brakeK + heat);
    }
}

}  // namespace kerbview::standin
