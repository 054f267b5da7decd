// Names of the copy's temporary files: ".zoruna~<host>-<pid>-<n>.tmp". A
// leftover one (after a crash or a kill) must never show up as a difference,
// so the comparison recognises and skips them, and it removes those that a
// process of this host left behind and that no longer runs.
#pragma once

#include <string>
#include <string_view>

class FileSystem;

inline constexpr std::string_view kCopyTempPrefix = ".zoruna~";
inline constexpr std::string_view kCopyTempSuffix = ".tmp";

// True for names of the form ".zoruna~<anything>.tmp".
inline bool IsCopyTempName(std::string_view name) {
    return name.size() >= kCopyTempPrefix.size() + kCopyTempSuffix.size() &&
           name.substr(0, kCopyTempPrefix.size()) == kCopyTempPrefix &&
           name.substr(name.size() - kCopyTempSuffix.size()) == kCopyTempSuffix;
}

// A new temporary name of this process; never the same twice.
std::string MakeCopyTempName();

// Host and process of a temporary name made by MakeCopyTempName; false for
// any other name (those of older versions included).
bool ParseCopyTempName(std::string_view name, std::string& host, long& pid);

// Removes dir/name when it is a temporary file of a process of this host
// that no longer runs. True when it was removed.
bool RemoveDeadCopyTemp(FileSystem& fs, const std::string& dir, std::string_view name);
