// Entry of the windowed program.
#pragma once

#include "settings/ini_store.h"

int RunGui(int argc, char** argv, const SettingsStore& store);
