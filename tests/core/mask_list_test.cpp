#include "core/mask_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Slots = char[MAX_MASKS][MASK_LEN];

std::vector<std::string> Masks(const Slots& slots) {
    std::vector<std::string> out;
    for (int i = 0; i < MAX_MASKS && slots[i][0] != 0; ++i) out.emplace_back(slots[i]);
    return out;
}

// Every slot after the last mask is zero bytes throughout.
bool TailIsZero(const Slots& slots, std::size_t used) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&slots[used]);
    const auto* end = reinterpret_cast<const unsigned char*>(&slots[MAX_MASKS]);
    for (; bytes != end; ++bytes)
        if (*bytes != 0) return false;
    return true;
}

std::string Items(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text.append(i ? "," : "").append("m").append(std::to_string(i));
    return text;
}

const std::string kA62 = std::string(62, 'a');
const std::string kHiragana = "\xE3\x81\x82";  // あ, three bytes

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<std::string> masks;
    int cut;
};

// gtest shows the case by its name.
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseMaskListTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseMaskListTest, FillsTheSlots) {
    Slots slots;
    std::memset(slots, 'x', sizeof slots);
    EXPECT_EQ(ParseMaskList(GetParam().text, slots), GetParam().cut);
    EXPECT_EQ(Masks(slots), GetParam().masks);
    EXPECT_TRUE(TailIsZero(slots, GetParam().masks.size()));
    for (std::size_t i = 0; i < GetParam().masks.size(); ++i)
        EXPECT_EQ(slots[i][MASK_LEN - 1], 0) << "slot " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseMaskListTest,
    ::testing::Values(
        ParseCase{"empty", "", {}, 0},
        ParseCase{"blanks_around_items", " txt , bak", {"txt", "bak"}, 0},
        ParseCase{"tabs_and_line_ends_trimmed", "\tobj\r\n,\vbak ", {"obj", "bak"}, 0},
        ParseCase{"empty_item_ends_the_list", "a,,b", {"a"}, 0},
        ParseCase{"blank_item_ends_the_list", "OBJ,BAK, ,TMP", {"OBJ", "BAK"}, 0},
        ParseCase{"leading_comma_gives_nothing", ",a", {}, 0},
        ParseCase{"trailing_comma_adds_nothing", "a,", {"a"}, 0},
        ParseCase{"eleven_items_keep_ten", Items(11),
                  {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9"}, 0},
        ParseCase{"inner_blank_stays", "my file, x y ", {"my file", "x y"}, 0},
        ParseCase{"case_kept", "Obj,.BAK", {"Obj", ".BAK"}, 0},
        ParseCase{"63_bytes_fit", std::string(63, 'b'), {std::string(63, 'b')}, 0},
        ParseCase{"64_bytes_cut_to_63", std::string(64, 'b') + ",c", {std::string(63, 'b'), "c"}, 1},
        ParseCase{"cut_never_splits_a_character", kA62 + kHiragana + ",z,y" + kA62 + kHiragana,
                  {kA62, "z", "y" + kA62}, 2},
        ParseCase{"character_ending_at_byte_63_fits", std::string(60, 'a') + kHiragana,
                  {std::string(60, 'a') + kHiragana}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct JoinCase {
    const char* name;
    std::vector<std::string> slots;  // written as they are, empty ones included
    std::string text;
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

class JoinMaskListTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinMaskListTest, JoinsTheLeadingSlots) {
    Slots slots;
    std::memset(slots, 0, sizeof slots);
    for (std::size_t i = 0; i < GetParam().slots.size(); ++i) std::strcpy(slots[i], GetParam().slots[i].c_str());
    EXPECT_EQ(JoinMaskList(slots), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinMaskListTest,
    ::testing::Values(JoinCase{"none", {}, ""},
                      JoinCase{"two_without_blanks", {"txt", "bak"}, "txt,bak"},
                      JoinCase{"ten_give_nine_commas",
                               {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9"}, Items(10)},
                      JoinCase{"empty_slot_ends_the_list", {"a", "", "c"}, "a"},
                      JoinCase{"empty_first_slot", {"", "b"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MaskList, FullSlotsJoinWholeAndParseBack) {
    Slots slots;
    std::memset(slots, 0, sizeof slots);
    for (int i = 0; i < MAX_MASKS; ++i) std::memset(slots[i], 'a' + i, MASK_LEN - 1);
    const std::string text = JoinMaskList(slots);
    EXPECT_EQ(text.size(), 10u * 63 + 9);
    Slots back;
    EXPECT_EQ(ParseMaskList(text, back), 0);
    EXPECT_EQ(std::memcmp(slots, back, sizeof slots), 0);
}

}  // namespace
