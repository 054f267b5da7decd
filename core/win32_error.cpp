#include "core/win32_error.h"

#ifdef _WIN32

#include <windows.h>
#include <winternl.h>

#include <cerrno>

#include "core/error_codes.h"

namespace {
// A user's disk quota on an NTFS volume (missing from mingw-w64's winerror.h).
constexpr unsigned long kErrorDiskQuotaExceeded = 1295;
}  // namespace

int ErrnoOfWindowsError(unsigned long error) {
    switch (error) {
        case ERROR_SUCCESS: return 0;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NO_MORE_FILES:
        case ERROR_DELETE_PENDING: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_ACCESS:
        case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
        // Another program holds the file open without sharing it.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE: return EBUSY;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case kErrorDiskQuotaExceeded: return kErrorQuotaExceeded;
        case ERROR_WRITE_PROTECT: return EROFS;
        case ERROR_DIRECTORY: return ENOTDIR;
        case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
        case ERROR_NOT_SAME_DEVICE: return EXDEV;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW: return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER: return EINVAL;
        case ERROR_CANT_RESOLVE_FILENAME:
        case ERROR_CANT_ACCESS_FILE: return ELOOP;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
        case ERROR_CALL_NOT_IMPLEMENTED: return ENOTSUP;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        case ERROR_OPERATION_ABORTED:
        case ERROR_CANCELLED: return ECANCELED;
        case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
        case ERROR_INVALID_HANDLE: return EBADF;
        case ERROR_BROKEN_PIPE: return EPIPE;
        default: return EIO;  // read and write faults, lost network, bad media
    }
}

int ErrnoOfNtStatus(long status) {
    return ErrnoOfWindowsError(RtlNtStatusToDosError(static_cast<NTSTATUS>(status)));
}

#endif  // _WIN32
