// Windows implementation of the file-system layer: the wide calls, UTF-8
// names inside the program, long paths through the \\?\ prefix, and names in
// an open directory reached through the NT calls that take a root directory
// handle, so that a folder renamed or replaced meanwhile is never mistaken
// for the one that was opened.
#include "core/filesystem.h"

#ifdef _WIN32

#include <windows.h>
#include <winternl.h>
// The layer's own CreateDirectory, not the macro of <windows.h>.
#undef CreateDirectory

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "core/win32_error.h"
#include "core/win32_handle.h"
#include "core/win32_text.h"

namespace {

HANDLE Win(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
HANDLE Win(const DirectoryHandle& dir) { return Win(dir.native()); }
std::intptr_t Native(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

// The stream that marks the copy's temporary files (NTFS keeps it with the file).
constexpr const wchar_t* kCopyMarkStream = L":zoruna.copy";
// The byte the copy's lock covers: far beyond any data, so that the lock,
// which Windows enforces, never stands in the way of a read.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr DWORD kLockOffsetLow = 0xFFFFFFF0;

class Win32FileSystem final : public FileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        out.clear();
        std::wstring pattern;
        if (!LongWidePath(dir, pattern)) return false;
        pattern += L"\\*";
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) return Failed(false);
        for (;;) {
            const std::wstring_view n(data.cFileName);
            if (n != L"." && n != L"..") {
                DirEntry entry;
                entry.name = WideToUtf8(n);
                const DWORD a = data.dwFileAttributes;
                if ((a & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(data.dwReserved0)) {
                    FileStatus st;  // a link: what it leads to
                    if (GetStatus(JoinPath(dir, entry.name), st)) {
                        entry.isFile = st.isFile;
                        entry.isDirectory = st.isDirectory;
                    }
                } else {
                    entry.isDirectory = a & FILE_ATTRIBUTE_DIRECTORY;
                    entry.isFile = !entry.isDirectory && !(a & FILE_ATTRIBUTE_DEVICE);
                }
                out.push_back(std::move(entry));
            }
            if (!FindNextFileW(find, &data)) break;
        }
        const DWORD error = GetLastError();
        FindClose(find);
        if (error == ERROR_NO_MORE_FILES) return true;
        // A listing cut short by a read error is not the directory's content.
        out.clear();
        SetLastError(error);
        return Failed(false);
    }

    bool ListFilesWithTimes(const std::string& dir, FileListing& out) override {
        return ListByPath(dir, out, nullptr);
    }

    bool ListFilesAndSubdirs(const std::string& dir, FileListing& files, FileListing& subdirs) override {
        return ListByPath(dir, files, &subdirs);
    }

    bool GetStatus(const std::string& path, FileStatus& st) override { return StatusOfPath(path, st, false); }

    bool GetLinkStatus(const std::string& path, FileStatus& st) override { return StatusOfPath(path, st, true); }

    FileHandle OpenRead(const std::string& path) override {
        return Native(OpenPath(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, false));
    }

    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        const DWORD attributes = (mode & 0222) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
        const HANDLE h = OpenPath(path, GENERIC_READ | GENERIC_WRITE | DELETE, exclusive ? CREATE_NEW : CREATE_ALWAYS,
                                  0, false, attributes);
        return Written(h);
    }

