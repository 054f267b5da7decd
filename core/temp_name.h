// Names of the copy's temporary files. A leftover one (after a crash) must
// never show up as a difference, so the comparison recognises and skips them.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kCopyTempPrefix = ".zoruna~";
inline constexpr std::string_view kCopyTempSuffix = ".tmp";

// True for names of the form ".zoruna~<anything>.tmp".
inline bool IsCopyTempName(std::string_view name) {
    return name.size() >= kCopyTempPrefix.size() + kCopyTempSuffix.size() &&
           name.substr(0, kCopyTempPrefix.size()) == kCopyTempPrefix &&
           name.substr(name.size() - kCopyTempSuffix.size()) == kCopyTempSuffix;
}
