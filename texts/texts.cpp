#include "texts/texts.h"

#include <array>
#include <cstddef>
#include <optional>
#include <set>
#include <utility>

#include "texts/english.h"
#include "texts/japanese.h"
#include "texts/text_names.h"
#include "texts/translation.h"

namespace {

constexpr std::size_t kIdCount = static_cast<std::size_t>(TextId::Count);

using TextIndex = std::array<const char*, kIdCount>;

// Every id's text from whichever table holds it. An id that no table holds,
// or that two tables or two entries hold, stays nullptr (None too when a
// table names it), which fails the build below.
constexpr TextIndex BuildIndex() {
    TextIndex index{};
    std::array<int, kIdCount> entries{};
    auto add = [&](const auto& table) {
        for (const TextEntry& e : table) {
            const auto i = static_cast<std::size_t>(e.id);
            index[i] = e.text;
            ++entries[i];
        }
    };
    add(kJapaneseTexts);
    add(kEnglishTexts);
    for (std::size_t i = 0; i < kIdCount; ++i)
        if (entries[i] != (i == static_cast<std::size_t>(TextId::None) ? 0 : 1)) index[i] = nullptr;
    if (entries[static_cast<std::size_t>(TextId::None)] == 0) index[static_cast<std::size_t>(TextId::None)] = "";
    return index;
}

constexpr TextIndex kIndex = BuildIndex();

constexpr bool EveryIdHasOneText() {
    for (const char* text : kIndex)
        if (!text) return false;
    return true;
}
static_assert(EveryIdHasOneText(), "every TextId needs exactly one entry in one language table");

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The words of the translation in use, by id; nothing where the table's own
// words stand.
std::array<std::optional<std::string>, kIdCount> g_translated;

// The placeholders of a pattern as (number, kind) pairs; nothing when a % in
// it is neither a placeholder nor %%.
std::optional<std::set<std::pair<std::size_t, char>>> PlaceholdersOf(std::string_view pattern) {
    std::set<std::pair<std::size_t, char>> found;
    for (std::size_t i = pattern.find('%'); i != std::string_view::npos; i = pattern.find('%', i)) {
        ++i;
        if (i < pattern.size() && pattern[i] == '%') {
            ++i;
            continue;
        }
        std::size_t end = i;
        std::size_t n = 0;
        while (end < pattern.size() && IsDigit(pattern[end]) && n < 1000) n = n * 10 + (pattern[end++] - '0');
        if (end == i || n == 0 || end + 1 >= pattern.size() || pattern[end] != '$' ||
            (pattern[end + 1] != 's' && pattern[end + 1] != 'd'))
            return std::nullopt;
        found.emplace(n, pattern[end + 1]);
        i = end + 2;
    }
    return found;
}

}  // namespace

const char* Text(TextId id) {
    const auto i = static_cast<std::size_t>(id);
    if (i >= kIdCount) return "";
    return g_translated[i] ? g_translated[i]->c_str() : kIndex[i];
}

bool SamePlaceholders(std::string_view original, std::string_view translation) {
    const auto expected = PlaceholdersOf(original);
    return expected && PlaceholdersOf(translation) == expected;
}

int UseTranslation(const TranslationLookup& lookup) {
    UseJapaneseTexts();
    int count = 0;
    for (const TextEntry& e : kJapaneseTexts) {
        std::optional<std::string> words = lookup(TextIdName(e.id), e.text);
        if (!words || words->empty() || !SamePlaceholders(e.text, *words)) continue;
        g_translated[static_cast<std::size_t>(e.id)] = std::move(words);
        ++count;
    }
    return count;
}

bool IsTranslated(TextId id) {
    const auto i = static_cast<std::size_t>(id);
    return i < kIdCount && g_translated[i].has_value();
}

void UseJapaneseTexts() {
    for (auto& words : g_translated) words.reset();
}

std::string FormatText(TextId id, std::initializer_list<TextArg> args) { return FormatPattern(Text(id), args); }

std::string FormatPattern(std::string_view pattern, std::initializer_list<TextArg> args) {
    std::string out;
    out.reserve(pattern.size() + 64);
    std::size_t i = 0;
    while (i < pattern.size()) {
        const std::size_t percent = pattern.find('%', i);
        out.append(pattern.substr(i, percent == std::string_view::npos ? std::string_view::npos : percent - i));
        if (percent == std::string_view::npos) break;
        i = percent + 1;
        if (i < pattern.size() && pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // %N$s or %N$d; the number counts from 1.
        std::size_t end = i;
        std::size_t n = 0;
        while (end < pattern.size() && IsDigit(pattern[end]) && n <= args.size()) n = n * 10 + (pattern[end++] - '0');
        const bool placeholder = end > i && end + 1 < pattern.size() && pattern[end] == '$' &&
                                 (pattern[end + 1] == 's' || pattern[end + 1] == 'd');
        if (placeholder && n >= 1 && n <= args.size()) {
            out.append(args.begin()[n - 1].text());
            i = end + 2;
        } else {
            out += '%';
        }
    }
    return out;
}
