// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <vector>

#include "record/recording.h"

/// A recording written out for other tools: a plain CSV file with one row per scan, and the CSV
/// layout that MoTeC i2 imports, resampled to a fixed rate. Both stream: they hold one or two
/// samples at a time, never the stint.
namespace kerbview::record {

/// Hands over the next sample of a stint; false at its end.
using NextSample = std::function<bool(Sample&)>;

/// Writes every sample as one CSV row (CR LF line ends), after one row of column names with
/// their units ("Time [s]", "Engine speed [rpm]", ...). No preamble: the stint's facts are in
/// the MoTeC file; car, track and driver names are columns. Values are in the snapshot's base
/// units, engine speeds in rpm as the panel shows them; numbers are written with a point,
/// whatever the locale, in the shortest form that reads back to the same value; texts are
/// quoted and in UTF-8. Returns the number of rows written.
std::uint64_t ExportCsv(const NextSample& next, std::ostream& out);

/// What the MoTeC header needs to know before the first row: one pass over the stint.
class StintSurvey {
public:
    void Add(const Sample& sample);
    std::uint64_t Samples() const { return m_samples; }
    /// The latest sample time, in milliseconds since the stint's start.
    std::uint32_t LastMs() const { return m_lastMs; }
    /// The times at which the lap number went up (lap beacons), in order.
    const std::vector<std::uint32_t>& LapBeacons() const { return m_lapBeacons; }

private:
    std::uint64_t m_samples = 0;
    std::uint32_t m_lastMs = 0;
    std::int16_t m_lap = 0;
    std::vector<std::uint32_t> m_lapBeacons;
};

/// The MoTeC file's fixed rate for a stint scanned every scanTimeMs: the lowest of 1, 2, 5, 10,
/// 20, 50 and 100 Hz that gives at least one row per scan (100 Hz for scans faster than 10 ms).
int MotecSampleRateHz(std::int16_t scanTimeMs);

/// Writes the stint in the layout of a MoTeC CSV file: the header block (venue, vehicle,
/// driver, device, comment, log date and time in the stint's local time, sample rate, duration,
/// lap beacons), the channel names and units, then one row every 1/rate seconds from the
/// stint's start to survey.LastMs(). Continuous channels are interpolated linearly between the
/// two scans around each row; stepped ones (counters, flags, lap times) keep the last scan's
/// value. Texts of the snapshot are not channels; the facts' texts are quoted, in UTF-8.
/// next must give the samples survey was made from (a second pass); later samples are ignored.
void ExportMotecCsv(const StintFacts& facts, const StintSurvey& survey, const NextSample& next,
                    std::ostream& out);

}  // namespace kerbview::record
