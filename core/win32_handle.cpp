#include "core/win32_handle.h"

#ifdef _WIN32

#include <cstring>
#include <vector>

#include "core/win32_text.h"

namespace {

// Ticks of 100 ns between 1601-01-01 (FILETIME) and 1970-01-01.
constexpr long long kUnixEpochTicks = 116444736000000000LL;
constexpr long long kTicksPerSecond = 10000000LL;

}  // namespace

void FromTicks(long long ticks, FileTime& seconds, std::int32_t& nsec) {
    const long long t = ticks - kUnixEpochTicks;
    long long s = t / kTicksPerSecond;
    long long rest = t % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --s;
    }
    seconds = static_cast<FileTime>(s);
    nsec = static_cast<std::int32_t>(rest * 100);
}

// A time as SetFileTime takes it. 0 would mean "leave unchanged", so the
// earliest time there is is one tick after 1601.
FILETIME ToFileTime(FileTime seconds, std::int32_t nsec) {
    long long ticks = static_cast<long long>(seconds) * kTicksPerSecond + nsec / 100 + kUnixEpochTicks;
    if (ticks < 1) ticks = 1;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32);
    return ft;
}

long long Ticks(const LARGE_INTEGER& t) { return t.QuadPart; }

bool IsLinkTag(DWORD tag) { return IsReparseTagNameSurrogate(tag); }

// Permission bits Windows does not keep, made up from the read-only
// attribute so that the copy's checks read them as on POSIX.
unsigned ModeOfAttributes(DWORD attributes) {
    const bool directory = attributes & FILE_ATTRIBUTE_DIRECTORY;
    unsigned mode = directory ? 0755 : 0644;
    if (!directory && (attributes & FILE_ATTRIBUTE_READONLY)) mode &= ~0222u;
    return mode;
}

// Status of an open handle; links show as links only where the handle was
// opened on the link itself.
bool StatusOfHandle(HANDLE h, FileStatus& st) {
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandle(h, &info) ||
        !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
        return Failed(false);
    st = FileStatus{};
    const DWORD a = info.dwFileAttributes;
    st.isLink = false;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
        FILE_ATTRIBUTE_TAG_INFO tag;
        st.isLink = GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
                    IsLinkTag(tag.ReparseTag);
    }
    st.isDirectory = !st.isLink && (a & FILE_ATTRIBUTE_DIRECTORY);
    st.isFile = !st.isLink && !(a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_DEVICE);
    FromTicks(Ticks(basic.LastWriteTime), st.mtime, st.mtimeNsec);
    FromTicks(Ticks(basic.LastAccessTime), st.atime, st.atimeNsec);
    FromTicks(Ticks(basic.ChangeTime), st.ctime, st.ctimeNsec);
    st.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    st.mode = ModeOfAttributes(a);
    st.device = info.dwVolumeSerialNumber;
    // The same 64-bit id a directory listing gives for the file.
    st.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

// path opened with CreateFileW; a directory too (backup semantics), a link
// itself when noFollow.
HANDLE OpenPath(const std::string& path, DWORD access, DWORD disposition, DWORD flags, bool noFollow,
                DWORD attributes) {
    std::wstring wide;
    if (!LongWidePath(path, wide)) return INVALID_HANDLE_VALUE;
    flags |= FILE_FLAG_BACKUP_SEMANTICS | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE h = CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, flags | attributes, nullptr);
    return h == INVALID_HANDLE_VALUE ? Failed(h) : h;
}

