#include "app/gui_module.h"

#include "app/gui_main.h"
#include "settings/ini_file.h"

// The module carries its own copy of the settings layer: it learns the file
// from the executable instead of sharing the executable's state.
extern "C" __attribute__((visibility("default"))) int ZorunaGuiMain(int argc, char** argv,
                                                                      const char* settingsFile) {
    SetSettingsFile(settingsFile);
    return RunGui(argc, argv);
}
