// The settings that outlive a run: three column widths and the ten pair slots.
#pragma once

#include <string>

#include "core/records.h"

struct ColumnWidths {
    int fileName = 147;  // column 0
    int timeA = 110;     // column 1
    int timeB = 110;     // column 2
};

// Settings file name for an executable path: its base name without extension
// + ".INI" ("zoruna.INI" for "/usr/bin/zoruna").
std::string SettingsFileNameFor(const char* argv0);

// Fills pairs (all zero bytes on entry) and widths from the settings file.
void LoadSettings(DirPairTable& pairs, ColumnWidths& widths);

enum class SaveResult {
    Saved,           // all 33 writes went through
    NoSettingsFile,  // there is no settings file: nothing is saved, by design
    Failed,          // the file exists but a write failed
};

SaveResult SaveSettings(const ColumnWidths& widths, const DirPairTable& pairs);
