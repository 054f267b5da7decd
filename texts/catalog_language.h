// Which language the texts are shown in, and where its catalog lies. The
// Japanese table is the source language: Japanese needs no catalog, and so
// does every start where the environment names no language (LANG=C, POSIX,
// nothing set), so those show the table's words byte for byte. Any other
// language gets its own catalog, or English where it has none.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The variables gettext reads, as they are set ("" for an unset one), and on
// Windows the user's interface language ("ja-JP"), asked where none is set.
struct LocaleEnvironment {
    std::string language;  // LANGUAGE: a list of languages, separated by colons
    std::string lcAll;     // LC_ALL
    std::string lcMessages;
    std::string lang;
    std::string system;  // the system's interface language; "" on POSIX
};

// The environment of this process.
LocaleEnvironment ReadLocaleEnvironment();

// The name of the catalog file of every language.
inline constexpr std::string_view kCatalogDomain = "zoruna";
// The language of the table's own words.
inline constexpr std::string_view kSourceLanguage = "ja";
// The language of a non-Japanese reader whose own has no catalog.
inline constexpr std::string_view kFallbackLanguage = "en";

// The language whose catalog is to be used, "" for the Japanese table: as
// gettext, LC_ALL before LC_MESSAGES before LANG, and a locale of C or POSIX
// (or none) means no translation; otherwise LANGUAGE's list, when set, before
// that locale's language. The first language of the list that is Japanese or
// has a catalog (hasCatalog) wins; none: English, when it has a catalog.
std::string ChooseCatalogLanguage(const LocaleEnvironment& env,
                                  const std::function<bool(std::string_view language)>& hasCatalog);

// The folders that may hold the catalogs of a program in exeDir, in the order
// they are tried: <exeDir>/../share/locale (an installation on Linux) and
// <exeDir>/locale (the build folder, and an installation on Windows).
std::vector<std::string> CatalogFolders(const std::string& exeDir);

// <folder>/<language>/LC_MESSAGES/zoruna.mo
std::string CatalogFile(const std::string& folder, std::string_view language);

// The catalog of language found first in folders; "" where none has it.
std::string FindCatalog(const std::vector<std::string>& folders, std::string_view language);
