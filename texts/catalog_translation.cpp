#include "texts/catalog_translation.h"

#include "texts/mo_catalog.h"
#include "texts/translation.h"

std::string UseCatalogTranslation(const std::vector<std::string>& folders, const LocaleEnvironment& env) {
    UseJapaneseTexts();
    const std::string language = ChooseCatalogLanguage(
        env, [&](std::string_view candidate) { return !FindCatalog(folders, candidate).empty(); });
    if (language.empty()) return {};
    const std::optional<MoCatalog> catalog = MoCatalog::Load(FindCatalog(folders, language));
    if (!catalog) return {};
    const int used = UseTranslation([&](std::string_view name, const char* japanese) -> std::optional<std::string> {
        const std::string* words = catalog->Find(name, japanese);
        return words ? std::optional<std::string>(*words) : std::nullopt;
    });
    return used > 0 ? language : std::string{};
}
