// On Windows the window part is linked into zoruna.exe: starting it is a call
// of the module's entry, with nothing to load.
#include "app/gui_loader.h"
#include "app/gui_module.h"

int RunGuiModule(int argc, char** argv, const std::string& settingsFile) {
    return ZorunaGuiMain(argc, argv, settingsFile.c_str());
}
