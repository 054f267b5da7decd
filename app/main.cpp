#include "app/gui_loader.h"
#include "cli/headless.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    SetSettingsFile(SettingsFileNameFor(argc > 0 ? argv[0] : "zoruna"));
    if (argc > 1 && IsHeadlessOption(argv[1])) return RunHeadless(argc, argv);
    return RunGuiModule(argc, argv);
}
