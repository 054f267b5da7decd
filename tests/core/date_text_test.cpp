#include "core/date_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "support/time_zone.h"

namespace {

struct DateCase {
    const char* name;
    const char* tz;
    FileTime time;
    std::string text;
};

// gtest shows the case by its name.
void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }

class FormatDateTextTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(FormatDateTextTest, ShowsLocalTime) {
    ScopedTimeZone zone(GetParam().tz);
    EXPECT_EQ(FormatDateText(GetParam().time), GetParam().text);
}

constexpr FileTime kMax = std::numeric_limits<FileTime>::max();
constexpr FileTime kMin = std::numeric_limits<FileTime>::min();

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatDateTextTest,
    ::testing::Values(DateCase{"march_1998", "UTC0", 888933909, "98/03/03 14:05:09"},
                      DateCase{"year_1999", "UTC0", 946684799, "99/12/31 23:59:59"},
                      DateCase{"year_2000", "UTC0", 946684800, "00/01/01 00:00:00"},
                      DateCase{"year_2005", "UTC0", 1118000000, "05/06/05 19:33:20"},
                      DateCase{"beyond_2038", "UTC0", 2208988800, "40/01/01 00:00:00"},
                      DateCase{"zero_is_a_time_too", "UTC0", 0, "70/01/01 00:00:00"},
                      DateCase{"local_zone_applies", "JST-9", 0, "70/01/01 09:00:00"},
                      DateCase{"before_1970", "UTC0", -1, "69/12/31 23:59:59"},
                      DateCase{"unconvertible_far_future", "UTC0", kMax, "--/--/-- --:--:--"},
                      DateCase{"unconvertible_far_past", "UTC0", kMin, "--/--/-- --:--:--"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
