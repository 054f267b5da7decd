// The small file-system layer that the comparison, the copy and the settings
// store work through. RealFileSystem() is the platform's implementation; tests
// swap in their own to provoke failures that real directories cannot.
#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/records.h"

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether c separates the names of a path: '/' everywhere, '\' on Windows too.
inline bool IsPathSeparator(char c) { return c == '/' || c == kPathSeparator; }

// dir + separator + name. A dir that already ends in a separator gives two in
// a row; the text is handed on unchanged.
std::string JoinPath(std::string_view dir, std::string_view name);

// Where the name of the relative path rel ('/' between names) that begins at
// start ends.
inline std::size_t ComponentEnd(std::string_view rel, std::size_t start) {
    const std::size_t slash = rel.find('/', start);
    return slash == std::string_view::npos ? rel.size() : slash;
}

struct DirEntry {
    std::string name;
    // A regular file, or a link to one. Directories, links to directories,
    // broken links, FIFOs, sockets and devices are not files.
    bool isFile = false;
    bool isDirectory = false;  // a directory or a link to one
};

struct FileStatus {
    bool isFile = false;       // regular file (links followed)
    bool isDirectory = false;  // directory (links followed)
    FileTime mtime = 0;        // seconds since 1970-01-01 UTC
    std::int32_t mtimeNsec = 0;
    std::uint64_t size = 0;
    unsigned mode = 0;         // permission bits (07777)
    bool isLink = false;       // a symbolic link (only GetLinkStatus reports one)
    FileTime atime = 0;        // last access
    std::int32_t atimeNsec = 0;
    FileTime ctime = 0;        // last change of content or status
    std::int32_t ctimeNsec = 0;
    std::uint64_t device = 0;  // device and inode together name the file
    std::uint64_t inode = 0;
    unsigned uid = 0;
    unsigned gid = 0;
    // Space the file takes on the disk. Less than size: it may have holes
    // (0 where the layer cannot tell, so a hole search is worth its calls).
    std::uint64_t allocatedBytes = 0;
};

// The regular files directly inside a directory (links to them included) with
// what their status said, in listing order. The names lie one after another
// in one buffer, so a listing of many files costs a few allocations, not one
// per file.
class FileListing {
public:
    void Clear() {
        m_names.clear();
        m_files.clear();
    }
    // A file of which only the time in seconds is known.
    void Add(std::string_view name, FileTime mtime) {
        FileStamp stamp{};
        stamp.mtime = mtime;
        Add(name, stamp);
    }
    void Add(std::string_view name, const FileStamp& stamp) {
        m_files.push_back({static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint32_t>(name.size()), stamp});
        m_names.append(name);
    }
    void Swap(FileListing& other) noexcept {
        m_names.swap(other.m_names);
        m_files.swap(other.m_files);
    }

    std::size_t size() const { return m_files.size(); }
    // Valid until the listing changes.
    std::string_view Name(std::size_t i) const { return {m_names.data() + m_files[i].offset, m_files[i].length}; }
    FileTime Time(std::size_t i) const { return m_files[i].stamp.mtime; }
    const FileStamp& Stamp(std::size_t i) const { return m_files[i].stamp; }

private:
    struct File {
        std::uint32_t offset;
        std::uint32_t length;
        FileStamp stamp;
    };
    std::string m_names;
    std::vector<File> m_files;
};

// The stamp of a file as its status tells it.
inline FileStamp StampOf(const FileStatus& st) {
    return {st.mtime, st.ctime, st.size, st.device, st.inode, st.mtimeNsec, st.ctimeNsec, true};
}

// Whether a file's status is still the one its stamp recorded.
inline bool MatchesStamp(const FileStatus& st, const FileStamp& stamp) {
    return st.mtime == stamp.mtime && st.mtimeNsec == stamp.mtimeNsec && st.ctime == stamp.ctime &&
           st.ctimeNsec == stamp.ctimeNsec && st.size == stamp.size && st.device == stamp.device &&
           st.inode == stamp.inode;
}

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidHandle = -1;

class FileSystem;

