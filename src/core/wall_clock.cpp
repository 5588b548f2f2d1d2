// SPDX-License-Identifier: MIT
#include "core/wall_clock.h"

#include <cstdio>

namespace kerbview::core {

// The proleptic Gregorian calendar from a day count (days from 1970-01-01), as in Howard
// Hinnant's civil_from_days: years of 400 years' cycles, March-based so that the leap day ends
// each year.
std::string LocalDateTimeText(const WallTime& time) {
    const std::int64_t local = time.unixSeconds + std::int64_t{time.utcOffsetMinutes} * 60;
    std::int64_t days = local / 86400;
    std::int64_t second = local % 86400;
    if (second < 0) second += 86400, --days;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld-%02lld-%02lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(second / 3600),
                  static_cast<long long>(second / 60 % 60), static_cast<long long>(second % 60));
    return text;
}

}  // namespace kerbview::core
