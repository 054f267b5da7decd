// Entry of the windowed program.
#pragma once

#include "core/filesystem.h"
#include "settings/ini_store.h"

// fs: what the window compares and copies through.
int RunGui(int argc, char** argv, const SettingsStore& store, FileSystem& fs);
