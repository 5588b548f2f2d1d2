// SPDX-License-Identifier: MIT
#pragma once

// The steps of the presentation, shared by presentation.cpp and the per-section files.

#include <array>
#include <cstdint>
#include <string>

#include "panel/presentation.h"

namespace kerbview::panel::sections {

/// Values worked out by the early steps and used again by the markers and gauges.
struct Derived {
    float EngineRpm = 0;       // clamped to 0.001 .. EngineRpmLimit
    float EngineRpmLimit = 0;  // EngineMaxSpeed x 9.549 + 100
    float Bar1 = 0;            // BarPercent1 clamped to 0.001 .. 100
    float Bar2 = 0;
    double AverageWheelSpeed = 0;
};

/// Rule whole: nearest, halves to even, as plain digits. Throws core::NumberError outside 16 bits.
std::string WholeText(double value);

/// The fuel used on the last lap as Label34 shows it: pattern ".00" and the fuel unit.
std::string FuelUsedText(float used, const DisplayUnits& units, char sep);

/// Lap time text m:ss.fff; "-:--,---" (always a comma) when t is not greater than 0. A fraction
/// that rounds up to a whole second carries into the seconds and minutes (59.9996 -> 1:00.000).
/// Throws core::NumberError for an infinite time.
std::string LapTimeText(float t, char decimalSeparator);

/// Engine lamp and engine speed, bar percentages, contact lamp.
void EngineBarsAndContact(PanelModel& panel, const telemetry::Snapshot& s, char sep, Derived& d);

/// Debug captions Label1..Label6, showing the lap reference as it stood before this scan.
void DebugCaptions(DebugModel& debug, const telemetry::Snapshot& s, const LapState& lap, char sep);

/// Position button, read-outs, fuel used on the last lap, lap times, tyre, pressure and brake
/// figures, average wheel speed, tyre ratio figures, track name.
void Readouts(PanelModel& panel, const telemetry::Snapshot& s, LapState& lap,
              const PresentContext& context, Derived& d);

/// Limiter, pits, TC and ABS lamps, ambient and track temperatures, and, unless NoGrafics,
/// the threshold colours. Returns false when NoGrafics ended the section early.
bool LampsAndColours(PanelModel& panel, const telemetry::Snapshot& s,
                     const PresentContext& context);

/// Shows the marker of every wheel turning slower than 90 % of the average; hides all four when
/// the average is not above 1.0 or not a number.
void WheelMarkers(PanelModel& panel, double average, const std::array<double, 4>& wheels);

/// Wheel markers and the values of the four gauges.
void MarkersAndGauges(PanelModel& panel, const telemetry::Snapshot& s, const Derived& d);

/// Label20 of the debug window: the milliseconds since startTick, as an unsigned 32-bit
/// difference so that a wrapped tick counter still gives the elapsed time.
void ScanTime(DebugModel& debug, std::uint32_t startTick, std::uint32_t nowTick);

}  // namespace kerbview::panel::sections
