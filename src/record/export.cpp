// SPDX-License-Identifier: MIT
#include "record/export.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "core/number_rules.h"
#include "core/text_encoding.h"
#include "panel/units.h"

namespace kerbview::record {
namespace {

using telemetry::Snapshot;

// How a value is printed: as the type the snapshot holds it in, so that it reads back the same.
enum class Type : std::uint8_t { Whole, Single, Double };

// One snapshot field, or one per wheel (4) or per tyre zone (12), in the snapshot's order.
struct Field {
    std::string_view name;
    std::string_view unit;  // empty for counters, flags and ratios
    Type type;
    bool stepped;  // keeps its value between scans: counters, flags, lap times
    int count;
    double (*value)(const Snapshot&, std::size_t);
};

// Engine speeds as the panel shows them (rpm), computed as it does and kept as a single.
double Rpm(float radPerSec) {
    return static_cast<float>(static_cast<double>(radPerSec) * panel::kRadPerSecToRpm);
}

// clang-format off
constexpr std::array kFields{
    Field{"Oil temperature", "C", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.OilTemp; }},
    Field{"Water temperature", "C", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.WaterTemp; }},
    Field{"Position", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.Position; }},
    Field{"Engine speed", "rpm", Type::Single, false, 1, [](const Snapshot& s, std::size_t) { return Rpm(s.EngineSpeed); }},
    Field{"Engine max speed", "rpm", Type::Single, true, 1, [](const Snapshot& s, std::size_t) { return Rpm(s.EngineMaxSpeed); }},
    Field{"Contact", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.Contact; }},
    Field{"Lap number", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.LapNumber; }},
    Field{"Fuel", "l", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.Fuel; }},
    Field{"Best lap", "s", Type::Single, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.BestLap; }},
    Field{"Last lap", "s", Type::Single, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.LastLap; }},
    Field{"Centre readout", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.CentreReadout; }},
    Field{"Tyre temperature", "C", Type::Single, false, 12, [](const Snapshot& s, std::size_t i) -> double { return s.TyreTemp[i]; }},
    Field{"Tyre pressure", "kPa", Type::Single, false, 4, [](const Snapshot& s, std::size_t i) -> double { return s.TyrePressure[i]; }},
    // The speed gauge's unit: the panel shows these as km/h and converts them to mph as such.
    Field{"Wheel speed", "km/h", Type::Double, false, 4, [](const Snapshot& s, std::size_t i) { return s.WheelSpeed[i]; }},
    Field{"Tyre ratio", "", Type::Double, false, 4, [](const Snapshot& s, std::size_t i) { return s.TyreRatio[i]; }},
    Field{"Pit limiter", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.PitLimiter; }},
    Field{"In pits", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.InPits; }},
    Field{"TC state", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.TcState; }},
    Field{"ABS state", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.AbsState; }},
    Field{"Pedal A", "%", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.BarPercent1; }},
    Field{"Pedal B", "%", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.BarPercent2; }},
    Field{"Track temperature", "C", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.TrackTemp; }},
    Field{"Ambient temperature", "C", Type::Single, false, 1, [](const Snapshot& s, std::size_t) -> double { return s.AmbientTemp; }},
    Field{"Driver slot", "", Type::Whole, true, 1, [](const Snapshot& s, std::size_t) -> double { return s.DriverSlot; }},
    Field{"Brake temperature", "C", Type::Single, false, 4, [](const Snapshot& s, std::size_t i) -> double { return s.BrakeTemp[i]; }},
};
// clang-format on

constexpr std::size_t kChannelCount = [] {
    std::size_t n = 0;
    for (const Field& f : kFields) n += static_cast<std::size_t>(f.count);
    return n;
}();
static_assert(kChannelCount == 48, "every number of the snapshot is one channel");

using Values = std::array<double, kChannelCount>;

// One numeric channel: a field, or one wheel or tyre zone of it.
struct Channel {
    std::string name;
    std::string_view unit;
    Type type;
    bool stepped;
};

