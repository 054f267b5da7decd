// The translation of the texts from a catalog file, without wx: what the
// command line uses, so that the window's failure texts it prints as well
// come in the reader's language.
#pragma once

#include <string>
#include <vector>

#include "texts/catalog_language.h"

// Chooses the language for env, loads its catalog from the first of folders
// that has it and uses it (UseTranslation). Returns the language in use: ""
// for the Japanese table, which is also what stays when the catalog is
// missing or broken.
std::string UseCatalogTranslation(const std::vector<std::string>& folders, const LocaleEnvironment& env);
