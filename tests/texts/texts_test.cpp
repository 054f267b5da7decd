#include "texts/texts.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "texts/english.h"
#include "texts/japanese.h"

namespace {

// The placeholder numbers a text uses, or an explanation of what in it is
// not a placeholder: a lone % would show as it is written.
struct Placeholders {
    std::set<int> numbers;
    std::string fault;
};

Placeholders PlaceholdersOf(std::string_view text) {
    Placeholders found;
    for (std::size_t i = text.find('%'); i != std::string_view::npos; i = text.find('%', i)) {
        ++i;
        if (i < text.size() && text[i] == '%') {
            ++i;
            continue;
        }
        int n = 0;
        std::size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') n = n * 10 + (text[end++] - '0');
        if (end == i || end + 1 >= text.size() || text[end] != '$' || (text[end + 1] != 's' && text[end + 1] != 'd') ||
            n == 0) {
            found.fault = "a % that is not %N$s, %N$d or %%: " + std::string(text.substr(i - 1, 6));
            return found;
        }
        found.numbers.insert(n);
        i = end + 2;
    }
    return found;
}

// Every id but None has words, in exactly one table; the build already
// refuses a table that misses one, this names which.
TEST(TextTables, EveryIdHasText) {
    for (int i = static_cast<int>(TextId::None) + 1; i < static_cast<int>(TextId::Count); ++i) {
        const char* text = Text(static_cast<TextId>(i));
        ASSERT_NE(text, nullptr) << "id " << i;
        EXPECT_STRNE(text, "") << "id " << i << " has no words";
    }
    EXPECT_STREQ(Text(TextId::None), "");
}

// A format that skips a number would drop a value; a stray % would show.
TEST(TextTables, PlaceholdersAreNumberedFromOneWithoutGaps) {
    for (const auto& table : {std::span<const TextEntry>(kJapaneseTexts), std::span<const TextEntry>(kEnglishTexts)}) {
        for (const TextEntry& e : table) {
            const Placeholders p = PlaceholdersOf(e.text);
            EXPECT_EQ(p.fault, "") << "id " << static_cast<int>(e.id);
            int expected = 1;
            for (const int n : p.numbers) EXPECT_EQ(n, expected++) << "id " << static_cast<int>(e.id);
        }
    }
}

struct FormatCase {
    const char* name;
    std::string pattern;
    std::string expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class FormatPatternTest : public ::testing::TestWithParam<FormatCase> {};

// Values as a text, a name holding a % and a number, in that order.
TEST_P(FormatPatternTest, FillsPlaceholdersByPosition) {
    EXPECT_EQ(FormatPattern(GetParam().pattern, {"dir", "50%$s", 5000}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatPatternTest,
    ::testing::Values(
        FormatCase{"no_placeholder", "plain", "plain"},
        FormatCase{"in_order", "%1$s: %3$d", "dir: 5000"},
        // A translation may name the values in another order, or twice.
        FormatCase{"reordered", "%3$d <- %1$s", "5000 <- dir"},
        FormatCase{"repeated", "%1$s A\n%1$s B", "dir A\ndir B"},
        // A value is inserted as it is, never read as a format itself.
        FormatCase{"value_with_percent_is_not_expanded", "[%2$s]", "[50%$s]"},
        FormatCase{"double_percent", "100%% %1$s", "100% dir"},
        FormatCase{"kind_letter_does_not_matter", "%3$s %1$d", "5000 dir"},
        // What is not a placeholder with a value shows as it is written.
        FormatCase{"number_beyond_the_values", "%4$s and %12$s", "%4$s and %12$s"},
        FormatCase{"number_zero", "%0$s", "%0$s"},
        FormatCase{"no_number", "%s", "%s"},
        FormatCase{"other_kind_letter", "%1$x", "%1$x"},
        FormatCase{"cut_at_the_end", "end %1$", "end %1$"},
        FormatCase{"lone_percent_at_the_end", "100%", "100%"},
        FormatCase{"huge_number", "%99999999999999999999$s", "%99999999999999999999$s"},
        FormatCase{"japanese_around", "%1$sのコピー", "dirのコピー"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatText, NumbersOfEveryWidthAndSign) {
    EXPECT_EQ(FormatPattern("%1$d %2$d %3$d", {-7, 4294967296LL, static_cast<unsigned short>(9)}), "-7 4294967296 9");
}

// The copy failure keeps its line break: the window appends the destination
// after it, and --sync prints it as one line of stderr.
TEST(FormatText, TakesTheTableEntry) {
    EXPECT_EQ(FormatText(TextId::CopyFailure, {"a.txt"}),
              "a.txt\xE3\x81\xAE\xE3\x82\xB3\xE3\x83\x94\xE3\x83\xBC\xE3\x81\xAB\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97"
              "\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82\n");
    EXPECT_EQ(FormatText(TextId::SyncSummaryFiles, {3, 0}), "zoruna: 3 files copied, 0 failed");
}

}  // namespace