    long long Read(FileHandle h, void* buf, std::size_t n) override {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
        if (ReadFile(Win(h), buf, want, &got, nullptr)) return got;
        if (GetLastError() == ERROR_HANDLE_EOF || GetLastError() == ERROR_BROKEN_PIPE) return 0;
        return Failed(-1LL);
    }

    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
        if (WriteFile(Win(h), buf, want, &put, nullptr)) return put;
        return Failed(-1LL);
    }

    // Windows copies whole files only (CopyFileEx), not a range between two
    // open handles: the copy reads and writes.
    long long CopyChunk(FileHandle, FileHandle, std::size_t) override { return kCopyUnsupported; }

    bool SetMode(FileHandle h, unsigned mode) override { return SetHandleMode(Win(h), mode); }

    bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                  std::int32_t mtimeNsec) override {
        return SetHandleTimes(Win(h), atime, atimeNsec, mtime, mtimeNsec);
    }

    bool Close(FileHandle h) override {
        Forget(Win(h));
        return CloseHandle(Win(h)) ? true : Failed(false);
    }

    bool Rename(const std::string& from, const std::string& to) override {
        std::wstring wideFrom, wideTo;
        if (!LongWidePath(from, wideFrom) || !LongWidePath(to, wideTo)) return false;
        return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? true
                   : Failed(false);
    }

    bool Remove(const std::string& path) override {
        WinHandle h(OpenPath(path, kRemoveAccess, OPEN_EXISTING, 0, true));
        if (!h.valid() && errno == EACCES) h = WinHandle(OpenPath(path, DELETE | FILE_READ_ATTRIBUTES, OPEN_EXISTING, 0, true));
        if (!h.valid()) return false;
        FILE_BASIC_INFO basic;
        if (GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) &&
            (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            errno = EISDIR;  // unlink() removes no directory either
            return false;
        }
        return DeleteByHandle(h.get());
    }

    bool IsWritable(const std::string& path) override {
        FileStatus st;
        if (!GetStatus(path, st)) return false;
        // Opening for writing asks the access rights too, not only the attribute.
        const WinHandle h(OpenPath(path, st.isDirectory ? FILE_ADD_FILE : FILE_WRITE_DATA, OPEN_EXISTING, 0, false));
        return h.valid();
    }

    bool RealPath(const std::string& path, std::string& out) override {
        const WinHandle h(OpenPath(path, kStatusAccess, OPEN_EXISTING, 0, false));
        std::wstring final;
        if (!h.valid() || !FinalPath(h.get(), final)) return false;
        out = PlainPath(final);
        return true;
    }

    int TimeGranularity(const std::string& dir) override {
        const WinHandle h(OpenPath(dir, kStatusAccess, OPEN_EXISTING, 0, false));
        return h.valid() && IsTwoSecondVolume(h.get()) ? 2 : 1;
    }

    bool SetTimesOf(const std::string& path, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                    std::int32_t mtimeNsec) override {
        const WinHandle h(OpenPath(path, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, 0, true));
        return h.valid() && SetHandleTimes(h.get(), atime, atimeNsec, mtime, mtimeNsec);
    }

    // No umask on Windows: new files get what they are asked for.
    unsigned CreationMask() override { return 0; }

    bool SyncData(FileHandle h) override { return FlushFileBuffers(Win(h)) ? true : Failed(false); }

    // Windows flushes a whole volume only for administrators. Every file
    // this layer has open for writing is flushed instead: the copy keeps
    // each file open (its lock handle) until the file is in place, so this
    // covers whatever a copy wrote and has not put in place yet.
    bool SyncFileSystem(const std::string& /*dir*/) override {
        std::vector<HANDLE> open;
        {
            const std::lock_guard<std::mutex> lock(m_writtenMutex);
            open.assign(m_written.begin(), m_written.end());
        }
        bool ok = true;
        for (const HANDLE h : open)
            if (!FlushFileBuffers(h)) ok = Failed(false);
        return ok;
    }

    // NTFS writes changes of names through its journal; a directory handle
    // takes no flush without write rights on the folder itself.
    bool SyncDirectory(const std::string& /*dir*/) override { return true; }

    bool Seek(FileHandle h, std::uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(Win(h), to, nullptr, FILE_BEGIN) ? true : Failed(false);
    }

    bool SetSize(FileHandle h, std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end;
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        return SetFileInformationByHandle(Win(h), FileEndOfFileInfo, &end, sizeof end) ? true : Failed(false);
    }

    bool EmptyFileAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        const WinHandle h(OpenNameNoFollow(dir, dirPath, name, FILE_WRITE_DATA | FILE_READ_ATTRIBUTES));
        return h.valid() && SetSize(Native(h.get()), 0);
    }

    bool CreateDirectory(const std::string& path, unsigned /*mode*/) override {
        std::wstring wide;
        if (!LongWidePath(path, wide)) return false;
        return CreateDirectoryW(wide.c_str(), nullptr) ? true : Failed(false);
    }

    // By path through the attributes call: opening a read-only file for
    // changing its attributes is refused in places (Wine) where this is not.
    bool SetModeOf(const std::string& path, unsigned mode) override {
        std::wstring wide;
        if (!LongWidePath(path, wide)) return false;
        const DWORD a = GetFileAttributesW(wide.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return Failed(false);
        if (a & FILE_ATTRIBUTE_DIRECTORY) return true;  // folders keep theirs (see SetHandleMode)
        DWORD changed = (mode & 0222) ? (a & ~FILE_ATTRIBUTE_READONLY) : (a | FILE_ATTRIBUTE_READONLY);
        if (changed == a) return true;
        changed &= ~FILE_ATTRIBUTE_NORMAL;
        return SetFileAttributesW(wide.c_str(), changed ? changed : FILE_ATTRIBUTE_NORMAL) ? true : Failed(false);
    }

    DirectoryHandle OpenDirectory(const std::string& dir) override {
        const HANDLE h = OpenPath(dir, kDirectoryAccess, OPEN_EXISTING, 0, false);
        if (h == INVALID_HANDLE_VALUE) return {};
        FileStatus st;
        if (!StatusOfHandle(h, st) || !st.isDirectory) {
            CloseHandle(h);
            errno = ENOTDIR;
            return {};
        }
        return AdoptDirectory(Native(h));
    }

    bool GetStatusAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                     FileStatus& st) override {
        if (!dir) return FileSystem::GetStatusAt(dir, dirPath, name, st);
        const WinHandle h(OpenRelative(Win(dir), name, kStatusAccess, FILE_OPEN, kAnyKind));
        return h.valid() && StatusOfHandle(h.get(), st);
    }

    bool GetLinkStatusAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                         FileStatus& st) override {
        if (!dir) return FileSystem::GetLinkStatusAt(dir, dirPath, name, st);
        const WinHandle h(OpenRelative(Win(dir), name, kStatusAccess, FILE_OPEN, kAnyKind | FILE_OPEN_REPARSE_POINT));
        return h.valid() && StatusOfHandle(h.get(), st);
    }

    bool IsWritableAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        if (!dir) return FileSystem::IsWritableAt(dir, dirPath, name);
        FileStatus st;
        if (!GetStatusAt(dir, dirPath, name, st)) return false;
        const WinHandle h(OpenRelative(Win(dir), name, st.isDirectory ? FILE_ADD_FILE : FILE_WRITE_DATA, FILE_OPEN,
                                       kAnyKind));
        return h.valid();
    }

    FileHandle OpenReadAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        if (!dir) return FileSystem::OpenReadAt(dir, dirPath, name);
        return Native(OpenRelative(Win(dir), name, GENERIC_READ, FILE_OPEN,
                                   FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY));
    }

    FileHandle CreateAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name, bool exclusive,
                        unsigned mode) override {
        if (!dir) return FileSystem::CreateAt(dir, dirPath, name, exclusive, mode);
        const ULONG attributes = (mode & 0222) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
        return Written(OpenRelative(Win(dir), name, GENERIC_READ | GENERIC_WRITE | DELETE,
                                    exclusive ? FILE_CREATE : FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, attributes));
    }

    bool RenameAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& from,
                  const std::string& to) override {
        if (!dir) return FileSystem::RenameAt(dir, dirPath, from, to);
        std::wstring wideTo;
        if (!RelativeWideName(to, wideTo)) return false;
        // The entry itself moves, a link included, as with renameat().
        const WinHandle h(OpenRelative(Win(dir), from, DELETE, FILE_OPEN, kAnyKind | FILE_OPEN_REPARSE_POINT));
        return h.valid() && RenameByHandle(h.get(), Win(dir), wideTo);
    }

    bool RemoveAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        if (!dir) return FileSystem::RemoveAt(dir, dirPath, name);
        constexpr ULONG kOptions = FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;
        WinHandle h(OpenRelative(Win(dir), name, kRemoveAccess, FILE_OPEN, kOptions));
        // A read-only file may refuse the right to change its attributes.
        if (!h.valid() && errno == EACCES)
            h = WinHandle(OpenRelative(Win(dir), name, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, kOptions));
        return h.valid() && DeleteByHandle(h.get());
    }

    bool SetTimesOfAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name, FileTime atime,
                      std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec) override {
        if (!dir) return FileSystem::SetTimesOfAt(dir, dirPath, name, atime, atimeNsec, mtime, mtimeNsec);
        const WinHandle h(
            OpenRelative(Win(dir), name, FILE_WRITE_ATTRIBUTES, FILE_OPEN, kAnyKind | FILE_OPEN_REPARSE_POINT));
        return h.valid() && SetHandleTimes(h.get(), atime, atimeNsec, mtime, mtimeNsec);
    }

    bool OpenDirectoryBelow(const DirectoryHandle& base, const std::string& basePath, const std::string& rel,
                            DirectoryHandle& out) override {
        out = DirectoryHandle();
        WinHandle opened;
        HANDLE from = Win(base);
        if (!base) {
            opened = WinHandle(OpenPath(basePath, kDirectoryAccess, OPEN_EXISTING, 0, false));
            if (!opened.valid()) return false;
            from = opened.get();
        }
        if (rel.empty()) {
            const HANDLE again = Reopen(from, kDirectoryAccess);
            if (again == INVALID_HANDLE_VALUE) return false;
            out = AdoptDirectory(Native(again));
            return true;
        }
        // One name at a time, each opened on the entry itself: a link or a
        // junction on the way is refused, never followed.
        WinHandle current;
        for (std::size_t start = 0; start < rel.size();) {
            const std::size_t end = ComponentEnd(rel, start);
            const std::string name = rel.substr(start, end - start);
            const HANDLE parent = current.valid() ? current.get() : from;
            WinHandle next(OpenRelative(parent, name, kDirectoryAccess, FILE_OPEN,
                                        FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT));
            FileStatus st;
            if (!next.valid()) {
                const int error = errno;
                const WinHandle entry(OpenRelative(parent, name, kStatusAccess, FILE_OPEN,
                                                   kAnyKind | FILE_OPEN_REPARSE_POINT));
                errno = entry.valid() && StatusOfHandle(entry.get(), st) ? (st.isLink ? ELOOP : ENOTDIR) : error;
                return false;
            }
            if (!StatusOfHandle(next.get(), st)) return false;
            if (st.isLink || !st.isDirectory) {
                errno = st.isLink ? ELOOP : ENOTDIR;
                return false;
            }
            current = WinHandle(next.release());
            start = end + 1;
        }
        out = AdoptDirectory(Native(current.release()));
        return true;
    }

    bool GetDirectoryStatus(const DirectoryHandle& dir, const std::string& dirPath, FileStatus& st) override {
        if (!dir) return FileSystem::GetDirectoryStatus(dir, dirPath, st);
        return StatusOfHandle(Win(dir), st);
    }

    bool ListFilesIn(const DirectoryHandle& dir, const std::string& dirPath, FileListing& files, FileListing* subdirs,
                     const std::atomic<bool>* stop) override {
        if (!dir) return FileSystem::ListFilesIn(dir, dirPath, files, subdirs, stop);
        return ListLevel(Win(dir), dirPath, files, subdirs, stop);
    }

    bool CreateDirectoryAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                           unsigned mode) override {
        if (!dir) return FileSystem::CreateDirectoryAt(dir, dirPath, name, mode);
        const WinHandle h(OpenRelative(Win(dir), name, FILE_LIST_DIRECTORY, FILE_CREATE, FILE_DIRECTORY_FILE));
        return h.valid();
    }

    bool SetDirectoryTimesAndMode(const DirectoryHandle& dir, const std::string& dirPath, FileTime atime,
                                  std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec,
                                  unsigned mode) override {
        if (!dir) return FileSystem::SetDirectoryTimesAndMode(dir, dirPath, atime, atimeNsec, mtime, mtimeNsec, mode);
        // A folder has no permission bits here: only its times are set.
        const WinHandle h(Reopen(Win(dir), FILE_WRITE_ATTRIBUTES));
        return h.valid() && SetHandleTimes(h.get(), atime, atimeNsec, mtime, mtimeNsec);
    }

    bool GetHandleStatus(FileHandle h, FileStatus& st) override { return StatusOfHandle(Win(h), st); }

    FileHandle OpenExistingAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                              bool forWriting) override {
        const ACCESS_MASK access = GENERIC_READ | (forWriting ? GENERIC_WRITE : 0);
        WinHandle h(OpenNameNoFollow(dir, dirPath, name, access));
        if (!h.valid()) return kInvalidHandle;
        const HANDLE opened = h.release();
        return forWriting ? Written(opened) : Native(opened);
    }

    FileHandle DuplicateHandle(FileHandle h) override {
        HANDLE copy = INVALID_HANDLE_VALUE;
        if (!::DuplicateHandle(GetCurrentProcess(), Win(h), GetCurrentProcess(), &copy, 0, FALSE,
                               DUPLICATE_SAME_ACCESS))
            return Failed(kInvalidHandle);
        bool written;
        {
            const std::lock_guard<std::mutex> lock(m_writtenMutex);
            written = m_written.count(Win(h)) > 0;
        }
        return written ? Written(copy) : Native(copy);
    }

    // The mark is a stream of the file: NTFS keeps it, file systems without
    // streams (FAT) refuse it, and there a leftover is never taken for one.
    bool SetCopyMark(FileHandle h) override {
        const WinHandle stream(OpenStream(Win(h), GENERIC_WRITE, FILE_OVERWRITE_IF));
        if (!stream.valid()) return false;
        DWORD put = 0;
        return WriteFile(stream.get(), "1", 1, &put, nullptr) && put == 1 ? true : Failed(false);
    }

    bool HasCopyMark(FileHandle h) override {
        const WinHandle stream(OpenStream(Win(h), GENERIC_READ, FILE_OPEN));
        char value = 0;
        DWORD got = 0;
        return stream.valid() && ReadFile(stream.get(), &value, 1, &got, nullptr) && got == 1 && value == '1';
    }

    bool LockFile(FileHandle h) override {
        OVERLAPPED at{};
        at.Offset = kLockOffsetLow;
        at.OffsetHigh = kLockOffsetHigh;
        return LockFileEx(Win(h), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) ? true
                                                                                                     : Failed(false);
    }

    bool IsLockedElsewhere(FileHandle h) override {
        OVERLAPPED at{};
        at.Offset = kLockOffsetLow;
        at.OffsetHigh = kLockOffsetHigh;
        // A shared lock is granted unless someone holds the exclusive one.
        if (LockFileEx(Win(h), LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            UnlockFileEx(Win(h), 0, 1, 0, &at);
            return false;
        }
        return GetLastError() == ERROR_LOCK_VIOLATION;
    }

private:
    void CloseDirectory(DirectoryHandle::Native dir) override { CloseHandle(Win(dir)); }

    bool StatusOfPath(const std::string& path, FileStatus& st, bool noFollow) {
        const WinHandle h(OpenPath(path, kStatusAccess, OPEN_EXISTING, 0, noFollow));
        return h.valid() && StatusOfHandle(h.get(), st);
    }

    // An existing file name in dir opened on the entry itself: a link or a
    // junction is refused (ELOOP), a directory too (EISDIR).
    HANDLE OpenNameNoFollow(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                            ACCESS_MASK access) {
        WinHandle h(!dir ? OpenPath(JoinPath(dirPath, name), access, OPEN_EXISTING, 0, true)
                         : OpenRelative(Win(dir), name, access, FILE_OPEN, kAnyKind | FILE_OPEN_REPARSE_POINT));
        if (!h.valid()) return INVALID_HANDLE_VALUE;
        FileStatus st;
        if (!StatusOfHandle(h.get(), st)) return INVALID_HANDLE_VALUE;
        if (!st.isFile) {
            errno = st.isLink ? ELOOP : EISDIR;
            return INVALID_HANDLE_VALUE;
        }
        return h.release();
    }

    // The mark stream of the open file h.
    static HANDLE OpenStream(HANDLE h, ACCESS_MASK access, ULONG disposition) {
        UNICODE_STRING uname;
        std::wstring name(kCopyMarkStream);
        uname.Buffer = name.data();
        uname.Length = uname.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
        OBJECT_ATTRIBUTES attr;
        InitializeObjectAttributes(&attr, &uname, 0, h, nullptr);
        IO_STATUS_BLOCK io;
        HANDLE stream = INVALID_HANDLE_VALUE;
        const NTSTATUS status = NtCreateFile(&stream, access | SYNCHRONIZE, &attr, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                             kShareAll, disposition, FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
        if (!NT_SUCCESS(status)) {
            errno = ErrnoOfNtStatus(status);
            return INVALID_HANDLE_VALUE;
        }
        return stream;
    }

    // A handle opened for writing, kept in the set that SyncFileSystem flushes.
    FileHandle Written(HANDLE h) {
        if (h == INVALID_HANDLE_VALUE) return kInvalidHandle;
        const std::lock_guard<std::mutex> lock(m_writtenMutex);
        m_written.insert(h);
        return Native(h);
    }

    void Forget(HANDLE h) {
        const std::lock_guard<std::mutex> lock(m_writtenMutex);
        m_written.erase(h);
    }

    bool ListByPath(const std::string& dir, FileListing& files, FileListing* subdirs) {
        files.Clear();
        if (subdirs) subdirs->Clear();
        const WinHandle h(OpenPath(dir, kDirectoryAccess, OPEN_EXISTING, 0, false));
        return h.valid() && ListLevel(h.get(), dir, files, subdirs, nullptr);
    }

    // The files of the open directory dir with their stamps and, unless
    // subdirs is null, its subdirectories, read in large batches from the
    // directory handle itself: each entry brings its times, size and file
    // id, so no file is opened unless it is a link.
    bool ListLevel(HANDLE dir, const std::string& dirPath, FileListing& files, FileListing* subdirs,
                   const std::atomic<bool>* stop) {
        files.Clear();
        if (subdirs) subdirs->Clear();
        BY_HANDLE_FILE_INFORMATION self;
        if (!GetFileInformationByHandle(dir, &self)) return Failed(false);
        alignas(8) static thread_local unsigned char buffer[64 * 1024];
        FILE_INFO_BY_HANDLE_CLASS infoClass = FileIdBothDirectoryRestartInfo;
        std::string name;
        for (;;) {
            if (!GetFileInformationByHandleEx(dir, infoClass, buffer, sizeof buffer)) {
                if (GetLastError() == ERROR_NO_MORE_FILES) return true;
                files.Clear();
                if (subdirs) subdirs->Clear();
                return Failed(false);
            }
            infoClass = FileIdBothDirectoryInfo;
            for (std::size_t at = 0;;) {
                // A slow share can take long over one directory: a stop is
                // seen between its batches.
                if (stop && stop->load(std::memory_order_relaxed)) {
                    files.Clear();
                    if (subdirs) subdirs->Clear();
                    errno = ECANCELED;
                    return false;
                }
                const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + at);
                AddEntry(*e, self.dwVolumeSerialNumber, dirPath, name, files, subdirs);
                if (e->NextEntryOffset == 0) break;
                at += e->NextEntryOffset;
            }
        }
    }

    void AddEntry(const FILE_ID_BOTH_DIR_INFO& e, DWORD volume, const std::string& dirPath, std::string& name,
                  FileListing& files, FileListing* subdirs) {
        const std::wstring_view wide(e.FileName, e.FileNameLength / sizeof(wchar_t));
        if (wide == L"." || wide == L"..") return;
        name = WideToUtf8(wide);
        const DWORD a = e.FileAttributes;
        // For a reparse point the tag is where the size of extended
        // attributes would be.
        if ((a & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(e.EaSize)) {
            // A link to a directory is neither; one to a file is listed
            // with the status of its target, as on POSIX.
            FileStatus st;
            if (!(a & FILE_ATTRIBUTE_DIRECTORY) && GetStatus(JoinPath(dirPath, name), st) && st.isFile)
                files.Add(name, StampOf(st));
            return;
        }
        if (a & FILE_ATTRIBUTE_DIRECTORY) {
            if (subdirs) subdirs->Add(name, FileTime{0});
            return;
        }
        if (a & FILE_ATTRIBUTE_DEVICE) return;
        FileStamp stamp{};
        FromTicks(Ticks(e.LastWriteTime), stamp.mtime, stamp.mtimeNsec);
        FromTicks(Ticks(e.ChangeTime), stamp.ctime, stamp.ctimeNsec);
        stamp.size = static_cast<std::uint64_t>(e.EndOfFile.QuadPart);
        stamp.device = volume;
        stamp.inode = static_cast<std::uint64_t>(e.FileId.QuadPart);
        stamp.seen = true;
        files.Add(name, stamp);
    }

    std::mutex m_writtenMutex;
    std::unordered_set<HANDLE> m_written;
};

}  // namespace

FileSystem& RealFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

#endif  // _WIN32
