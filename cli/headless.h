// The options that run without any window system, for scripts and cron:
// --pairs, --report, --sync, --help, --version.
#pragma once

#include <cstdio>

#include "core/filesystem.h"
#include "settings/ini_store.h"

// True when arg is a "--" option, which the headless mode handles (an unknown
// one included, so that it is reported without opening a window).
bool IsHeadlessOption(const char* arg);

// Runs the headless option argv[1] with the settings of store (only ever
// read), comparing and copying through fs; returns the process exit status.
int RunHeadless(int argc, char** argv, const SettingsStore& store, FileSystem& fs, std::FILE* out = stdout,
                std::FILE* err = stderr);
