// SPDX-License-Identifier: MIT
#include "core/wall_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace kerbview::core {
namespace {

TEST(WallClock, LocalDateTimeTextCountsLeapDaysAndCrossesDaysBothWays) {
    const struct {
        WallTime time;
        const char* text;
    } cases[] = {
        {{-1, 0}, "1969-12-31 23-59-59"},
        {{1709251199, -300}, "2024-02-29 18-59-59"},
        {{951868800, -1}, "2000-02-29 23-59-00"},
        {{1798761599, 14 * 60}, "2027-01-01 13-59-59"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalDateTimeText(c.time), c.text) << c.time.unixSeconds;
    }
}

// The system's clock against the C library's own account of the time zone (the ctest run
// core_time_zone sets TZ to a zone half an hour off the hour on Linux).
TEST(WallClock, SystemWallClockIsTheCalendarsTimeAndZone) {
    const WallTime now = SystemWallClock().Now();
    const std::time_t t = static_cast<std::time_t>(now.unixSeconds);
    EXPECT_LE(std::abs(now.unixSeconds - std::chrono::duration_cast<std::chrono::seconds>(
                                             std::chrono::system_clock::now().time_since_epoch())
                                             .count()),
              5);
    const std::tm local = *std::localtime(&t);
    const std::tm utc = *std::gmtime(&t);
    const int days = local.tm_year != utc.tm_year ? (local.tm_year > utc.tm_year ? 1 : -1)
                                                  : local.tm_yday - utc.tm_yday;
    EXPECT_EQ(now.utcOffsetMinutes,
              days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min);
}

}  // namespace
}  // namespace kerbview::core
