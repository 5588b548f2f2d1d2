// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <span>

#include "laps/lap_history.h"

namespace kerbview::laps {

/// Writes one CSV row per lap (CR LF line ends) after one row of column names with their units
/// ("Lap time [s]", "Fuel used [l]", ...): metric as kept, the engine speed in rpm as the panel
/// shows it; numbers in the shortest form that reads back to the same value, with a point
/// whatever the locale; flags as 0 or 1; a value the row lacks (no lap time, no fuel used) as
/// an empty cell.
void WriteLapsCsv(std::span<const LapRow> rows, std::ostream& out);

}  // namespace kerbview::laps