// A directory that a FileSystem opened for reaching the names in it
// (OpenDirectory, OpenDirectoryBelow). It owns what that layer opened and
// hands it back to the same layer to close when it goes; a move passes the
// ownership on. An empty handle (the layer keeps none, or the directory
// could not be opened) makes the calls on names go by path.
class DirectoryHandle {
public:
    // What the layer keeps for an open directory: a descriptor here, a
    // HANDLE on Windows.
    using Native = std::intptr_t;
    static constexpr Native kNone = -1;

    DirectoryHandle() = default;
    DirectoryHandle(DirectoryHandle&& other) noexcept
        : m_fs(std::exchange(other.m_fs, nullptr)), m_native(std::exchange(other.m_native, kNone)) {}
    DirectoryHandle& operator=(DirectoryHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_fs = std::exchange(other.m_fs, nullptr);
            m_native = std::exchange(other.m_native, kNone);
        }
        return *this;
    }
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;
    ~DirectoryHandle() { Close(); }

    explicit operator bool() const { return m_native != kNone; }
    // For the layer that opened it.
    Native native() const { return m_native; }

private:
    friend class FileSystem;
    DirectoryHandle(FileSystem& fs, Native native) : m_fs(&fs), m_native(native) {}
    inline void Close();

    FileSystem* m_fs = nullptr;
    Native m_native = kNone;
};

// Result of CopyChunk when the kernel cannot copy between these two files;
// the caller then falls back to Read/Write.
inline constexpr long long kCopyUnsupported = -2;

