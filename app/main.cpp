#include "app/gui_loader.h"
#include "cli/command_line_language.h"
#include "cli/headless.h"
#include "cli/parent_console.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    const SettingsStore store{SettingsFileNameFor(argc > 0 ? argv[0] : "zoruna"), &RealFileSystem()};
    if (argc > 1 && IsHeadlessOption(argv[1])) {
        const ParentConsole console;
        UseCommandLineLanguage();
        return RunHeadless(argc, argv, store, RealFileSystem());
    }
    return RunGuiModule(argc, argv, store.path);
}
