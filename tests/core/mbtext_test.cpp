#include "core/mbtext.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct UpperCase {
    const char* name;
    CodePage cp;
    std::string in;
    std::string out;
};

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
    };
    for (const Case& c : cases) EXPECT_EQ(CharColumns(c.text, c.cp), c.columns) << c.text;
}

}  // namespace

namespace {

struct TextCase {
    const char* name;
    CodePage cp;
    std::string text;
    bool valid;
};

class IsValidTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(IsValidTextTest, RejectsWhatIsNoCharacter) {
    EXPECT_EQ(IsValidText(GetParam().text, GetParam().cp), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsValidTextTest,
    ::testing::Values(
        TextCase{"ascii", CodePage::Utf8, "Readme.txt", true},
        TextCase{"utf8_two_three_four_bytes", CodePage::Utf8, "\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80", true},
        // A Shift-JIS name on a UTF-8 system: 0x83 is a stray continuation byte.
        TextCase{"cp932_bytes_in_utf8", CodePage::Utf8, "\x83\x61.txt", false},
        TextCase{"utf8_truncated_at_end", CodePage::Utf8, "a\xE3\x81", false},
        TextCase{"utf8_overlong_slash", CodePage::Utf8, "\xC0\xAF", false},
        TextCase{"utf8_overlong_three_bytes", CodePage::Utf8, "\xE0\x80\xAF", false},
        TextCase{"utf8_surrogate", CodePage::Utf8, "\xED\xA0\x80", false},
        TextCase{"utf8_beyond_10FFFF", CodePage::Utf8, "\xF4\x90\x80\x80", false},
        TextCase{"utf8_last_code_point", CodePage::Utf8, "\xF4\x8F\xBF\xBF", true},
        TextCase{"cp932_pair", CodePage::Cp932, "\x83\x61\x83\x41", true},
        TextCase{"cp932_half_width_kana", CodePage::Cp932, "\xB1", true},
        TextCase{"cp932_lone_lead_at_end", CodePage::Cp932, "x\x82", false},
        TextCase{"cp932_bad_trail", CodePage::Cp932, "\x82\x20", false},
        TextCase{"cp932_undefined_single_byte", CodePage::Cp932, "\xFD", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct EndingCase {
    const char* name;
    CodePage cp;
    std::string text;
    std::string upperEnding;
    bool ends;
};

class EndsWithUpperTest : public ::testing::TestWithParam<EndingCase> {};

TEST_P(EndsWithUpperTest, AgreesWithUpperCasingTheWholeName) {
    const EndingCase& c = GetParam();
    EXPECT_EQ(EndsWithUpper(c.text, c.upperEnding, c.cp), c.ends);
    const std::string upper = MbUpper(c.text, c.cp);
    EXPECT_EQ(upper.size() >= c.upperEnding.size() &&
                  upper.compare(upper.size() - c.upperEnding.size(), std::string::npos, c.upperEnding) == 0,
              c.ends);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EndsWithUpperTest,
    ::testing::Values(EndingCase{"utf8_folded", CodePage::Utf8, "notes.Txt", ".TXT", true},
                      EndingCase{"utf8_shorter_than_ending", CodePage::Utf8, "txt", ".TXT", false},
                      EndingCase{"utf8_whole_name", CodePage::Utf8, "txt", "TXT", true},
                      EndingCase{"utf8_multibyte_ending", CodePage::Utf8, "\xE3\x81\x82.bak", "\xE3\x81\x82.BAK", true},
                      // The trail byte 0x61 of a Shift-JIS character is no letter.
                      EndingCase{"cp932_trail_not_folded", CodePage::Cp932, "x\x83\x61", "\x83\x41", false},
                      EndingCase{"cp932_letter_after_pair", CodePage::Cp932, "\x83\x61" "a", "\x83\x61" "A", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
