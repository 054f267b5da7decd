// The translation of the Japanese table: which language a locale gets, the
// catalog reader, and the catalog of the build against the table.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "texts/catalog_language.h"
#include "texts/catalog_translation.h"
#include "texts/japanese.h"
#include "texts/mo_catalog.h"
#include "texts/text_names.h"
#include "texts/texts.h"
#include "texts/translation.h"

namespace {

struct LanguageCase {
    const char* name;
    LocaleEnvironment env;
    const char* expected;  // "" for the Japanese table
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class CatalogLanguage : public ::testing::TestWithParam<LanguageCase> {};

// Only English has a catalog, as in the build.
TEST_P(CatalogLanguage, FollowsTheLocaleVariables) {
    const auto onlyEnglish = [](std::string_view language) { return language == "en"; };
    EXPECT_EQ(ChooseCatalogLanguage(GetParam().env, onlyEnglish), GetParam().expected);
}

// env: LANGUAGE, LC_ALL, LC_MESSAGES, LANG, the system's language.
INSTANTIATE_TEST_SUITE_P(
    Locales, CatalogLanguage,
    ::testing::Values(LanguageCase{"Unset", {}, ""},
                      LanguageCase{"C", {"", "", "", "C", ""}, ""},
                      LanguageCase{"CUtf8", {"", "", "", "C.UTF-8", ""}, ""},
                      LanguageCase{"Posix", {"", "", "", "POSIX", ""}, ""},
                      LanguageCase{"Japanese", {"", "", "", "ja_JP.UTF-8", ""}, ""},
                      LanguageCase{"JapaneseEucJp", {"", "", "", "ja_JP.eucJP", ""}, ""},
                      LanguageCase{"English", {"", "", "", "en_US.UTF-8", ""}, "en"},
                      LanguageCase{"BritishEnglish", {"", "", "", "en_GB", ""}, "en"},
                      LanguageCase{"GermanHasNoCatalog", {"", "", "", "de_DE.UTF-8", ""}, "en"},
                      LanguageCase{"GermanWithModifier", {"", "", "", "de_DE@euro", ""}, "en"},
                      LanguageCase{"LcAllBeforeLang", {"", "ja_JP.UTF-8", "", "en_US.UTF-8", ""}, ""},
                      LanguageCase{"LcAllCBeforeLang", {"", "C", "", "en_US.UTF-8", ""}, ""},
                      LanguageCase{"LcMessagesBeforeLang", {"", "", "en_US.UTF-8", "ja_JP.UTF-8", ""}, "en"},
                      LanguageCase{"LanguageListBeforeLocale", {"en", "", "", "ja_JP.UTF-8", ""}, "en"},
                      LanguageCase{"LanguageListJapaneseFirst", {"ja:en", "", "", "en_US.UTF-8", ""}, ""},
                      LanguageCase{"LanguageListSkipsUncatalogued", {"de:en:ja", "", "", "de_DE.UTF-8", ""}, "en"},
                      LanguageCase{"LanguageListIgnoredUnderC", {"en", "", "", "C", ""}, ""},
                      LanguageCase{"WindowsJapanese", {"", "", "", "", "ja-JP"}, ""},
                      LanguageCase{"WindowsEnglish", {"", "", "", "", "en-US"}, "en"},
                      LanguageCase{"VariableBeforeWindows", {"", "", "", "ja_JP.UTF-8", "en-US"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CatalogLanguage, WithoutAnyCatalogStaysJapanese) {
    const LocaleEnvironment english{"", "", "", "en_US.UTF-8", ""};
    EXPECT_EQ(ChooseCatalogLanguage(english, [](std::string_view) { return false; }), "");
}

// A catalog as msgfmt lays it out: header, the two tables, then the strings;
// in little- or big-endian words.
std::string MoBytes(const std::vector<std::pair<std::string, std::string>>& entries, bool bigEndian = false) {
    std::string out;
    const auto word = [&](std::uint32_t w) {
        for (int k = 0; k < 4; ++k) out += static_cast<char>((w >> (8 * (bigEndian ? 3 - k : k))) & 0xff);
    };
    const auto n = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t originals = 28, translations = originals + 8 * n;
    std::uint32_t at = translations + 8 * n;
    std::string strings;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> origSpans, transSpans;
    for (const auto& e : entries) origSpans.emplace_back(e.first.size(), at + strings.size()), strings += e.first + '\0';
    for (const auto& e : entries)
        transSpans.emplace_back(e.second.size(), at + strings.size()), strings += e.second + '\0';
    word(0x950412de);
    word(0);
    word(n);
    word(originals);
    word(translations);
    word(0);
    word(0);
    for (const auto& [len, off] : origSpans) word(len), word(off);
    for (const auto& [len, off] : transSpans) word(len), word(off);
    return out + strings;
}

TEST(MoCatalog, FindsEntriesByContextInEitherByteOrder) {
    for (const bool bigEndian : {false, true}) {
        const auto catalog = MoCatalog::Parse(MoBytes(
            {{"", "Content-Type: text/plain; charset=UTF-8\n"}, {"CopyError\4エラー", "Error"}, {"plain", "Plain"}},
            bigEndian));
        ASSERT_TRUE(catalog) << "big-endian " << bigEndian;
        ASSERT_NE(catalog->Find("CopyError", "エラー"), nullptr);
        EXPECT_EQ(*catalog->Find("CopyError", "エラー"), "Error");
        EXPECT_EQ(catalog->Find("CompareError", "エラー"), nullptr) << "another id's context";
        ASSERT_NE(catalog->Find("", "plain"), nullptr);
        EXPECT_EQ(*catalog->Find("", "plain"), "Plain");
    }
}

// A file cut anywhere, or with a table entry pointing past its end, is no
// catalog; nothing is read outside the bytes (the sanitizer build checks).
TEST(MoCatalog, RefusesCutAndBrokenFiles) {
    const std::string whole = MoBytes({{"A\4a", "x"}, {"B\4b", "y"}});
    ASSERT_TRUE(MoCatalog::Parse(whole));
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(MoCatalog::Parse(whole.substr(0, size))) << "cut to " << size << " bytes";
    std::string pastEnd = whole;
    pastEnd[28 + 4] = '\x7f';  // the offset of the first msgid
    EXPECT_FALSE(MoCatalog::Parse(pastEnd));
    std::string hugeCount = whole;
    hugeCount[11] = '\x7f';
    EXPECT_FALSE(MoCatalog::Parse(hugeCount));
    EXPECT_FALSE(MoCatalog::Parse(std::string(64, 'x'))) << "no magic number";
}

// The catalog the build compiled from po/<language>.po.
MoCatalog BuiltCatalog(const char* language) {
    const std::optional<MoCatalog> catalog =
        MoCatalog::Load(CatalogFile(ZORUNA_CATALOG_DIR, language));
    if (!catalog) ADD_FAILURE() << "no catalog " << CatalogFile(ZORUNA_CATALOG_DIR, language);
    return catalog.value_or(MoCatalog());
}

// A Japanese text added or changed without its English, or an English entry
// that lost or changed a placeholder, would show Japanese (or a wrong value)
// in the English window.
TEST(EnglishCatalog, TranslatesEveryJapaneseTextWithItsPlaceholders) {
    const MoCatalog english = BuiltCatalog("en");
    for (const TextEntry& e : kJapaneseTexts) {
        const std::string_view name = TextIdName(e.id);
        const std::string* words = english.Find(name, e.text);
        if (!words || words->empty()) {
            ADD_FAILURE() << name << " has no English entry in po/en.po (ninja zoruna_pot, then msgmerge)";
            continue;
        }
        EXPECT_TRUE(SamePlaceholders(e.text, *words)) << name << ": \"" << *words << "\"";
    }
}

// Text() takes the translation's words, except where they would lose a value.
TEST(Translation, ReplacesTextsThatKeepTheirPlaceholders) {
    const std::string japaneseCopyError = Text(TextId::CopyError);
    const std::string japaneseDirTooLong = Text(TextId::DirTooLong);
    std::map<std::string, int> asked;
    const int used = UseTranslation([&](std::string_view name, const char*) -> std::optional<std::string> {
        ++asked[std::string(name)];
        if (name == "CopyError") return "Copy failed: %1$s";
        if (name == "DirTooLong") return "Too long";              // drops %1$d
        if (name == "MaskTooLong") return "At most %1$s bytes";  // %1$d became %1$s
        if (name == "SaveFailed") return "Saving to %2$s failed";  // %1$s became %2$s
        return std::nullopt;
    });
    EXPECT_EQ(used, 1);
    EXPECT_EQ(FormatText(TextId::CopyError, {"disk full"}), "Copy failed: disk full");
    EXPECT_TRUE(IsTranslated(TextId::CopyError));
    EXPECT_EQ(Text(TextId::DirTooLong), japaneseDirTooLong);
    EXPECT_FALSE(IsTranslated(TextId::DirTooLong));
    EXPECT_EQ(asked.count("Usage"), 0u) << "the command line's English table is not translated";
    EXPECT_EQ(asked.size(), std::size(kJapaneseTexts));
    UseJapaneseTexts();
    EXPECT_EQ(Text(TextId::CopyError), japaneseCopyError);
}

TEST(SamePlaceholders, ComparesNumbersAndKindsNotCounts) {
    EXPECT_TRUE(SamePlaceholders("%1$s A %2$s", "%2$s then %1$s"));
    EXPECT_TRUE(SamePlaceholders("%1$s A\n%1$s B", "%1$s: A and B"));
    EXPECT_TRUE(SamePlaceholders("50%% of %1$d", "%1$d (50%%)"));
    EXPECT_FALSE(SamePlaceholders("%1$d", "%1$s"));
    EXPECT_FALSE(SamePlaceholders("%1$s %2$s", "%1$s"));
    EXPECT_FALSE(SamePlaceholders("%1$s", "%1$s %2$s"));
    EXPECT_FALSE(SamePlaceholders("%1$s", "%1$s 100%"));
    EXPECT_FALSE(SamePlaceholders("%1$s", "%s"));
}

// The command line's way: the catalog from a folder, chosen by the locale.
TEST(CatalogTranslation, UsesTheCatalogOfTheLocaleOrNone) {
    const std::string japanese = Text(TextId::CopyFailure);
    const std::vector<std::string> folders = {"/nonexistent", ZORUNA_CATALOG_DIR};
    EXPECT_EQ(UseCatalogTranslation(folders, {"", "", "", "en_US.UTF-8", ""}), "en");
    EXPECT_EQ(FormatText(TextId::CopyFailure, {"a.txt"}), "Copying a.txt failed.\n");
    EXPECT_EQ(UseCatalogTranslation(folders, {"", "", "", "C", ""}), "");
    EXPECT_EQ(Text(TextId::CopyFailure), japanese);
    EXPECT_EQ(UseCatalogTranslation({"/nonexistent"}, {"", "", "", "en_US.UTF-8", ""}), "");
    EXPECT_EQ(Text(TextId::CopyFailure), japanese);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zoruna-texts-" + std::to_string(getpid()));
    const std::string broken = CatalogFile(dir.string(), "en");
    std::filesystem::create_directories(std::filesystem::path(broken).parent_path());
    std::ofstream(broken) << "not a catalog";
    EXPECT_EQ(UseCatalogTranslation({dir.string()}, {"", "", "", "en_US.UTF-8", ""}), "");
    EXPECT_EQ(Text(TextId::CopyFailure), japanese);
    std::filesystem::remove_all(dir);
}

}  // namespace
