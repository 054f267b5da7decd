// The figures the copy window shows: sizes, speed, time left, and the
// speed's estimate from the bytes done at moments of a run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/copy_figures_text.h"
#include "core/transfer_rate.h"
#include "texts/texts.h"

namespace {

using namespace std::chrono_literals;

struct SizeCase {
    const char* name;
    std::uint64_t bytes;
    const char* shown;
};
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class SizeText : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeText, ThreeDigitsRoundedDown) {
    EXPECT_EQ(FormatSize(GetParam().bytes), GetParam().shown);
}

constexpr std::uint64_t KB = 1024, MB = KB * 1024, GB = MB * 1024;
INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeText,
    testing::Values(SizeCase{"Nothing", 0, "0 ﾊﾞｲﾄ"}, SizeCase{"BelowAThousandBytes", 999, "999 ﾊﾞｲﾄ"},
                    // 1000 bytes do not fit three digits of bytes.
                    SizeCase{"AThousandBytes", 1000, "0.97 KB"}, SizeCase{"OneKB", KB, "1.00 KB"},
                    SizeCase{"HundredthsKeepTheirZero", KB + 52, "1.05 KB"},
                    SizeCase{"TensWithOneDecimal", 12 * MB + MB / 2, "12.5 MB"},
                    SizeCase{"HundredsWhole", 123 * GB + GB / 2, "123 GB"},
                    // Rounded down: one byte short of 2 MB is not yet 2 MB.
                    SizeCase{"JustShortOfTheNextStep", 2 * MB - 1, "1.99 MB"},
                    SizeCase{"LargestThatFits", UINT64_MAX, "16383 PB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CopyFiguresText, TimeLeftSpeedAndTheWindowsLines) {
    EXPECT_EQ(FormatTimeLeft(std::nullopt), Text(TextId::TimeLeftUnknown));
    EXPECT_EQ(FormatTimeLeft(59s), "残り 約 59 秒");
    EXPECT_EQ(FormatTimeLeft(65s), "残り 約 1 分 5 秒");
    EXPECT_EQ(FormatTimeLeft(2h + 10min + 59s), "残り 約 2 時間 10 分");
    EXPECT_EQ(FormatSpeed(std::nullopt), "");
    EXPECT_EQ(FormatSpeed(1.5 * MB), "1.50 MB/秒");
    EXPECT_EQ(FormatCopyFigures(3, 10, 5 * MB, 20 * MB), "3 / 10 ﾌｧｲﾙ   5.00 MB / 20.0 MB");
    EXPECT_EQ(FormatCopyRate(2.0 * KB, 30s), "2.00 KB/秒   残り 約 30 秒");
    EXPECT_EQ(FormatCopyRate(std::nullopt, std::nullopt), Text(TextId::TimeLeftUnknown));
}

TEST(CopyFiguresText, ThePreviewAlwaysNamesBothDirections) {
    CopyPreview p;
    p.toB = {2, 1};
    p.bytes = 3 * KB;
    EXPECT_EQ(CopyPreviewLines(p), (std::vector<std::string>{"Ａ → Ｂ: 2 個のﾌｧｲﾙ（新規 1 個、上書き 1 個）",
                                                             "Ｂ → Ａ: 0 個のﾌｧｲﾙ（新規 0 個、上書き 0 個）",
                                                             "合計 3.00 KB"}));
    p.refused = 4;
    EXPECT_EQ(CopyPreviewLines(p).at(2), FormatText(TextId::ConfirmRefusedLine, {4}));
}

// Bytes done at moments of a run (seconds from its start), and what the
// estimate says after the last of them.
struct RateCase {
    const char* name;
    std::vector<std::pair<double, std::uint64_t>> samples;
    std::uint64_t total;
    std::optional<double> speed;
    std::optional<std::int64_t> secondsLeft;
};
void PrintTo(const RateCase& c, std::ostream* os) { *os << c.name; }

class RateEstimate : public testing::TestWithParam<RateCase> {};

TEST_P(RateEstimate, FromTheLastSeconds) {
    const RateCase& c = GetParam();
    TransferRate rate;
    const TransferRate::Clock::time_point start{};
    for (const auto& [at, done] : c.samples)
        rate.Add(start + std::chrono::duration_cast<TransferRate::Clock::duration>(std::chrono::duration<double>(at)),
                 done);
    const std::optional<double> speed = rate.BytesPerSecond();
    ASSERT_EQ(speed.has_value(), c.speed.has_value());
    if (speed) EXPECT_DOUBLE_EQ(*speed, *c.speed);
    const auto left = rate.TimeLeft(c.total);
    ASSERT_EQ(left.has_value(), c.secondsLeft.has_value());
    if (left) EXPECT_EQ(left->count(), *c.secondsLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RateEstimate,
    testing::Values(RateCase{"NoSampleYet", {}, 100, std::nullopt, std::nullopt},
                    RateCase{"TooEarly", {{0, 0}, {0.5, 50}}, 100, std::nullopt, std::nullopt},
                    RateCase{"Steady", {{0, 0}, {1, 100}, {2, 200}}, 1000, 100.0, 8},
                    // 50 bytes left at 100 per second: half a second is one.
                    RateCase{"RoundsUp", {{0, 0}, {1, 100}, {2, 950}}, 1000, 475.0, 1},
                    RateCase{"Stalled", {{0, 100}, {1, 100}, {2, 100}}, 1000, 0.0, std::nullopt},
                    RateCase{"DoneAlready", {{0, 0}, {2, 1000}}, 1000, 500.0, 0},
                    // A fast start, then 10 bytes a second for long: the
                    // estimate follows the last five seconds only.
                    RateCase{"FollowsTheRecentSpeed",
                             {{0, 0}, {1, 10000}, {2, 10010}, {3, 10020}, {4, 10030}, {5, 10040}, {6, 10050},
                              {7, 10060}},
                             10160, 10.0, 10}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
