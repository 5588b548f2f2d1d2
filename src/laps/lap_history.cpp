// SPDX-License-Identifier: MIT
#include "laps/lap_history.h"

#include <algorithm>
#include <cmath>

namespace kerbview::laps {
namespace {

bool IsLapTime(float seconds) { return std::isfinite(seconds) && seconds > 0; }

}  // namespace

void LapHistory::StartNewHistory(const telemetry::Snapshot& s) {
    m_car = s.CarName;
    m_track = s.TrackName;
    m_started = true;
    m_lap = panel::LapState{};
    m_previousLap.reset();
    m_scans = LapScans{};
    m_rows.clear();
    m_pending.reset();
    m_raceStartMs.reset();
    m_lapStartMs.reset();
    ++m_revision;
}

void LapHistory::AddScan(const telemetry::Snapshot& s) {
    LapScans& l = m_scans;
    LapRow& r = l.row;
    const bool first = l.count == 0;
    for (std::size_t z = 0; z < 12; ++z) {
        l.tyreSum[z] += s.TyreTemp[z];
        r.TyreTempPeak[z] = first ? s.TyreTemp[z] : std::max(r.TyreTempPeak[z], s.TyreTemp[z]);
    }
    for (std::size_t w = 0; w < 4; ++w) {
        l.pressureSum[w] += s.TyrePressure[w];
        r.BrakeTempPeak[w] = first ? s.BrakeTemp[w] : std::max(r.BrakeTempPeak[w], s.BrakeTemp[w]);
    }
    r.WaterTempPeak = first ? s.WaterTemp : std::max(r.WaterTempPeak, s.WaterTemp);
    r.OilTempPeak = first ? s.OilTemp : std::max(r.OilTempPeak, s.OilTemp);
    r.EngineSpeedPeak = first ? s.EngineSpeed : std::max(r.EngineSpeedPeak, s.EngineSpeed);
    ++l.count;

    const bool inPits = s.InPits != 0;
    r.TouchedPits = r.TouchedPits || inPits || s.PitLimiter != 0;
    if (l.lastInPits && *l.lastInPits && !inPits) r.OutLap = true;
    if (l.lastInPits && !*l.lastInPits && inPits) r.InLap = true;
    l.lastInPits = inPits;
    if (l.lastFuel && s.Fuel - *l.lastFuel > kRefuelRise) r.Refuelled = true;
    l.lastFuel = s.Fuel;
    r.IgnitionOff = r.IgnitionOff || s.Contact != 1;
}

void LapHistory::Take(const telemetry::Snapshot& s, std::int64_t nowMs) {
    if (!m_started || s.CarName != m_car || s.TrackName != m_track) StartNewHistory(s);

    // The panel's lap rule decides the fuel figure and whether the lap was watched from its
    // start. It is asked at every scan, the ignition's too: the panel skips scans with the
    // ignition off, which would lose a lap change made then; the history keeps every lap.
    m_lap.TrackContact(s.Contact, s.LapNumber, s.Fuel);
    const std::optional<float> fuelUsed = m_lap.CloseLapOnChange(s.LapNumber, s.Fuel);
    const bool lapChanged = m_previousLap && *m_previousLap != s.LapNumber;

    if (m_pending) {
        if (lapChanged) {
            CompletePending(std::nullopt);  // a lap shorter than the wait: no time is its own
        } else if (s.LastLap != m_pendingBaseline) {
            CompletePending(IsLapTime(s.LastLap) ? std::optional(s.LastLap) : std::nullopt);
        } else if (nowMs - m_pendingSinceMs >= kLapTimeWaitMs) {
            CompletePending(std::nullopt);
        }
    }

    AddScan(s);
    if (lapChanged) {
        const bool nextLap = s.LapNumber == *m_previousLap + 1;
        CloseLap(s, nowMs, fuelUsed);
        if (!nextLap) {
            CompletePending(std::nullopt);
        } else if (s.LastLap != m_previousLastLap) {
            CompletePending(IsLapTime(s.LastLap) ? std::optional(s.LastLap) : std::nullopt);
        } else {
            m_pendingBaseline = m_previousLastLap;
            m_pendingSinceMs = nowMs;
        }
        if (s.LapNumber == 1) m_raceStartMs = nowMs;
        m_lapStartMs = nowMs;
        // The scan at the line also starts the new lap.
        AddScan(s);
    }

    m_previousLap = s.LapNumber;
    m_previousLastLap = s.LastLap;
    m_fuel = s.Fuel;
    m_lapNumber = s.LapNumber;
}

void LapHistory::CloseLap(const telemetry::Snapshot& s, std::int64_t nowMs,
                          std::optional<float> fuelUsed) {
    LapRow row = m_scans.row;
    const double n = m_scans.count;
    for (std::size_t z = 0; z < 12; ++z) {
        row.TyreTempAverage[z] = static_cast<float>(m_scans.tyreSum[z] / n);
    }
    for (std::size_t w = 0; w < 4; ++w) {
        row.TyrePressureAverage[w] = static_cast<float>(m_scans.pressureSum[w] / n);
    }
    row.LapNumber = *m_previousLap;
    row.FuelUsed = fuelUsed;
    row.WatchedFromStart = fuelUsed.has_value();
    row.FuelAtLine = s.Fuel;
    row.Position = s.Position;
    row.LineMs = nowMs;
    m_pending = row;
    m_scans = LapScans{};
    ++m_revision;
}

void LapHistory::CompletePending(std::optional<float> lapTime) {
    if (!m_pending) return;
    m_pending->LapTime = lapTime;
    m_rows.push_back(*m_pending);
    m_pending.reset();
    MarkBest();
    ++m_revision;
}

void LapHistory::MarkBest() {
    LapRow* best = nullptr;
    for (LapRow& r : m_rows) {
        r.Best = false;
        if (r.LapTime && !r.TouchedPits && (!best || *r.LapTime < *best->LapTime)) best = &r;
    }
    if (best) best->Best = true;
}

void LapHistory::Restart() {
    m_lap.Restart();
    m_previousLap.reset();
    m_lapStartMs.reset();
    m_scans = LapScans{};
    CompletePending(std::nullopt);
}

}  // namespace kerbview::laps
