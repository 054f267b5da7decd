#include "core/date_text.h"

#include <cstdio>
#include <ctime>
#include <limits>

std::string FormatDateText(FileTime t) {
    static constexpr const char* kUnconvertible = "--/--/-- --:--:--";
    if constexpr (sizeof(std::time_t) < sizeof(FileTime)) {
        if (t < std::numeric_limits<std::time_t>::min() || t > std::numeric_limits<std::time_t>::max())
            return kUnconvertible;
    }
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
#ifdef _WIN32
    // The C runtime refuses times before 1970. The calendar repeats every
    // 400 years (weekdays included), so such a time is shown as the same
    // moment 400 years later, with the year put back.
    constexpr std::time_t k400Years = 146097LL * 86400;
    const bool early = tt < 0;
    const std::time_t shifted = early ? tt + k400Years : tt;
    if (shifted < 0 || localtime_s(&tm, &shifted) != 0) return kUnconvertible;
    if (early) tm.tm_year -= 400;
#else
    if (!localtime_r(&tt, &tm)) return kUnconvertible;
#endif
    // tm_year counts from 1900, a multiple of 100; a negative year still
    // shows two digits.
    const int yy = (tm.tm_year % 100 + 100) % 100;
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", yy, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}