std::array<Channel, kChannelCount> MakeChannels() {
    static constexpr std::array<std::string_view, 4> kWheels{"FL", "FR", "RL", "RR"};
    std::array<Channel, kChannelCount> channels;
    std::size_t k = 0;
    for (const Field& f : kFields) {
        for (int i = 0; i < f.count; ++i) {
            std::string name(f.name);
            if (f.count == 4) name.append(" ").append(kWheels[static_cast<std::size_t>(i)]);
            if (f.count == 12) {
                name.append(" ").append(kWheels[static_cast<std::size_t>(i / 3)]);
                name.append(" ").append(std::to_string(i % 3 + 1));
            }
            channels[k++] = Channel{std::move(name), f.unit, f.type, f.stepped};
        }
    }
    return channels;
}

const std::array<Channel, kChannelCount>& Channels() {
    static const std::array<Channel, kChannelCount> channels = MakeChannels();
    return channels;
}

void Fill(const Snapshot& s, Values& values) {
    std::size_t k = 0;
    for (const Field& f : kFields) {
        for (int i = 0; i < f.count; ++i) values[k++] = f.value(s, static_cast<std::size_t>(i));
    }
}

// The shortest text that reads back to the same value, with a point, as the field's own type.
void AppendNumber(std::string& out, double value, Type type) {
    switch (type) {
        case Type::Whole: core::AppendShortest(out, static_cast<long long>(value)); break;
        case Type::Single: core::AppendShortest(out, static_cast<float>(value)); break;
        case Type::Double: core::AppendShortest(out, value); break;
    }
}

// Milliseconds as seconds with three decimals, exactly.
void AppendSeconds(std::string& out, std::uint64_t ms) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, ms / 1000);
    out.append(text, r.ptr);
    const auto fraction = static_cast<unsigned>(ms % 1000);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + fraction / 100));
    out.push_back(static_cast<char>('0' + fraction / 10 % 10));
    out.push_back(static_cast<char>('0' + fraction % 10));
}

// A Windows-1252 text as one quoted UTF-8 field, quotes doubled.
void AppendText(std::string& out, std::string_view cp1252) {
    out.push_back('"');
    for (const char c : core::Cp1252ToUtf8(cp1252)) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<std::string_view, 4> kTextColumns{"Driver name", "Slot name", "Car name",
                                                       "Track name"};

}  // namespace

std::uint64_t ExportCsv(const NextSample& next, std::ostream& out) {
    std::string row = "Time [s]";
    for (const Channel& c : Channels()) {
        row.append(",").append(c.name);
        if (!c.unit.empty()) row.append(" [").append(c.unit).append("]");
    }
    for (const std::string_view name : kTextColumns) row.append(",").append(name);
    row.append(kLineEnd);
    out.write(row.data(), static_cast<std::streamsize>(row.size()));

    std::uint64_t rows = 0;
    Sample sample;
    Values values;
    while (next(sample)) {
        row.clear();
        AppendSeconds(row, sample.timeMs);
        Fill(sample.snapshot, values);
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            row.push_back(',');
            AppendNumber(row, values[k], Channels()[k].type);
        }
        const Snapshot& s = sample.snapshot;
        for (const std::string* text : {&s.DriverName, &s.SlotName, &s.CarName, &s.TrackName}) {
            row.push_back(',');
            AppendText(row, *text);
        }
        row.append(kLineEnd);
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
        ++rows;
    }
    return rows;
}

void StintSurvey::Add(const Sample& sample) {
    if (m_samples > 0 && sample.snapshot.LapNumber > m_lap) m_lapBeacons.push_back(sample.timeMs);
    m_lap = sample.snapshot.LapNumber;
    if (sample.timeMs > m_lastMs) m_lastMs = sample.timeMs;
    ++m_samples;
}

int MotecSampleRateHz(std::int16_t scanTimeMs) {
    for (const int rate : {1, 2, 5, 10, 20, 50}) {
        if (rate * scanTimeMs >= 1000) return rate;
    }
    return 100;
}

