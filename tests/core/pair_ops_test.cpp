#include "core/pair_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "cli/pair_line.h"

namespace {

DirPair MakePair(const std::string& a, const std::string& b, const char* mask = "") {
    DirPair p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.dirA, a.c_str());
    std::strcpy(p.dirB, b.c_str());
    std::strcpy(p.masks[0], mask);
    return p;
}

struct LineCase {
    const char* name;
    int index;
    std::string dirA;
    std::string dirB;
    std::string line;
    bool subdirs = false;  // the pair compares whole trees
};

// gtest shows the case by its name.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class FormatPairLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(FormatPairLineTest, FormatsNumberAndBothColumns) {
    DirPair pair = MakePair(GetParam().dirA, GetParam().dirB);
    pair.subdirs = GetParam().subdirs;
    EXPECT_EQ(FormatPairLine(GetParam().index, pair), GetParam().line);
}

const std::string k24 = std::string(24, 'd');
const std::string kA = "\xE3\x81\x82";  // あ

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatPairLineTest,
    ::testing::Values(
        LineCase{"short_texts_padded_to_20", 0, "C:\\WORK", "D:\\BACKUP\\WORK",
                 " 1 C:\\WORK" + std::string(13, ' ') + " と D:\\BACKUP\\WORK" + std::string(6, ' ')},
        LineCase{"tenth_pair_has_two_digits", 9, "/a", "/b",
                 "10 /a" + std::string(18, ' ') + " と /b" + std::string(18, ' ')},
        LineCase{"long_texts_cut_after_25_bytes", 1, std::string(30, 'x'), std::string(25, 'y') + "z",
                 " 2 " + std::string(25, 'x') + " と " + std::string(25, 'y')},
        // Widths count the columns of the fixed-pitch list font: あ takes two.
        LineCase{"wide_character_not_split_at_column_25", 2, k24 + kA + "tail", "/b",
                 " 3 " + k24 + " と /b" + std::string(18, ' ')},
        LineCase{"wide_character_ending_at_column_25_stays", 3, std::string(23, 'e') + kA,
                 std::string(17, 'f') + kA, " 4 " + std::string(23, 'e') + kA + " と " + std::string(17, 'f') + kA + " "},
        LineCase{"japanese_text_padded_by_columns", 4, kA + kA + kA, "\xEF\xBD\xB1",  // あああ, half-width ｱ
                 " 5 " + kA + kA + kA + std::string(14, ' ') + " と \xEF\xBD\xB1" + std::string(19, ' ')},
        LineCase{"twelve_wide_characters_fill_24_columns", 5, [] { std::string s; for (int i = 0; i < 13; ++i) s += kA; return s; }(), "/b",
                 " 6 " + [] { std::string s; for (int i = 0; i < 12; ++i) s += kA; return s; }() + " と /b" + std::string(18, ' ')},
        // Whole trees: " +" right after directory B, within its 25 columns,
        // so that no line grows beyond 57 columns.
        LineCase{"subdirs_mark_after_short_b", 0, "/a", "/b", " 1 /a" + std::string(18, ' ') + " と /b +" + std::string(16, ' '),
                 true},
        LineCase{"subdirs_mark_fills_the_minimum_width", 1, "/a", std::string(18, 'y'),
                 " 2 /a" + std::string(18, ' ') + " と " + std::string(18, 'y') + " +", true},
        LineCase{"subdirs_mark_cuts_b_after_23_columns", 2, std::string(30, 'x'), std::string(25, 'y'),
                 " 3 " + std::string(25, 'x') + " と " + std::string(23, 'y') + " +", true},
        LineCase{"subdirs_mark_wide_character_not_split_at_column_23", 3, "/a", std::string(22, 'g') + kA,
                 " 4 /a" + std::string(18, ' ') + " と " + std::string(22, 'g') + " +", true}),
    [](const auto& info) { return std::string(info.param.name); });

DirPairTable TableOf(int n) {
    DirPairTable t;
    std::memset(&t, 0, sizeof t);
    for (int i = 0; i < n; ++i)
        t.pairs[i] = MakePair("/a" + std::to_string(i), "/b" + std::to_string(i), ("m" + std::to_string(i)).c_str());
    t.count = n;
    return t;
}

bool SlotIsZero(const DirPair& p) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&p);
    for (std::size_t i = 0; i < sizeof p; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

struct RemoveCase {
    const char* name;
    int count;
    std::vector<int> indices;
    std::vector<int> kept;  // former slot numbers, in their new order
};

void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.name; }

