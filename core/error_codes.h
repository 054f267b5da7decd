// errno values the core reports that not every C library names.
#pragma once

#include <cerrno>

// A disk quota exceeded. Windows' C library has no errno for it, so the Win32
// file system reports ERROR_DISK_QUOTA_EXCEEDED with a value of its own, far
// above the ones that library uses.
#ifdef EDQUOT
inline constexpr int kErrorQuotaExceeded = EDQUOT;
#else
inline constexpr int kErrorQuotaExceeded = 10122;
#endif
