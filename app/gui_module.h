// The window part of zoruna is a loadable module (zoruna-gui.so), so that the
// -- options start without loading the window system's shared libraries.
// This is the one function that the executable looks up in it.
#pragma once

// Runs the window with the settings file that the executable chose; returns
// the process exit status.
extern "C" int ZorunaGuiMain(int argc, char** argv, const char* settingsFile);

inline constexpr const char* kGuiModuleEntry = "ZorunaGuiMain";
using GuiModuleEntry = int (*)(int argc, char** argv, const char* settingsFile);
