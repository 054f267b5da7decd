#include "cli/command_line_language.h"

#include "cli/executable_dir.h"
#include "texts/catalog_translation.h"

void UseCommandLineLanguage() { UseCatalogTranslation(CatalogFolders(ExecutableDir()), ReadLocaleEnvironment()); }
