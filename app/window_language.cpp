#include "app/window_language.h"

#include <wx/translation.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/executable_dir.h"
#include "texts/catalog_language.h"
#include "texts/translation.h"
#include "ui/wx_text.h"

void UseWindowLanguage() {
    const std::vector<std::string> folders = CatalogFolders(ExecutableDir());
    const std::string language = ChooseCatalogLanguage(
        ReadLocaleEnvironment(), [&](std::string_view candidate) { return !FindCatalog(folders, candidate).empty(); });
    UseJapaneseTexts();
    if (language.empty()) return;

    auto* translations = new wxTranslations;
    wxTranslations::Set(translations);  // owns it from here
    translations->SetLanguage(wxString::FromUTF8(language));
    // The folders are file names in the system's code page, as ToWx takes them.
    for (const std::string& folder : folders) wxFileTranslationsLoader::AddCatalogLookupPathPrefix(ToWx(folder));
    // The Japanese table is the catalog's source language: no catalog is
    // loaded for Japanese itself.
    const wxString domain = wxString::FromUTF8(std::string(kCatalogDomain));
    if (!translations->AddCatalog(domain, wxLANGUAGE_JAPANESE)) return;
    UseTranslation([&](std::string_view name, const char* japanese) -> std::optional<std::string> {
        const wxString* words = translations->GetTranslatedString(wxString::FromUTF8(japanese), domain,
                                                                  wxString::FromUTF8(name.data(), name.size()));
        if (!words) return std::nullopt;
        return std::string(words->utf8_str());
    });
}
