#include "texts/catalog_language.h"

#include <cstdlib>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The language of a locale name or list entry: "en" of "en_US.UTF-8@euro",
// and of the Windows form "en-US".
std::string_view LanguageOf(std::string_view locale) { return locale.substr(0, locale.find_first_of("_.@-")); }

bool IsUntranslatedLocale(std::string_view locale) {
    return locale.empty() || locale == "POSIX" || LanguageOf(locale) == "C";
}

std::string SystemLanguage() {
#ifdef _WIN32
    // The language of the user's menus and dialogs, not that of the formats.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return {};
    std::string ascii;
    for (const wchar_t* c = name; *c && *c < 0x80; ++c) ascii += static_cast<char>(*c);
    return ascii;
#else
    return {};
#endif
}

}  // namespace

LocaleEnvironment ReadLocaleEnvironment() {
    return {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG"), SystemLanguage()};
}

std::string ChooseCatalogLanguage(const LocaleEnvironment& env,
                                  const std::function<bool(std::string_view language)>& hasCatalog) {
    std::string_view locale = !env.lcAll.empty()        ? env.lcAll
                              : !env.lcMessages.empty() ? env.lcMessages
                              : !env.lang.empty()       ? env.lang
                                                        : env.system;
    if (IsUntranslatedLocale(locale)) return {};
    std::string_view list = env.language.empty() ? locale : env.language;
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view language = LanguageOf(list.substr(0, colon));
        list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
        if (language == kSourceLanguage) return {};
        if (!language.empty() && language != "C" && hasCatalog(language)) return std::string(language);
    }
    return hasCatalog(kFallbackLanguage) ? std::string(kFallbackLanguage) : std::string{};
}

std::vector<std::string> CatalogFolders(const std::string& exeDir) {
    return {exeDir + "/../share/locale", exeDir + "/locale"};
}

std::string CatalogFile(const std::string& folder, std::string_view language) {
    return folder + "/" + std::string(language) + "/LC_MESSAGES/" + std::string(kCatalogDomain) + ".mo";
}

std::string FindCatalog(const std::vector<std::string>& folders, std::string_view language) {
    for (const std::string& folder : folders) {
        const std::string file = CatalogFile(folder, language);
        if (std::ifstream(file, std::ios::binary)) return file;
    }
    return {};
}