namespace {

// The stint's start in its local time, as "YYYY-MM-DD" and "HH:MM:SS".
std::pair<std::string, std::string> LocalStart(const StintFacts& facts) {
    using namespace std::chrono;
    // Years 1970 to 9999: a damaged header must not overflow the calendar arithmetic.
    constexpr std::int64_t kLatest = 253402300799;  // 9999-12-31 23:59:59
    std::int64_t local = facts.startUnixSeconds + std::int64_t{facts.utcOffsetMinutes} * 60;
    local = local < 0 ? 0 : (local > kLatest ? kLatest : local);
    const sys_seconds time{seconds{local}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char dateText[16];
    char timeText[16];
    std::snprintf(dateText, sizeof dateText, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    std::snprintf(
        timeText, sizeof timeText, "%02d:%02d:%02d", static_cast<int>(clock.hours().count()),
        static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
    return {dateText, timeText};
}

std::string_view RoleName(std::int16_t role) {
    switch (role) {
        case 1: return "server";
        case 2: return "client";
        default: return "no connection";
    }
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    out.append(text);
    out.push_back('"');
}

}  // namespace

void ExportMotecCsv(const StintFacts& facts, const StintSurvey& survey, const NextSample& next,
                    std::ostream& out) {
    const int rate = MotecSampleRateHz(facts.scanTime);
    const std::uint32_t stepMs = 1000 / static_cast<std::uint32_t>(rate);
    const auto [logDate, logTime] = LocalStart(facts);

    std::string head;
    const auto line = [&head](std::string_view key, std::string_view value, std::string_view unit,
                              bool text) {
        AppendQuoted(head, key);
        head.push_back(',');
        if (text) {
            AppendText(head, value);
        } else {
            AppendQuoted(head, value);
        }
        if (!unit.empty()) head.append(",").append("\"").append(unit).append("\"");
        head.append(kLineEnd);
    };
    std::string duration;
    AppendSeconds(duration, survey.LastMs());
    std::string beacons;
    for (const std::uint32_t at : survey.LapBeacons()) {
        if (!beacons.empty()) beacons.push_back(' ');
        AppendSeconds(beacons, at);
    }
    std::string comment = "Scan time ";
    comment.append(std::to_string(facts.scanTime)).append(" ms, ").append(RoleName(facts.role));
    line("Format", "MoTeC CSV File", "", false);
    line("Venue", facts.track, "", true);
    line("Vehicle", facts.car, "", true);
    line("Driver", facts.driver, "", true);
    line("Device", "Kerbview " + facts.programVersion, "", true);
    line("Comment", comment, "", true);
    line("Log Date", logDate, "", false);
    line("Log Time", logTime, "", false);
    line("Sample Rate", std::to_string(rate) + ".000", "Hz", false);
    line("Duration", duration, "s", false);
    line("Beacon Markers", beacons, "", false);
    head.append(kLineEnd).append(kLineEnd);
    std::string units = "\"s\"";
    head.append("\"Time\"");
    for (const Channel& c : Channels()) {
        head.push_back(',');
        AppendQuoted(head, c.name);
        units.push_back(',');
        AppendQuoted(units, c.unit);
    }
    head.append(kLineEnd).append(units).append(kLineEnd).append(kLineEnd).append(kLineEnd);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));

    // a: the last scan at or before the row's time (or the first scan, before it);
    // b: the scan after it, when there is one.
    std::uint64_t left = survey.Samples();
    Sample pulled;
    const auto pull = [&](Values& values, std::uint32_t& at) {
        if (left == 0 || !next(pulled)) return false;
        --left;
        at = pulled.timeMs;
        Fill(pulled.snapshot, values);
        return true;
    };
    Values a{};
    Values b{};
    std::uint32_t ta = 0;
    std::uint32_t tb = 0;
    if (!pull(a, ta)) return;
    bool hasB = pull(b, tb);
    std::string row;
    for (std::uint64_t t = 0; t <= survey.LastMs(); t += stepMs) {
        while (hasB && tb <= t) {
            std::swap(a, b);
            ta = tb;
            hasB = pull(b, tb);
        }
        const bool between = hasB && t > ta;
        const double fraction = between ? static_cast<double>(t - ta) / (tb - ta) : 0.0;
        row.clear();
        row.push_back('"');
        AppendSeconds(row, t);
        row.push_back('"');
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            const Channel& c = Channels()[k];
            const double v = between && !c.stepped ? a[k] + (b[k] - a[k]) * fraction : a[k];
            row.append(",\"");
            AppendNumber(row, v, c.type);
            row.push_back('"');
        }
        row.append(kLineEnd);
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
}

}  // namespace kerbview::record
