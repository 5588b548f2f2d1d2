// SPDX-License-Identifier: MIT
#include "laps/fuel_strategy.h"

#include <algorithm>
#include <cmath>

#include "core/number_rules.h"

namespace kerbview::laps {
namespace {

bool IsCandidate(const LapRow& r) {
    return r.LapTime && r.FuelUsed && *r.FuelUsed > 0 && r.WatchedFromStart && !r.TouchedPits &&
           !r.Refuelled && !r.IgnitionOff;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool NearMedian(double value, double median) {
    return std::fabs(value - median) <= kMedianTolerance * median;
}

// A count of laps or stops from a figure that a settings file or an odd lap time can make
// huge: kept within int's range.
int Count(double value) {
    return value > 0 ? static_cast<int>(std::min(std::ceil(value), 1e6)) : 0;
}

// Laps still to drive of a race of totalMs on the race clock, the lap in progress counted.
int TimedLapsToDrive(const RaceNow& now, double totalMs, double lapMs) {
    if (!now.RaceClockMs) {
        if (now.LapNumber >= 1) return -1;  // under way, its start not seen: unknown
        return 1 + Count(totalMs / lapMs);
    }
    const double clock = static_cast<double>(*now.RaceClockMs);
    if (now.LapStartClockMs && static_cast<double>(*now.LapStartClockMs) >= totalMs) return 0;
    const double nextLine = now.LapStartClockMs
                                ? std::max(clock, static_cast<double>(*now.LapStartClockMs) + lapMs)
                                : clock + lapMs;
    // A lap that starts before the clock runs out is driven whole: round up.
    return 1 + (nextLine < totalMs ? Count((totalMs - nextLine) / lapMs) : 0);
}

}  // namespace

std::vector<std::size_t> GreenLaps(std::span<const LapRow> rows) {
    std::vector<std::size_t> candidates;
    for (std::size_t i = rows.size(); i-- > 0 && candidates.size() < kGreenLapsUsed;) {
        if (IsCandidate(rows[i])) candidates.push_back(i);
    }
    std::reverse(candidates.begin(), candidates.end());
    std::vector<double> fuel, time;
    for (const std::size_t i : candidates) {
        fuel.push_back(*rows[i].FuelUsed);
        time.push_back(*rows[i].LapTime);
    }
    if (candidates.empty()) return candidates;
    const double fuelMedian = Median(fuel), timeMedian = Median(time);
    std::vector<std::size_t> green;
    for (const std::size_t i : candidates) {
        if (NearMedian(*rows[i].FuelUsed, fuelMedian) && NearMedian(*rows[i].LapTime, timeMedian)) {
            green.push_back(i);
        }
    }
    return green;
}

std::optional<Consumption> StintConsumption(std::span<const LapRow> rows) {
    const std::vector<std::size_t> green = GreenLaps(rows);
    if (green.size() < kFewestGreenLaps) return std::nullopt;
    double fuel = 0, time = 0;
    for (const std::size_t i : green) {
        fuel += *rows[i].FuelUsed;
        time += *rows[i].LapTime;
    }
    const double n = static_cast<double>(green.size());
    return Consumption{static_cast<float>(fuel / n), static_cast<float>(time / n),
                       static_cast<int>(green.size()), false};
}

std::string ConsumptionMemory::ToLine() const {
    const auto field = [](std::string text) {
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; },
            ' ');
        return text;
    };
    std::string line;
    core::AppendShortest(line, Figure.FuelPerLap);
    line.push_back('\t');
    core::AppendShortest(line, Figure.LapTime);
    line.push_back('\t');
    core::AppendShortest(line, static_cast<long long>(Figure.Laps));
    line.append("\t").append(field(Car)).append("\t").append(field(Track));
    return line;
}

std::optional<ConsumptionMemory> ConsumptionMemory::FromLine(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab - at));
        if (tab == std::string_view::npos) break;
        at = tab + 1;
    }
    if (fields.size() != 5) return std::nullopt;
    ConsumptionMemory m;
    try {
        m.Figure.FuelPerLap = core::ParseWireSingle(fields[0]);
        m.Figure.LapTime = core::ParseWireSingle(fields[1]);
        m.Figure.Laps = core::ParseWireInteger(fields[2]);
    } catch (const core::NumberError&) {
        return std::nullopt;
    }
    const auto positive = [](float v) { return std::isfinite(v) && v > 0; };
    if (!positive(m.Figure.FuelPerLap) || !positive(m.Figure.LapTime) || m.Figure.Laps < 0) {
        return std::nullopt;
    }
    m.Figure.FromMemory = true;
    m.Car = fields[3];
    m.Track = fields[4];
    return m;
}

RaceNow RaceNowOf(const LapHistory& history, std::int64_t nowMs) {
    RaceNow now;
    now.Fuel = history.Fuel();
    now.LapNumber = history.LapNumber();
    if (const auto start = history.RaceStartMs()) {
        now.RaceClockMs = nowMs - *start;
        if (const auto lapStart = history.LapStartMs()) now.LapStartClockMs = *lapStart - *start;
    }
    return now;
}

std::optional<FuelFigures> FuelToFinish(std::span<const LapRow> rows, const RaceNow& now,
                                        const RaceSettings& settings,
                                        const std::optional<Consumption>& remembered) {
    std::optional<Consumption> basis = StintConsumption(rows);
    if (!basis && remembered) {
        basis = *remembered;
        basis->FromMemory = true;
    }
    if (!basis || !(basis->FuelPerLap > 0) || !(basis->LapTime > 0)) return std::nullopt;

    FuelFigures f;
    f.Basis = *basis;
    const double perLap = basis->FuelPerLap;
    f.LapsOfFuel = std::max(0.0, static_cast<double>(now.Fuel)) / perLap;
    f.MinutesOfFuel = f.LapsOfFuel * basis->LapTime / 60.0;
    if (!settings.Length || !(settings.Length->value > 0)) return f;

    int laps = 0;
    if (settings.Length->unit == RaceLength::Unit::Laps) {
        laps = Count(std::round(settings.Length->value) - now.LapNumber + 1);
    } else {
        laps = TimedLapsToDrive(now, settings.Length->value * 60'000.0, basis->LapTime * 1000.0);
        if (laps < 0) return f;
    }
    RaceFigures r;
    r.LapsToDrive = laps;
    if (laps > 0) {
        r.FuelNeeded = static_cast<float>((laps + std::max(0.0, settings.ReserveLaps)) * perLap);
    }
    const double extra = std::max(0.0, static_cast<double>(r.FuelNeeded) - now.Fuel);
    double toAdd = extra;
    if (settings.TankSize && *settings.TankSize > 0) {
        toAdd = std::min(toAdd, std::max(0.0, *settings.TankSize - now.Fuel));
        r.StopsNeeded = Count(extra / *settings.TankSize);
    } else {
        r.StopsNeeded = extra > 0 ? 1 : 0;
    }
    r.FuelToAdd = static_cast<float>(toAdd);
    f.Race = r;
    return f;
}

}  // namespace kerbview::laps
