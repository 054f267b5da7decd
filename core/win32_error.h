// Windows error codes as the errno values the core knows (Windows only).
#pragma once

#ifdef _WIN32

// errno for a Windows error code (GetLastError()).
int ErrnoOfWindowsError(unsigned long error);
// errno for an NTSTATUS of the NT calls.
int ErrnoOfNtStatus(long status);

#endif  // _WIN32
