// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace kerbview::core {

/// A moment of the calendar: what the user's clock on the wall says, and how it stands to UTC.
struct WallTime {
    std::int64_t unixSeconds = 0;       ///< seconds since 1970-01-01 00:00 UTC
    std::int32_t utcOffsetMinutes = 0;  ///< local time there = UTC + this
    bool operator==(const WallTime&) const = default;
};

/// The calendar's time source, so that what depends on the date can be tested with a clock the
/// test sets. Not monotonic (the user may set the clock): measure durations with core::Clock.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual WallTime Now() const = 0;
};

/// The system's wall clock and time zone (one implementation per platform). Holds no state;
/// lives for the whole program.
const WallClock& SystemWallClock();

/// The local date and time of a wall time, "YYYY-MM-DD HH-MM-SS" (a form file names may hold).
std::string LocalDateTimeText(const WallTime& time);

}  // namespace kerbview::core
