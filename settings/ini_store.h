// Whole-file access to the settings file named by SetSettingsFile, through
// its file system. The accessors and the save of all settings build on it.
#pragma once

#include <string>

enum class SettingsRead {
    Read,        // text holds the whole file
    Missing,     // there is no settings file
    Unreadable,  // it exists but is not a regular file or cannot be read
};

SettingsRead ReadSettingsText(std::string& text);

// Replaces the settings file with text in one step: the temporary file is
// written and closed, then renamed over the settings file. False on any
// failure; the settings file is then unchanged and the temporary file gone.
// Never creates a settings file that does not exist.
bool ReplaceSettingsText(const std::string& text);
