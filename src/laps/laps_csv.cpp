// SPDX-License-Identifier: MIT
#include "laps/laps_csv.h"

#include <array>
#include <ostream>
#include <string>
#include <string_view>

#include "core/number_rules.h"
#include "laps/display_units.h"

namespace kerbview::laps {
namespace {

constexpr std::array<std::string_view, 4> kWheels{"FL", "FR", "RL", "RR"};
constexpr std::string_view kLineEnd = "\r\n";

std::string Header() {
    std::string h =
        "Lap,Line time [s],Lap time [s],Fuel used [l],Fuel at line [l],Position,Best,"
        "Watched from start,Pits,Out lap,In lap,Refuel,Ignition off";
    for (const std::string_view kind : {"average", "peak"}) {
        for (std::size_t z = 0; z < 12; ++z) {
            h.append(",Tyre temperature ").append(kWheels[z / 3]).append(" ");
            h.append(std::to_string(z % 3 + 1)).append(" ").append(kind).append(" [C]");
        }
    }
    for (const std::string_view w : kWheels) {
        h.append(",Tyre pressure ").append(w).append(" average [kPa]");
    }
    for (const std::string_view w : kWheels) {
        h.append(",Brake temperature ").append(w).append(" peak [C]");
    }
    h.append(",Water temperature peak [C],Oil temperature peak [C],Engine speed peak [rpm]");
    return h.append(kLineEnd);
}

void Cell(std::string& row, float value) {
    row.push_back(',');
    core::AppendShortest(row, value);
}

void Cell(std::string& row, const std::optional<float>& value) {
    row.push_back(',');
    if (value) core::AppendShortest(row, *value);
}

void Flag(std::string& row, bool value) { row.append(value ? ",1" : ",0"); }

}  // namespace

void WriteLapsCsv(std::span<const LapRow> rows, std::ostream& out) {
    std::string text = Header();
    for (const LapRow& r : rows) {
        core::AppendShortest(text, static_cast<long long>(r.LapNumber));
        text.push_back(',');
        core::AppendShortest(text, static_cast<double>(r.LineMs) / 1000.0);
        Cell(text, r.LapTime);
        Cell(text, r.FuelUsed);
        Cell(text, r.FuelAtLine);
        text.push_back(',');
        core::AppendShortest(text, static_cast<long long>(r.Position));
        Flag(text, r.Best);
        Flag(text, r.WatchedFromStart);
        Flag(text, r.TouchedPits);
        Flag(text, r.OutLap);
        Flag(text, r.InLap);
        Flag(text, r.Refuelled);
        Flag(text, r.IgnitionOff);
        for (const float t : r.TyreTempAverage) Cell(text, t);
        for (const float t : r.TyreTempPeak) Cell(text, t);
        for (const float p : r.TyrePressureAverage) Cell(text, p);
        for (const float t : r.BrakeTempPeak) Cell(text, t);
        Cell(text, r.WaterTempPeak);
        Cell(text, r.OilTempPeak);
        Cell(text, static_cast<float>(ForDisplay(Quantity::EngineSpeed, r.EngineSpeedPeak, false)));
        text.append(kLineEnd);
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace kerbview::laps
