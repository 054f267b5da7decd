// Reader and writer of the settings file's own block format. Every call opens
// the store's file anew; a write rewrites the whole file through a temporary
// file.
#pragma once

#include <cstdint>
#include <string>

#include "settings/ini_store.h"

inline constexpr std::uint8_t INI_MODE_FILE = 0;
inline constexpr std::uint8_t INI_MODE_PROFILE = 1;  // not offered: reads give 0 / "", writes fail

std::int32_t IniReadInt(const SettingsStore& store, std::uint8_t mode, const char* section, const char* key,
                        std::int32_t def);
std::string IniReadString(const SettingsStore& store, std::uint8_t mode, const char* section, const char* key,
                          const char* def = nullptr);
// 0 when the file was rewritten; 1 when the settings file cannot be read, the
// temporary file cannot be written, the value holds a line break, or the
// replacement fails (the settings file is then unchanged).
std::int32_t IniWriteInt(const SettingsStore& store, std::uint8_t mode, const char* section, const char* key,
                         std::int32_t value);
std::int32_t IniWriteString(const SettingsStore& store, std::uint8_t mode, const char* section, const char* key,
                            const char* value);