// A call that fails leaves the reason in errno (the POSIX layer gets it from
// the system; fakes set it themselves).
//
// The comparison lists the sides of its pairs on several threads at once, so
// these calls must allow being made concurrently (on different directories
// and files): OpenDirectory, OpenDirectoryBelow, the closing of a
// DirectoryHandle, ListFilesIn, OpenExistingAt, HasCopyMark,
// IsLockedElsewhere, Close, RealPath and TimeGranularity, and what the
// default versions of these call here: ListFilesWithTimes,
// ListFilesAndSubdirs, ListDirectory, GetStatus, GetLinkStatus, OpenReadAt
// and OpenRead. Every other call comes from one thread at a time.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Entries directly inside dir, without "." and "..", in the order the
    // system delivers them. False when dir cannot be listed (out is cleared).
    virtual bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) = 0;

    // The files of dir (the isFile entries of ListDirectory) with their
    // modification times, 0 where a file's status cannot be queried. False
    // when dir cannot be listed (out is cleared). This version lists and then
    // asks each file's status by path; the POSIX layer asks relative to the
    // open directory instead. Safe to call from several threads at once when
    // ListDirectory and GetStatus are.
    virtual bool ListFilesWithTimes(const std::string& dir, FileListing& out);

    // As ListFilesWithTimes, and the subdirectories of dir in subdirs (their
    // times 0). A link to a directory is neither: a walk down the tree must
    // not follow it out of the tree or round in a loop. This version works
    // through ListDirectory, GetStatus and GetLinkStatus.
    virtual bool ListFilesAndSubdirs(const std::string& dir, FileListing& files, FileListing& subdirs);

    // Status of path, links followed. False when it does not exist or cannot
    // be queried.
    virtual bool GetStatus(const std::string& path, FileStatus& st) = 0;

    virtual FileHandle OpenRead(const std::string& path) = 0;
    // Creates path for writing. exclusive: fail when it exists; otherwise an
    // existing file is emptied. mode: permission bits for a new file (the
    // process umask applies).
    virtual FileHandle Create(const std::string& path, bool exclusive, unsigned mode = 0666) = 0;
    // Bytes read (0 at the end) or -1 on an error.
    virtual long long Read(FileHandle h, void* buf, std::size_t n) = 0;
    // Bytes written (possibly fewer than n) or -1 on an error.
    virtual long long Write(FileHandle h, const void* buf, std::size_t n) = 0;
    // Copies up to n bytes from in's position to out's position inside the
    // kernel. Bytes copied (0 at the end of in), -1 on an error, or
    // kCopyUnsupported.
    virtual long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) = 0;
    // Sets the permission bits of an open file.
    virtual bool SetMode(FileHandle h, unsigned mode) = 0;
    // Sets the access and the modification time of an open file. Both are
    // given: some file systems ignore a change that leaves one of them out.
    virtual bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                          std::int32_t mtimeNsec) = 0;
    // False when closing reported an error (data may not have been written).
    virtual bool Close(FileHandle h) = 0;

    // Gives from the name to, replacing an existing file to in one step.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Whether this process may write to path (it must exist).
    virtual bool IsWritable(const std::string& path) = 0;
    // Status of the entry path itself: a symbolic link is not followed but
    // reported with isLink (a dangling one exists too). The copy uses it so
    // that it never replaces a link by a plain file.
    virtual bool GetLinkStatus(const std::string& path, FileStatus& st) { return GetStatus(path, st); }
    // The absolute path of path with every link and "." or ".." resolved.
    // False when it cannot be resolved (or this layer cannot tell).
    virtual bool RealPath(const std::string& /*path*/, std::string& /*out*/) { return false; }
    // Steps, in seconds, in which the file system holding dir keeps
    // modification times: 2 on FAT and exFAT, 1 elsewhere.
    virtual int TimeGranularity(const std::string& /*dir*/) { return 1; }

    // Sets both times of the entry path (a link itself, not its target).
    virtual bool SetTimesOf(const std::string& /*path*/, FileTime /*atime*/, std::int32_t /*atimeNsec*/,
                            FileTime /*mtime*/, std::int32_t /*mtimeNsec*/) {
        errno = ENOSYS;
        return false;
    }
    // Gives an open file another owner and group (only root may).
    virtual bool SetOwner(FileHandle /*h*/, unsigned /*uid*/, unsigned /*gid*/) { return true; }
    // Whether this process may give files away to other owners (root).
    virtual bool MayChangeOwners() { return false; }
    // The permission bits that new files do not get (the process umask).
    virtual unsigned CreationMask() { return 022; }
    // Waits until the data of an open file is on the disk.
    virtual bool SyncData(FileHandle /*h*/) { return true; }
    // Waits until everything written to the file system holding dir is on the
    // disk; one call for any number of files.
    virtual bool SyncFileSystem(const std::string& /*dir*/) { return true; }
    // Waits until the entries of dir (names created or renamed) are on the disk.
    virtual bool SyncDirectory(const std::string& /*dir*/) { return true; }
    // Lets the disk start writing what is written to h so far, without waiting.
    virtual void StartWriteback(FileHandle /*h*/) {}

    // Holes. FindData gives the region of an open file that holds data at or
    // after offset, [start, end). False with ENXIO when only a hole or the
    // end follows offset, with another errno when this layer cannot tell
    // (then all of the file counts as data). It may move h's position, but
    // not when it fails.
    virtual bool FindData(FileHandle /*h*/, std::uint64_t /*offset*/, std::uint64_t& /*start*/,
                          std::uint64_t& /*end*/) {
        errno = ENOTSUP;
        return false;
    }
    // Moves the position of an open file, where its next Read, Write or
    // CopyChunk starts; beyond the end of a file being written, a hole.
    virtual bool Seek(FileHandle /*h*/, std::uint64_t /*offset*/) {
        errno = ESPIPE;
        return false;
    }
    // Sets the size of an open file; what it grows by is a hole.
    virtual bool SetSize(FileHandle /*h*/, std::uint64_t /*size*/) {
        errno = ENOSYS;
        return false;
    }
    // Makes the empty file out share all of in's data with it (a clone: the
    // file system writes no data). False with EOPNOTSUPP, ENOTTY, EINVAL or
    // ENOSYS where the file system cannot clone, EXDEV where the two lie on
    // different file systems or mounts.
    virtual bool CloneFile(FileHandle /*in*/, FileHandle /*out*/) {
        errno = EOPNOTSUPP;
        return false;
    }
    // Extended attributes (the access ACL among them) of the name in dir
    // itself, a link not followed, reached through the open directory
    // (without a handle: JoinPath(dirPath, name)). A file system that keeps
    // none lists none. GetAttributeAt fails with ENODATA for a name it lacks.
    virtual bool ListAttributesAt(const DirectoryHandle& /*dir*/, const std::string& /*dirPath*/,
                                  const std::string& /*name*/, std::vector<std::string>& names) {
        names.clear();
        return true;
    }
    virtual bool GetAttributeAt(const DirectoryHandle& /*dir*/, const std::string& /*dirPath*/,
                                const std::string& /*name*/, const std::string& /*attribute*/, std::string& /*value*/) {
        errno = ENODATA;
        return false;
    }
    // Gives an open file an extended attribute, replacing one of that name.
    virtual bool SetAttribute(FileHandle /*h*/, const std::string& /*attribute*/, const std::string& /*value*/) {
        errno = ENOTSUP;
        return false;
    }
    // Whether a directory lets no entry be removed or renamed (append-only or
    // immutable): a file created in it could never replace another nor go
    // away again. False where this layer cannot tell.
    virtual bool IsLockedDirectory(const DirectoryHandle& /*dir*/, const std::string& /*dirPath*/) { return false; }
    // Cuts the file name in dir to length 0 without following a link (for a
    // temporary file that could not be removed).
    virtual bool EmptyFileAt(const DirectoryHandle& /*dir*/, const std::string& /*dirPath*/,
                             const std::string& /*name*/) {
        errno = ENOSYS;
        return false;
    }

    // Creates the directory path with the permission bits mode (the process
    // umask applies). Fails when anything exists at path.
    virtual bool CreateDirectory(const std::string& /*path*/, unsigned /*mode*/) {
        errno = ENOSYS;
        return false;
    }
    // Sets the permission bits of the entry path (links followed).
    virtual bool SetModeOf(const std::string& /*path*/, unsigned /*mode*/) {
        errno = ENOSYS;
        return false;
    }

    // Names in an open directory. OpenDirectory opens dir once, so that the
    // calls below reach the names in it without walking its path again, and
    // always on the directory that was opened even if its path meanwhile
    // leads elsewhere. A name is relative and may hold separators
    // ("sub/file.txt"). Each call takes the directory's path too: with an
    // empty handle (this layer keeps none, or the directory could not be
    // opened) it is the path call above on JoinPath(dirPath, name), so a
    // layer that overrides only the path calls still sees every call.
    virtual DirectoryHandle OpenDirectory(const std::string& /*dir*/) { return {}; }
    virtual bool GetStatusAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name,
                             FileStatus& st) {
        return GetStatus(JoinPath(dirPath, name), st);
    }
    virtual bool GetLinkStatusAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name,
                                 FileStatus& st) {
        return GetLinkStatus(JoinPath(dirPath, name), st);
    }
    virtual bool IsWritableAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name) {
        return IsWritable(JoinPath(dirPath, name));
    }
    virtual FileHandle OpenReadAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name) {
        return OpenRead(JoinPath(dirPath, name));
    }
    virtual FileHandle CreateAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name,
                                bool exclusive, unsigned mode) {
        return Create(JoinPath(dirPath, name), exclusive, mode);
    }
    // Both names in the same directory.
    virtual bool RenameAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& from,
                          const std::string& to) {
        return Rename(JoinPath(dirPath, from), JoinPath(dirPath, to));
    }
    virtual bool RemoveAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name) {
        return Remove(JoinPath(dirPath, name));
    }
    virtual bool SetTimesOfAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name,
                              FileTime atime, std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec) {
        return SetTimesOf(JoinPath(dirPath, name), atime, atimeNsec, mtime, mtimeNsec);
    }

    // The directory rel (names joined by '/') below the open directory base,
    // reached one name at a time relative to the directory before it, never
    // through a link: a name that is a link or not a directory fails (ELOOP,
    // ENOTDIR), so nothing below a pair's directory can lead out of it. An
    // empty rel opens base once more. base may be empty: basePath is then
    // opened first. On success out is the new handle; a layer without
    // handles leaves it empty after checking each name by path.
    virtual bool OpenDirectoryBelow(const DirectoryHandle& base, const std::string& basePath, const std::string& rel,
                                    DirectoryHandle& out);
    // The directory that an open handle stands for, itself.
    virtual bool GetDirectoryStatus(const DirectoryHandle& /*dir*/, const std::string& dirPath, FileStatus& st) {
        return GetLinkStatus(dirPath, st);
    }
    // ListFilesWithTimes (subdirs null) or ListFilesAndSubdirs on an open
    // directory: what is listed is the directory that was opened. Once *stop
    // (when given) is true the listing ends, failing with ECANCELED.
    virtual bool ListFilesIn(const DirectoryHandle& /*dir*/, const std::string& dirPath, FileListing& files,
                             FileListing* subdirs, const std::atomic<bool>* stop) {
        if (stop && stop->load()) {
            errno = ECANCELED;
            return false;
        }
        return subdirs ? ListFilesAndSubdirs(dirPath, files, *subdirs) : ListFilesWithTimes(dirPath, files);
    }
    // CreateDirectory for a name in an open directory.
    virtual bool CreateDirectoryAt(const DirectoryHandle& /*dir*/, const std::string& dirPath, const std::string& name,
                                   unsigned mode) {
        return CreateDirectory(JoinPath(dirPath, name), mode);
    }
    // Both times, then the permission bits, of an open directory itself
    // (times first: the bits may take away the access needed to set them).
    virtual bool SetDirectoryTimesAndMode(const DirectoryHandle& /*dir*/, const std::string& dirPath, FileTime atime,
                                          std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec,
                                          unsigned mode) {
        const bool times = SetTimesOf(dirPath, atime, atimeNsec, mtime, mtimeNsec);
        return SetModeOf(dirPath, mode) && times;
    }

    // Status of an open file: the file that was opened, whatever its name
    // leads to by now. False when this layer cannot tell.
    virtual bool GetHandleStatus(FileHandle /*h*/, FileStatus& /*st*/) {
        errno = ENOSYS;
        return false;
    }
    // Opens an existing file in an open directory without following a link
    // and without changing it, for reading or for reading and writing.
    virtual FileHandle OpenExistingAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                                      bool forWriting) {
        if (forWriting) {
            errno = ENOSYS;
            return kInvalidHandle;
        }
        return OpenReadAt(dir, dirPath, name);
    }
    // A second handle on the same open file; a lock taken through either
    // lasts until both are closed.
    virtual FileHandle DuplicateHandle(FileHandle /*h*/) {
        errno = ENOSYS;
        return kInvalidHandle;
    }
    // The mark and the lock by which the copy knows its temporary files: the
    // mark says a file is one of them, the lock (held by the copying process
    // until the file is put in place or removed, and let go by the system
    // when that process dies) that it is still being written.
    virtual bool SetCopyMark(FileHandle /*h*/) { return true; }
    virtual bool HasCopyMark(FileHandle /*h*/) { return false; }
    // Takes the lock without waiting (the handle must be open for writing);
    // false when another process holds it, or the file cannot be locked.
    virtual bool LockFile(FileHandle /*h*/) { return true; }
    // Whether another process holds the lock on the file.
    virtual bool IsLockedElsewhere(FileHandle /*h*/) { return false; }

protected:
    // The handle on a directory this layer opened (kNone: an empty one).
    DirectoryHandle AdoptDirectory(DirectoryHandle::Native native) {
        return native == DirectoryHandle::kNone ? DirectoryHandle() : DirectoryHandle(*this, native);
    }

private:
    friend class DirectoryHandle;
    // Closes what this layer opened for a DirectoryHandle, which alone calls it.
    virtual void CloseDirectory(DirectoryHandle::Native /*native*/) {}
};

void DirectoryHandle::Close() {
    if (m_fs && m_native != kNone) m_fs->CloseDirectory(m_native);
    m_fs = nullptr;
    m_native = kNone;
}

FileSystem& RealFileSystem();

// Whether two modification times stand for the same moment on file systems
// that keep times in steps of granularity seconds: exact at 1; at 2 (FAT) a
// faithful copy may be off by up to the step, so times within it are equal.
inline bool SameModTime(FileTime a, FileTime b, int granularity) {
    if (granularity <= 1) return a == b;
    return (a > b ? a - b : b - a) <= granularity;
}

// Writes all n bytes to h, going on after short writes. False on an error or
// when the system accepts nothing (0 would never make progress).
bool WriteAll(FileSystem& fs, FileHandle h, const void* data, std::size_t n);
