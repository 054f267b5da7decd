// Names of the copy's temporary files: ".zoruna~<host>-<pid>-<n>.tmp". The
// name alone proves nothing (a user may have a file of that name): a
// temporary file is known by the mark the copy gives it and by the lock the
// copying process holds on it until it is put in place or removed. One that
// is marked and that nobody holds is a leftover of a copy that died; only a
// copy removes such a file, and the comparison never lists it.
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

class ReachedDirectory;

enum class CopyTempState {
    NotOurs,   // an ordinary file that only looks like one
    InUse,     // a copy is writing it now (a locked file of that name)
    Leftover,  // marked, and nobody holds it: its copy died
};

// What the file name (a name of the temporary form) in dir is.
CopyTempState ProbeCopyTemp(FileSystem& fs, const ReachedDirectory& dir, const std::string& name);

// Removes dir/name when it is a leftover, holding its lock meanwhile so that
// no copy can take it up. True when it was removed.
bool RemoveCopyLeftover(FileSystem& fs, const ReachedDirectory& dir, const std::string& name);
