// Starts the window part of zoruna from its module (see app/gui_module.h).
#pragma once

#include <string>

// Loads the module and runs the window with the settings file settingsFile.
// The module is looked for beside the executable (the build folder), then in
// the private library folder of an installation, relative to the executable's
// folder. Without it, says why on stderr and returns 1.
int RunGuiModule(int argc, char** argv, const std::string& settingsFile);
