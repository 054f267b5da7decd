// The language of the window's texts.
#pragma once

// Loads the catalog of the reader's language (ChooseCatalogLanguage in
// texts/catalog_language.h) through wxTranslations, from the catalog folders
// beside the executable, and has Text() take its words from it. Under a
// Japanese locale, LANG=C or none, or without a catalog, the texts keep
// their Japanese words. Called before any window is built.
void UseWindowLanguage();
