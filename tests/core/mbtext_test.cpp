#include "core/mbtext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

namespace {

struct UpperCase {
    const char* name;
    CodePage cp;
    std::string in;
    std::string out;
};

// gtest shows the case by its name.
void PrintTo(const UpperCase& c, std::ostream* os) { *os << c.name; }

class MbUpperTest : public ::testing::TestWithParam<UpperCase> {};

TEST_P(MbUpperTest, FoldsAsciiLettersOnly) {
    EXPECT_EQ(MbUpper(GetParam().in, GetParam().cp), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MbUpperTest,
    ::testing::Values(
        UpperCase{"ascii", CodePage::Utf8, "Readme.txt", "README.TXT"},
        UpperCase{"utf8_kept_whole", CodePage::Utf8, "\xE3\x81\x82" "a\xC3\xA9z", "\xE3\x81\x82" "A\xC3\xA9Z"},
        UpperCase{"utf8_invalid_bytes_pass", CodePage::Utf8, "\xFF" "a\x80" "b", "\xFF" "A\x80" "B"},
        // A three-byte lead followed by ASCII is a byte on its own: the letters after it are folded.
        UpperCase{"utf8_lead_without_continuation_bytes", CodePage::Utf8, "\xE3" "ab", "\xE3" "AB"},
        // 0x83 0x61 is one Shift-JIS character: its trail byte 0x61 ('a') stays.
        UpperCase{"cp932_trail_a", CodePage::Cp932, "\x83\x61" "a", "\x83\x61" "A"},
        // 0x95 0x5C ends in a backslash byte that must not be taken on its own.
        UpperCase{"cp932_trail_backslash", CodePage::Cp932, "\x95\x5C" "b", "\x95\x5C" "B"},
        UpperCase{"cp932_lead_E0_range", CodePage::Cp932, "\xE0\x62" "c", "\xE0\x62" "C"},
        UpperCase{"cp932_half_width_kana", CodePage::Cp932, "\xB1" "x", "\xB1" "X"},
        UpperCase{"cp932_lone_lead_at_end", CodePage::Cp932, "x\x82", "X\x82"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutLength, NeverSplitsACharacter) {
    const std::string s = "ab\xE3\x81\x82" "c";  // a b あ c
    EXPECT_EQ(CutLength(s, 10, CodePage::Utf8), 6u);
    EXPECT_EQ(CutLength(s, 5, CodePage::Utf8), 5u);
    EXPECT_EQ(CutLength(s, 4, CodePage::Utf8), 2u);
    EXPECT_EQ(CutLength(s, 3, CodePage::Utf8), 2u);
    EXPECT_EQ(CutLength("a\x82\xA0" "b", 2, CodePage::Cp932), 1u);
    EXPECT_EQ(CutLength("a\x82\xA0" "b", 3, CodePage::Cp932), 3u);
}

TEST(CopyText, CutsAtBoundaryAndZeroFills) {
    char field[5];
    std::memset(field, 'x', sizeof field);
    EXPECT_FALSE(CopyText(field, sizeof field, "ab\xE3\x81\x82", CodePage::Utf8));
    EXPECT_STREQ(field, "ab");
    EXPECT_EQ(field[3], 0);
    EXPECT_EQ(field[4], 0);

    EXPECT_TRUE(CopyText(field, sizeof field, "abcd", CodePage::Utf8));
    EXPECT_STREQ(field, "abcd");
}

}  // namespace

namespace {

TEST(CharColumns, FullWidthTakesTwoColumns) {
    struct Case {
        const char* text;
        CodePage cp;
        int columns;
    };
    const Case cases[] = {
        {"a", CodePage::Utf8, 1},
        {"\xE3\x81\x82", CodePage::Utf8, 2},      // あ
        {"\xEF\xBC\xA1", CodePage::Utf8, 2},      // Ａ full-width
        {"\xEF\xBD\xB1", CodePage::Utf8, 1},      // ｱ half-width katakana
        {"\xC3\xA9", CodePage::Utf8, 1},          // é
        {"\x82\xA0", CodePage::Cp932, 2},         // あ in Shift-JIS
        {"\xB1", CodePage::Cp932, 1},             // ｱ in Shift-JIS
        {"\x82", CodePage::Cp932, 1},             // a lead byte with nothing after it
    };
    for (const Case& c : cases) EXPECT_EQ(CharColumns(c.text, c.cp), c.columns) << c.text;
}

}  // namespace
