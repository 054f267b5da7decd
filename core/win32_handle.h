// Win32 calls on handles that the Windows file-system layer is made of:
// opening by path and relative to an open folder, status, times, the
// read-only attribute, removal and renaming by handle (Windows only).
#pragma once

#ifdef _WIN32

#include <windows.h>
#include <winternl.h>
#undef CreateDirectory

#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

#include "core/filesystem.h"
#include "core/win32_error.h"

// errno from the last Windows error; returns the failure value given.
template <typename T>
T Failed(T value) {
    errno = ErrnoOfWindowsError(GetLastError());
    return value;
}

// Every handle lets other programs read, write, rename and remove the file,
// as on POSIX: the copy renames its temporary file while its lock handle is
// still open.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

inline constexpr ACCESS_MASK kStatusAccess = FILE_READ_ATTRIBUTES;
inline constexpr ACCESS_MASK kDirectoryAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
inline constexpr ULONG kAnyKind = FILE_OPEN_FOR_BACKUP_INTENT;  // files and directories alike
// Removing may have to clear the read-only attribute first.
inline constexpr ACCESS_MASK kRemoveAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

// An open handle closed on every way out.
class WinHandle {
public:
    WinHandle() = default;
    explicit WinHandle(HANDLE h) : m_h(h) {}
    ~WinHandle() {
        if (valid()) CloseHandle(m_h);
    }
    WinHandle(const WinHandle&) = delete;
    WinHandle& operator=(const WinHandle&) = delete;
    WinHandle& operator=(WinHandle&& other) noexcept {
        if (this != &other) {
            if (valid()) CloseHandle(m_h);
            m_h = other.release();
        }
        return *this;
    }

    bool valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE get() const { return m_h; }
    HANDLE release() { return std::exchange(m_h, INVALID_HANDLE_VALUE); }

private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
};

// A FILETIME count of 100 ns ticks since 1601 as seconds and nanoseconds
// since 1970.
void FromTicks(long long ticks, FileTime& seconds, std::int32_t& nsec);

long long Ticks(const LARGE_INTEGER& t);

// A symbolic link, a junction or a mount point: a name that stands for
// another. Other reparse points (deduplicated or cloud files) are files.
bool IsLinkTag(DWORD tag);

// A time as SetFileTime takes it. 0 would mean "leave unchanged", so the
// earliest time there is is one tick after 1601.
FILETIME ToFileTime(FileTime seconds, std::int32_t nsec);

// Permission bits Windows does not keep, made up from the read-only
// attribute so that the copy's checks read them as on POSIX.
unsigned ModeOfAttributes(DWORD attributes);

// Status of an open handle; links show as links only where the handle was
// opened on the link itself.
bool StatusOfHandle(HANDLE h, FileStatus& st);

// path opened with CreateFileW; a directory too (backup semantics), a link
// itself when noFollow.
HANDLE OpenPath(const std::string& path, DWORD access, DWORD disposition, DWORD flags, bool noFollow,
                DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// name relative to the open directory root through NtCreateFile: the
// directory that was opened, whatever its path leads to by now.
HANDLE OpenRelative(HANDLE root, const std::string& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                    ULONG attributes = FILE_ATTRIBUTE_NORMAL);

// A directory handle opened once more with other rights (an empty name
// relative to itself).
HANDLE Reopen(HANDLE dir, ACCESS_MASK access);

// Both times of an open handle.
bool SetHandleTimes(HANDLE h, FileTime atime, std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec);

// Sets or clears the read-only attribute of an open file as mode says;
// directories keep theirs (Windows reads it there as a mark for folder icons).
bool SetHandleMode(HANDLE h, unsigned mode);

// Removes the file or empty directory h stands for (opened with DELETE and
// FILE_WRITE_ATTRIBUTES). Windows refuses a read-only file where POSIX only
// asks whether the directory is writable, so the attribute goes first.
bool DeleteByHandle(HANDLE h);

// Gives the file h (opened with DELETE) the name to in the directory root
// (null: to is a full path), replacing a file of that name.
bool RenameByHandle(HANDLE h, HANDLE root, const std::wstring& to);

// The path of the open file or folder h as the system names it now, in the
// long form (\\?\C:\..., \\?\UNC\...).
bool FinalPath(HANDLE h, std::wstring& out);

// Whether the volume holding h keeps times in steps of 2 seconds.
bool IsTwoSecondVolume(HANDLE h);

#endif  // _WIN32