// name relative to the open directory root through NtCreateFile: the
// directory that was opened, whatever its path leads to by now.
HANDLE OpenRelative(HANDLE root, const std::string& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                    ULONG attributes) {
    std::wstring wide;
    if (!RelativeWideName(name, wide)) return INVALID_HANDLE_VALUE;
    UNICODE_STRING uname;
    uname.Buffer = wide.data();
    uname.Length = uname.MaximumLength = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attr;
    InitializeObjectAttributes(&attr, &uname, OBJ_CASE_INSENSITIVE, root, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE h = INVALID_HANDLE_VALUE;
    const NTSTATUS status = NtCreateFile(&h, access | SYNCHRONIZE, &attr, &io, nullptr, attributes, kShareAll,
                                         disposition, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (!NT_SUCCESS(status)) {
        errno = ErrnoOfNtStatus(status);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

// A directory handle opened once more with other rights (an empty name
// relative to itself).
HANDLE Reopen(HANDLE dir, ACCESS_MASK access) {
    UNICODE_STRING uname{0, 0, nullptr};
    OBJECT_ATTRIBUTES attr;
    InitializeObjectAttributes(&attr, &uname, OBJ_CASE_INSENSITIVE, dir, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE h = INVALID_HANDLE_VALUE;
    const NTSTATUS status = NtCreateFile(&h, access | SYNCHRONIZE, &attr, &io, nullptr, 0, kShareAll, FILE_OPEN,
                                         FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT, nullptr, 0);
    if (!NT_SUCCESS(status)) {
        errno = ErrnoOfNtStatus(status);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}


// Both times of an open handle.
bool SetHandleTimes(HANDLE h, FileTime atime, std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec) {
    const FILETIME a = ToFileTime(atime, atimeNsec);
    const FILETIME m = ToFileTime(mtime, mtimeNsec);
    return SetFileTime(h, nullptr, &a, &m) ? true : Failed(false);
}

// Sets or clears the read-only attribute of an open file as mode says;
// directories keep theirs (Windows reads it there as a mark for folder icons).
bool SetHandleMode(HANDLE h, unsigned mode) {
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return Failed(false);
    if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    DWORD a = basic.FileAttributes & ~FILE_ATTRIBUTE_NORMAL;
    a = (mode & 0222) ? (a & ~FILE_ATTRIBUTE_READONLY) : (a | FILE_ATTRIBUTE_READONLY);
    if (a == basic.FileAttributes) return true;
    FILE_BASIC_INFO change{};  // times of 0: unchanged
    change.FileAttributes = a ? a : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(h, FileBasicInfo, &change, sizeof change) ? true : Failed(false);
}

// FileDispositionInfoEx, which the headers name only for newer targets.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(FileIdExtdDirectoryRestartInfo + 1);

// Removes the file or empty directory h stands for (opened with DELETE and
// FILE_WRITE_ATTRIBUTES). Windows refuses a read-only file where POSIX only
// asks whether the directory is writable, so the attribute goes first.
bool DeleteByHandle(HANDLE h) {
    // Windows 10 removes a read-only file on its own when asked to.
    FILE_DISPOSITION_INFO_EX disposeEx{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE};
    if (SetFileInformationByHandle(h, kFileDispositionInfoEx, &disposeEx, sizeof disposeEx)) return true;
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose)) return true;
    if (GetLastError() != ERROR_ACCESS_DENIED) return Failed(false);
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return Failed(false);
    }
    FILE_BASIC_INFO change{};
    change.FileAttributes = (basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(h, FileBasicInfo, &change, sizeof change)) return Failed(false);
    if (SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose)) return true;
    const DWORD error = GetLastError();
    change.FileAttributes = basic.FileAttributes;  // put back what it was
    SetFileInformationByHandle(h, FileBasicInfo, &change, sizeof change);
    SetLastError(error);
    return Failed(false);
}

// Gives the file h (opened with DELETE) the name to in the directory root
// (null: to is a full path), replacing a file of that name.
bool RenameByHandle(HANDLE h, HANDLE root, const std::wstring& to) {
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = root;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.data(), to.size() * sizeof(wchar_t));
    // The NT call itself: SetFileInformationByHandle reads a relative name
    // against the current folder in some implementations, not against root.
    IO_STATUS_BLOCK io;
    const NTSTATUS status = NtSetInformationFile(h, &io, info, static_cast<ULONG>(buffer.size()), FileRenameInformation);
    if (NT_SUCCESS(status)) return true;
    errno = ErrnoOfNtStatus(status);
    return false;
}

// The path of the open file or folder h as the system names it now, in the
// long form (\\?\C:\..., \\?\UNC\...).
bool FinalPath(HANDLE h, std::wstring& out) {
    out.assign(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return Failed(false);
        if (n < out.size()) {
            out.resize(n);
            return true;
        }
        out.resize(n + 1);
    }
}

// Whether the volume holding h keeps times in steps of 2 seconds.
bool IsTwoSecondVolume(HANDLE h) {
    wchar_t fsName[MAX_PATH + 1] = {};
    if (!GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, fsName, MAX_PATH)) return false;
    const std::wstring_view name(fsName);
    return name.substr(0, 3) == L"FAT" || name == L"exFAT";
}

#endif  // _WIN32