class RemovePairsTest : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(RemovePairsTest, RemovesExactlyThoseAndClearsTheFreedSlots) {
    DirPairTable t = TableOf(GetParam().count);
    RemovePairs(t, GetParam().indices.data(), static_cast<int>(GetParam().indices.size()));
    ASSERT_EQ(t.count, static_cast<int>(GetParam().kept.size()));
    for (int i = 0; i < t.count; ++i) {
        const std::string n = std::to_string(GetParam().kept[i]);
        EXPECT_STREQ(t.pairs[i].dirA, ("/a" + n).c_str());
        EXPECT_STREQ(t.pairs[i].dirB, ("/b" + n).c_str());
        EXPECT_STREQ(t.pairs[i].masks[0], ("m" + n).c_str());
    }
    for (int i = t.count; i < MAX_DIR_PAIRS; ++i) EXPECT_TRUE(SlotIsZero(t.pairs[i])) << "slot " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovePairsTest,
    ::testing::Values(RemoveCase{"lines_3_and_6_of_7", 7, {2, 5}, {0, 1, 3, 4, 6}},
                      RemoveCase{"all_of_them", 4, {0, 1, 2, 3}, {}},
                      RemoveCase{"last_of_ten", 10, {9}, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                      RemoveCase{"first_of_ten", 10, {0}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
                      RemoveCase{"none", 3, {}, {0, 1, 2}},
                      RemoveCase{"index_equal_to_count", 5, {5}, {0, 1, 2, 3, 4}},
                      // Indices that a list box never delivers do no harm.
                      RemoveCase{"unsorted_duplicate_and_out_of_range", 5, {3, 1, 3, 7, -1}, {0, 2, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CheckCase {
    const char* name;
    std::string a;
    std::string b;
    DirInputProblem problem;
    bool inB;
    std::string storedA;  // what the pair keeps, when accepted
    std::string storedB;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckDirInputTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckDirInputTest, Classifies) {
    const CheckCase& c = GetParam();
    const DirInputCheck check = CheckDirInput(c.a, c.b);
    EXPECT_EQ(check.problem, c.problem);
    if (c.problem == DirInputProblem::None) {
        EXPECT_EQ(check.dirA, c.storedA);
        EXPECT_EQ(check.dirB, c.storedB);
    } else {
        EXPECT_EQ(check.inB, c.inB);
    }
}

const std::string kLongest = "/" + std::string(MAX_DIR_BYTES - 1, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckDirInputTest,
    ::testing::Values(
        CheckCase{"both_empty", "", "", DirInputProblem::Missing, false, "", ""},
        CheckCase{"b_empty", "/a", "", DirInputProblem::Missing, true, "", ""},
        CheckCase{"a_only_blanks", " \t\v\f", "/b", DirInputProblem::Missing, false, "", ""},
        CheckCase{"b_only_line_breaks_is_missing", "/a", "\r\n", DirInputProblem::Missing, true, "", ""},
        CheckCase{"identical", "/x", "/x", DirInputProblem::Same, true, "", ""},
        CheckCase{"identical_after_leading_blanks", "  /x", "\t/x", DirInputProblem::Same, true, "", ""},
        CheckCase{"differ_in_case", "/X", "/x", DirInputProblem::None, false, "/X", "/x"},
        CheckCase{"trailing_blank_differs", "/x", "/x ", DirInputProblem::None, false, "/x", "/x "},
        CheckCase{"leading_blanks_dropped", " \t/a", "\n/b", DirInputProblem::None, false, "/a", "/b"},
        CheckCase{"line_break_in_a", "/a\nb", "/b", DirInputProblem::LineBreak, false, "", ""},
        CheckCase{"carriage_return_ending_b", "/a", "/b\r", DirInputProblem::LineBreak, true, "", ""},
        CheckCase{"a_checked_before_b", "/a\n", "/" + std::string(MAX_DIR_BYTES, 'y'), DirInputProblem::LineBreak,
                  false, "", ""},
        CheckCase{"longest_kept", kLongest, "/b", DirInputProblem::None, false, kLongest, "/b"},
        CheckCase{"one_byte_more_refused", "/a", kLongest + "z", DirInputProblem::TooLong, true, "", ""},
        // The length counts what is stored, not the blanks dropped before it.
        CheckCase{"blanks_before_longest_do_not_count", "   " + kLongest, "/b", DirInputProblem::None, false,
                  kLongest, "/b"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
