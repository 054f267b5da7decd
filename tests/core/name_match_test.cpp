#include "core/name_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kNone = kNoPartner;

struct MatchCase {
    const char* name;
    CodePage cp;
    std::vector<std::string> a;
    std::vector<std::string> b;
    std::vector<std::uint32_t> partner;  // per name of a
};

class MatchNamesTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchNamesTest, PairsOnlyWhatIsUnambiguous) {
    const MatchCase& c = GetParam();
    const std::vector<std::string_view> a(c.a.begin(), c.a.end());
    const std::vector<std::string_view> b(c.b.begin(), c.b.end());
    EXPECT_EQ(MatchNames(a, b, c.cp), c.partner);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchNamesTest,
    ::testing::Values(
        MatchCase{"exact_in_any_order", CodePage::Utf8, {"x", "y", "z"}, {"z", "x", "y"}, {1, 2, 0}},
        MatchCase{"case_only_when_unique", CodePage::Utf8, {"Readme.TXT"}, {"README.txt"}, {0}},
        // A.TXT and a.txt on both sides: each takes its exact twin, whatever the
        // order, never the other spelling.
        MatchCase{"exact_before_case", CodePage::Utf8, {"A.TXT", "a.txt"}, {"a.txt", "A.TXT"}, {1, 0}},
        MatchCase{"case_variant_left_when_twin_taken", CodePage::Utf8, {"A.TXT", "a.txt"}, {"a.txt"}, {kNone, 0}},
        MatchCase{"two_in_b_share_the_form", CodePage::Utf8, {"Readme"}, {"README", "readme"}, {kNone}},
        MatchCase{"two_in_a_share_the_form", CodePage::Utf8, {"README", "readme"}, {"Readme"}, {kNone, kNone}},
        // The exact pairs leave one name per side with the form: they match.
        MatchCase{"ambiguity_resolved_by_exact_pairs", CodePage::Utf8, {"ab", "AB", "Ab"}, {"AB", "aB", "ab"},
                  {2, 0, 1}},
        MatchCase{"invalid_utf8_only_exact", CodePage::Utf8, {"\x83\x41.txt", "\xFF"}, {"\x83\x61.txt", "\xFF"},
                  {kNone, 1}},
        MatchCase{"non_ascii_letters_not_folded", CodePage::Utf8, {"\xC3\xA4", "\xC3\xA9" "A"},
                  {"\xC3\x84", "\xC3\xA9" "a"}, {kNone, 1}},
        // In Shift-JIS 0x83 0x41 and 0x83 0x61 are two different characters.
        MatchCase{"cp932_pairs_not_folded", CodePage::Cp932, {"\x83\x41.txt", "a\x83\x61"},
                  {"\x83\x61.TXT", "A\x83\x61"}, {kNone, 1}},
        MatchCase{"empty_sides", CodePage::Utf8, {}, {"x"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
