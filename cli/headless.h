// The options that run without any window system, for scripts and cron:
// --pairs, --report, --sync, --help, --version.
#pragma once

#include <cstdio>

// True when arg is a "--" option, which the headless mode handles (an unknown
// one included, so that it is reported without opening a window).
bool IsHeadlessOption(const char* arg);

// Runs the headless option argv[1] with the settings file of the current
// folder; returns the process exit status.
int RunHeadless(int argc, char** argv, std::FILE* out = stdout, std::FILE* err = stderr);
