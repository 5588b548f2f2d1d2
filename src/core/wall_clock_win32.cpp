// SPDX-License-Identifier: MIT
#include <windows.h>

#include "core/wall_clock.h"

namespace kerbview::core {
namespace {

// FILETIME counts 100 ns steps from 1601-01-01; 11,644,473,600 s lie between that and 1970.
constexpr std::int64_t kUnixEpochIn1601Seconds = 11'644'473'600;

class Win32WallClock final : public WallClock {
public:
    WallTime Now() const override {
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        const std::int64_t steps = static_cast<std::int64_t>(
            (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
        const std::int64_t unixSeconds = steps / 10'000'000 - kUnixEpochIn1601Seconds;
        // The bias is UTC minus local time, in minutes, plus the part of the season in force.
        TIME_ZONE_INFORMATION zone{};
        LONG bias = 0;
        switch (::GetTimeZoneInformation(&zone)) {
            case TIME_ZONE_ID_STANDARD: bias = zone.Bias + zone.StandardBias; break;
            case TIME_ZONE_ID_DAYLIGHT: bias = zone.Bias + zone.DaylightBias; break;
            case TIME_ZONE_ID_UNKNOWN: bias = zone.Bias; break;
            default: break;  // TIME_ZONE_ID_INVALID: taken as UTC
        }
        return {unixSeconds, static_cast<std::int32_t>(-bias)};
    }
};

}  // namespace

const WallClock& SystemWallClock() {
    static const Win32WallClock clock;
    return clock;
}

}  // namespace kerbview::core
