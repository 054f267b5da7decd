// Reader and writer of the settings file's own block format. Every call opens
// the file anew; a write rewrites the whole file through a temporary file.
#pragma once

#include <cstdint>
#include <string>

#include "core/filesystem.h"

inline constexpr std::uint8_t INI_MODE_FILE = 0;
inline constexpr std::uint8_t INI_MODE_PROFILE = 1;  // not offered: reads give 0 / "", writes fail

// The store that the accessors use: the settings file's name (looked up in the
// current directory unless it holds a directory part) and the file system.
// Defaults: "zoruna.INI" on RealFileSystem().
void SetSettingsFile(std::string fileName, FileSystem* fs = nullptr);
const std::string& SettingsFileName();
// "$$" + file name + "$$", in the same directory as the settings file.
std::string SettingsTempFileName();

std::int32_t IniReadInt(std::uint8_t mode, const char* section, const char* key, std::int32_t def);
std::string IniReadString(std::uint8_t mode, const char* section, const char* key,
                          const char* def = nullptr);
// 0 when the file was rewritten; 1 when the settings file cannot be read, the
// temporary file cannot be written, the value holds a line break, or the
// replacement fails (the settings file is then unchanged).
std::int32_t IniWriteInt(std::uint8_t mode, const char* section, const char* key, std::int32_t value);
std::int32_t IniWriteString(std::uint8_t mode, const char* section, const char* key, const char* value);
