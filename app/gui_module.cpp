#include "app/gui_module.h"

#include "app/gui_main.h"
#include "core/filesystem.h"
#include "settings/ini_store.h"

// The module carries its own copy of the settings layer: it learns the file
// from the executable instead of sharing the executable's state.
extern "C" __attribute__((visibility("default"))) int ZorunaGuiMain(int argc, char** argv,
                                                                      const char* settingsFile) {
    const SettingsStore store{settingsFile, &RealFileSystem()};
    return RunGui(argc, argv, store, RealFileSystem());
}
