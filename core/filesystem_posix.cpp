// POSIX implementation of the file-system layer.
#include "core/filesystem.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/xattr.h>
#endif

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#ifdef __linux__
#include <linux/openat2.h>
#endif

#include "core/mount_info.h"
#include "core/posix_dir.h"

namespace {

int Fd(std::intptr_t h) { return static_cast<int>(h); }
int Fd(const DirectoryHandle& dir) { return Fd(dir.native()); }

// O_NONBLOCK keeps a FIFO that slipped in from blocking the open (a read of
// it then fails instead of waiting); on regular files it has no effect, so it
// stays set rather than cost two more calls a file.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

// A directory opened only to reach the names in it, as a path walk would:
// no right to list it is needed.
#ifdef O_PATH
constexpr int kWalkFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kWalkFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The extended attribute that marks the copy's temporary files.
constexpr const char* kCopyMarkAttribute = "user.zoruna.copy";

// exclusive: fail when the name exists; otherwise an existing file is emptied.
int CreateFlags(bool exclusive) { return O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC); }

// Access and modification time as futimens and utimensat take them.
std::array<struct timespec, 2> Times(FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                                     std::int32_t mtimeNsec) {
    return {{{static_cast<time_t>(atime), atimeNsec}, {static_cast<time_t>(mtime), mtimeNsec}}};
}

void FillStatus(const struct stat& s, FileStatus& st) {
    st.isFile = S_ISREG(s.st_mode);
    st.isDirectory = S_ISDIR(s.st_mode);
    st.mtime = static_cast<FileTime>(s.st_mtim.tv_sec);
    st.mtimeNsec = static_cast<std::int32_t>(s.st_mtim.tv_nsec);
    st.size = static_cast<std::uint64_t>(s.st_size);
    st.mode = static_cast<unsigned>(s.st_mode & 07777);
    st.atime = static_cast<FileTime>(s.st_atim.tv_sec);
    st.atimeNsec = static_cast<std::int32_t>(s.st_atim.tv_nsec);
    st.ctime = static_cast<FileTime>(s.st_ctim.tv_sec);
    st.ctimeNsec = static_cast<std::int32_t>(s.st_ctim.tv_nsec);
    st.device = static_cast<std::uint64_t>(s.st_dev);
    st.inode = static_cast<std::uint64_t>(s.st_ino);
    st.uid = static_cast<unsigned>(s.st_uid);
    st.gid = static_cast<unsigned>(s.st_gid);
    st.allocatedBytes = static_cast<std::uint64_t>(s.st_blocks) * 512;
}

FileStamp StampOfStat(const struct stat& s) {
    return {static_cast<FileTime>(s.st_mtim.tv_sec), static_cast<FileTime>(s.st_ctim.tv_sec),
            static_cast<std::uint64_t>(s.st_size),   static_cast<std::uint64_t>(s.st_dev),
            static_cast<std::uint64_t>(s.st_ino),    static_cast<std::int32_t>(s.st_mtim.tv_nsec),
            static_cast<std::int32_t>(s.st_ctim.tv_nsec), true};
}

// Status of name relative to dirFd (AT_FDCWD: name is a path);
// AT_SYMLINK_NOFOLLOW in flags reports a link itself.
bool StatusAt(int dirFd, const char* name, int flags, FileStatus& st) {
    struct stat s;
    if (fstatat(dirFd, name, &s, flags) != 0) return false;
    FillStatus(s, st);
    st.isLink = S_ISLNK(s.st_mode);
    return true;
}

// Runs f until it is not interrupted by a signal.
template <typename F>
int Retrying(F f) {
    for (;;) {
        const int r = f();
        if (r == 0 || errno != EINTR) return r;
    }
}

class PosixFileSystem final : public FileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        out.clear();
        const int error = WalkDirectory(dir.c_str(), [&](int dfd, const dirent& e) {
            DirEntry entry;
            entry.name = e.d_name;
            switch (e.d_type) {
                case DT_REG: entry.isFile = true; break;
                case DT_DIR: entry.isDirectory = true; break;
                case DT_LNK:
                case DT_UNKNOWN: {
                    // Follow the link (or ask, on file systems without d_type).
                    struct stat s;
                    if (fstatat(dfd, e.d_name, &s, 0) == 0) {
                        entry.isFile = S_ISREG(s.st_mode);
                        entry.isDirectory = S_ISDIR(s.st_mode);
                    }
                    break;
                }
                default: break;  // FIFOs, sockets, devices
            }
            out.push_back(std::move(entry));
        });
        if (error == 0) return true;
        // A listing cut short by a read error is not the directory's content.
        out.clear();
        errno = error;
        return false;
    }

    bool ListFilesWithTimes(const std::string& dir, FileListing& out) override {
        return ListLevel(DirStream(dir.c_str()), out, nullptr, nullptr);
    }

    bool ListFilesAndSubdirs(const std::string& dir, FileListing& files, FileListing& subdirs) override {
        return ListLevel(DirStream(dir.c_str()), files, &subdirs, nullptr);
    }

    bool GetStatus(const std::string& path, FileStatus& st) override {
        return StatusAt(AT_FDCWD, path.c_str(), 0, st);
    }

    FileHandle OpenRead(const std::string& path) override {
        const int fd = open(path.c_str(), kReadFlags);
        return fd < 0 ? kInvalidHandle : fd;
    }

    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        const int fd = open(path.c_str(), CreateFlags(exclusive), static_cast<mode_t>(mode));
        return fd < 0 ? kInvalidHandle : fd;
    }

    long long Read(FileHandle h, void* buf, std::size_t n) override {
        for (;;) {
            const ssize_t r = read(Fd(h), buf, n);
            if (r < 0 && errno == EINTR) continue;
            return r;
        }
    }

    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        for (;;) {
            const ssize_t r = write(Fd(h), buf, n);
            if (r < 0 && errno == EINTR) continue;
            return r;
        }
    }

    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
#ifdef __linux__
        for (;;) {
            const ssize_t r = copy_file_range(Fd(in), nullptr, Fd(out), nullptr, n, 0);
            if (r >= 0) return r;
            if (errno == EINTR) continue;
            if (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                errno == ENOTSUP)
                return kCopyUnsupported;
            return -1;
        }
#else
        (void)in; (void)out; (void)n;
        return kCopyUnsupported;
#endif
    }

    bool SetMode(FileHandle h, unsigned mode) override {
        return fchmod(Fd(h), static_cast<mode_t>(mode)) == 0;
    }

    bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                  std::int32_t mtimeNsec) override {
        return futimens(Fd(h), Times(atime, atimeNsec, mtime, mtimeNsec).data()) == 0;
    }

    bool Close(FileHandle h) override { return close(Fd(h)) == 0; }

    bool Rename(const std::string& from, const std::string& to) override {
        return rename(from.c_str(), to.c_str()) == 0;
    }

    bool Remove(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool IsWritable(const std::string& path) override { return access(path.c_str(), W_OK) == 0; }

    int TimeGranularity(const std::string& dir) override { return TimeGranularityOfMount(dir); }

    bool GetLinkStatus(const std::string& path, FileStatus& st) override {
        return StatusAt(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, st);
    }

    bool SetTimesOf(const std::string& path, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                    std::int32_t mtimeNsec) override {
        return utimensat(AT_FDCWD, path.c_str(), Times(atime, atimeNsec, mtime, mtimeNsec).data(),
                         AT_SYMLINK_NOFOLLOW) == 0;
    }

    bool SetOwner(FileHandle h, unsigned uid, unsigned gid) override {
        return fchown(Fd(h), static_cast<uid_t>(uid), static_cast<gid_t>(gid)) == 0;
    }

    bool MayChangeOwners() override { return geteuid() == 0; }

    unsigned CreationMask() override {
        // /proc tells without changing anything; umask() itself can only be
        // read by setting it, which another thread could notice.
        if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
            char line[256];
            unsigned mask = 0;
            bool found = false;
            while (!found && std::fgets(line, sizeof line, f))
                found = std::sscanf(line, "Umask: %o", &mask) == 1;
            std::fclose(f);
            if (found) return mask & 0777;
        }
        const mode_t mask = umask(022);
        umask(mask);
        return static_cast<unsigned>(mask) & 0777;
    }

    bool SyncData(FileHandle h) override { return Retrying([&] { return fdatasync(Fd(h)); }) == 0; }

    bool SyncFileSystem(const std::string& dir) override {
        return WithDirectory(dir, [](int fd) { return syncfs(fd); });
    }

    bool SyncDirectory(const std::string& dir) override {
        return WithDirectory(dir, [](int fd) { return Retrying([&] { return fsync(fd); }); });
    }

    void StartWriteback(FileHandle h) override {
#ifdef __linux__
        sync_file_range(Fd(h), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
        (void)h;
#endif
    }

    // Holes, clones, extended attributes and folder flags.
    bool FindData(FileHandle h, std::uint64_t offset, std::uint64_t& start, std::uint64_t& end) override {
#if defined(SEEK_DATA) && defined(SEEK_HOLE)
        const off_t data = lseek(Fd(h), static_cast<off_t>(offset), SEEK_DATA);
        if (data < 0) return false;
        const off_t hole = lseek(Fd(h), data, SEEK_HOLE);
        start = static_cast<std::uint64_t>(data);
        // The position has moved: where the region's end cannot be told,
        // the rest is data.
        end = hole < 0 ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(hole);
        return true;
#else
        return FileSystem::FindData(h, offset, start, end);
#endif
    }

    bool Seek(FileHandle h, std::uint64_t offset) override {
        return lseek(Fd(h), static_cast<off_t>(offset), SEEK_SET) >= 0;
    }

    bool SetSize(FileHandle h, std::uint64_t size) override {
        return Retrying([&] { return ftruncate(Fd(h), static_cast<off_t>(size)); }) == 0;
    }

    bool CloneFile(FileHandle in, FileHandle out) override {
#ifdef FICLONE
        return ioctl(Fd(out), FICLONE, Fd(in)) == 0;
#else
        return FileSystem::CloneFile(in, out);
#endif
    }

#ifdef __linux__
    bool ListAttributesAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                          std::vector<std::string>& names) override {
        names.clear();
        const std::string path = NameInDirectory(dir, dirPath, name);
        std::string list;
        if (!ReadSized(list, [&](char* buf, std::size_t n) { return llistxattr(path.c_str(), buf, n); }))
            return errno == ENOTSUP || errno == ENOSYS;  // a file system without attributes has none
        // Names follow one another, each ended by a NUL.
        for (std::size_t at = 0; at < list.size();) {
            const std::size_t end = list.find('\0', at);
            names.push_back(list.substr(at, end - at));
            at = end == std::string::npos ? list.size() : end + 1;
        }
        return true;
    }

    bool GetAttributeAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                        const std::string& attribute, std::string& value) override {
        const std::string path = NameInDirectory(dir, dirPath, name);
        return ReadSized(value, [&](char* buf, std::size_t n) {
            return lgetxattr(path.c_str(), attribute.c_str(), buf, n);
        });
    }

    bool SetAttribute(FileHandle h, const std::string& attribute, const std::string& value) override {
        return fsetxattr(Fd(h), attribute.c_str(), value.data(), value.size(), 0) == 0;
    }
#endif

    bool IsLockedDirectory(const DirectoryHandle& dir, const std::string& dirPath) override {
#if defined(FS_IOC_GETFLAGS) && defined(FS_APPEND_FL) && defined(FS_IMMUTABLE_FL)
        // An O_PATH descriptor takes no ioctl: open the folder itself.
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
        const int fd = !dir ? open(dirPath.c_str(), kFlags) : openat(Fd(dir), ".", kFlags);
        if (fd < 0) return false;
        int flags = 0;  // the kernel reads and writes an int, whatever the request's type says
        const bool locked = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL));
        close(fd);
        return locked;
#else
        return FileSystem::IsLockedDirectory(dir, dirPath);
#endif
    }

    bool EmptyFileAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        const bool byPath = !dir;
        const std::string path = byPath ? JoinPath(dirPath, name) : name;
        const int fd = openat(byPath ? AT_FDCWD : Fd(dir), path.c_str(),
                              O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        close(fd);
        return true;
    }

private:
    // A name in an open directory as a path for the l*xattr calls, which
    // have no *at form (and an O_PATH descriptor takes no f*xattr call):
    // /proc/self/fd/N stands for the directory opened, not its path now.
    // Without /proc the path is walked again.
    static std::string NameInDirectory(const DirectoryHandle& dir, const std::string& dirPath,
                                       const std::string& name) {
        static const bool procFds = access("/proc/self/fd", X_OK) == 0;
        if (!dir || !procFds) return JoinPath(dirPath, name);
        return "/proc/self/fd/" + std::to_string(Fd(dir)) + "/" + name;
    }

    // Fills out by call(buf, size), which returns the length or -1 with
    // ERANGE when buf is too small (and the length needed for size 0).
    template <typename F>
    static bool ReadSized(std::string& out, F call) {
        out.resize(256);
        for (;;) {
            const ssize_t n = call(out.data(), out.size());
            if (n >= 0) {
                out.resize(static_cast<std::size_t>(n));
                return true;
            }
            if (errno != ERANGE) return false;
            const ssize_t needed = call(nullptr, 0);
            if (needed < 0) return false;
            out.resize(static_cast<std::size_t>(needed) + 1);  // one more, in case it grows meanwhile
        }
    }

public:
    bool RealPath(const std::string& path, std::string& out) override {
        char* resolved = realpath(path.c_str(), nullptr);
        if (!resolved) return false;
        out = resolved;
        std::free(resolved);
        return true;
    }

    bool CreateDirectory(const std::string& path, unsigned mode) override {
        return mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0;
    }

    bool SetModeOf(const std::string& path, unsigned mode) override {
        return chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
    }

    DirectoryHandle OpenDirectory(const std::string& dir) override {
        const int fd = open(dir.c_str(), kWalkFlags);
        return AdoptDirectory(fd < 0 ? DirectoryHandle::kNone : fd);
    }

    bool GetStatusAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                     FileStatus& st) override {
        if (!dir) return FileSystem::GetStatusAt(dir, dirPath, name, st);
        return StatusAt(Fd(dir), name.c_str(), 0, st);
    }

    bool GetLinkStatusAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                         FileStatus& st) override {
        if (!dir) return FileSystem::GetLinkStatusAt(dir, dirPath, name, st);
        return StatusAt(Fd(dir), name.c_str(), AT_SYMLINK_NOFOLLOW, st);
    }

    bool IsWritableAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        if (!dir) return FileSystem::IsWritableAt(dir, dirPath, name);
        return faccessat(Fd(dir), name.c_str(), W_OK, 0) == 0;
    }

    FileHandle OpenReadAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        if (!dir) return FileSystem::OpenReadAt(dir, dirPath, name);
        const int fd = openat(Fd(dir), name.c_str(), kReadFlags);
        return fd < 0 ? kInvalidHandle : fd;
    }

    FileHandle CreateAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name, bool exclusive,
                        unsigned mode) override {
        if (!dir) return FileSystem::CreateAt(dir, dirPath, name, exclusive, mode);
        const int fd = openat(Fd(dir), name.c_str(), CreateFlags(exclusive), static_cast<mode_t>(mode));
        return fd < 0 ? kInvalidHandle : fd;
    }

    bool RenameAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& from,
                  const std::string& to) override {
        if (!dir) return FileSystem::RenameAt(dir, dirPath, from, to);
        return renameat(Fd(dir), from.c_str(), Fd(dir), to.c_str()) == 0;
    }

    bool RemoveAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        if (!dir) return FileSystem::RemoveAt(dir, dirPath, name);
        return unlinkat(Fd(dir), name.c_str(), 0) == 0;
    }

    bool SetTimesOfAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name, FileTime atime,
                      std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec) override {
        if (!dir) return FileSystem::SetTimesOfAt(dir, dirPath, name, atime, atimeNsec, mtime, mtimeNsec);
        return utimensat(Fd(dir), name.c_str(), Times(atime, atimeNsec, mtime, mtimeNsec).data(),
                         AT_SYMLINK_NOFOLLOW) == 0;
    }

    bool OpenDirectoryBelow(const DirectoryHandle& base, const std::string& basePath, const std::string& rel,
                            DirectoryHandle& out) override {
        out = DirectoryHandle();
        int baseFd = Fd(base);
        if (!base) {
            baseFd = open(basePath.c_str(), kWalkFlags);
            if (baseFd < 0) return false;
        }
        const int fd = rel.empty() ? openat(baseFd, ".", kWalkFlags) : OpenBelow(baseFd, rel);
        const int error = errno;
        if (!base) close(baseFd);
        errno = error;
        if (fd < 0) return false;
        out = AdoptDirectory(fd);
        return true;
    }

    bool GetDirectoryStatus(const DirectoryHandle& dir, const std::string& dirPath, FileStatus& st) override {
        if (!dir) return FileSystem::GetDirectoryStatus(dir, dirPath, st);
        struct stat s;
        if (fstat(Fd(dir), &s) != 0) return false;
        FillStatus(s, st);
        return true;
    }

    bool ListFilesIn(const DirectoryHandle& dir, const std::string& dirPath, FileListing& files, FileListing* subdirs,
                     const std::atomic<bool>* stop) override {
        if (!dir) return FileSystem::ListFilesIn(dir, dirPath, files, subdirs, stop);
        return ListLevel(DirStream(Reopen(dir, O_RDONLY)), files, subdirs, stop);
    }

    bool CreateDirectoryAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                           unsigned mode) override {
        if (!dir) return FileSystem::CreateDirectoryAt(dir, dirPath, name, mode);
        return mkdirat(Fd(dir), name.c_str(), static_cast<mode_t>(mode)) == 0;
    }

    bool SetDirectoryTimesAndMode(const DirectoryHandle& dir, const std::string& dirPath, FileTime atime,
                                  std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec,
                                  unsigned mode) override {
        if (!dir) return FileSystem::SetDirectoryTimesAndMode(dir, dirPath, atime, atimeNsec, mtime, mtimeNsec, mode);
        const int fd = Reopen(dir, O_RDONLY);
        if (fd < 0) return false;
        const bool times = futimens(fd, Times(atime, atimeNsec, mtime, mtimeNsec).data()) == 0;
        const bool bits = fchmod(fd, static_cast<mode_t>(mode)) == 0;
        const int error = errno;
        close(fd);
        errno = error;
        return times && bits;
    }

    bool GetHandleStatus(FileHandle h, FileStatus& st) override {
        struct stat s;
        if (fstat(Fd(h), &s) != 0) return false;
        FillStatus(s, st);
        return true;
    }

    FileHandle OpenExistingAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                              bool forWriting) override {
        const int flags = (forWriting ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        const int fd = !dir ? open(JoinPath(dirPath, name).c_str(), flags) : openat(Fd(dir), name.c_str(), flags);
        return fd < 0 ? kInvalidHandle : fd;
    }

    FileHandle DuplicateHandle(FileHandle h) override {
        const int fd = fcntl(Fd(h), F_DUPFD_CLOEXEC, 0);
        return fd < 0 ? kInvalidHandle : fd;
    }

    bool SetCopyMark(FileHandle h) override { return fsetxattr(Fd(h), kCopyMarkAttribute, "1", 1, 0) == 0; }

    bool HasCopyMark(FileHandle h) override {
        char value[1];
        return fgetxattr(Fd(h), kCopyMarkAttribute, value, sizeof value) == 1 && value[0] == '1';
    }

    bool LockFile(FileHandle h) override {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        return fcntl(Fd(h), F_OFD_SETLK, &lock) == 0;
    }

    bool IsLockedElsewhere(FileHandle h) override {
        struct flock lock {};
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        // A lock of this process's own handle would not show; the copy asks
        // only about files it did not open for writing itself.
        if (fcntl(Fd(h), F_OFD_GETLK, &lock) != 0) return false;
        return lock.l_type != F_UNLCK;
    }

private:
    void CloseDirectory(DirectoryHandle::Native dir) override { close(Fd(dir)); }

    // The files of the open directory d with their stamps and, unless
    // subdirs is null, its subdirectories. Each status is asked relative to
    // the open directory: the path is not walked again for every file.
    static bool ListLevel(const DirStream& d, FileListing& files, FileListing* subdirs, const std::atomic<bool>* stop) {
        files.Clear();
        if (subdirs) subdirs->Clear();
        const int error = WalkDirectory(d, [&](int dfd, const dirent& e) {
            // A slow mount can take long over one directory: a stop is seen
            // between its entries.
            if (stop && stop->load(std::memory_order_relaxed)) return false;
            if (e.d_type == DT_DIR) {
                if (subdirs) subdirs->Add(e.d_name, FileTime{0});
                return true;
            }
            if (e.d_type != DT_REG && e.d_type != DT_LNK && e.d_type != DT_UNKNOWN) return true;
            struct stat s;
            // Without d_type a walk asks the entry itself first: a directory
            // is entered only when it is not a link to one.
            if (subdirs && e.d_type == DT_UNKNOWN && fstatat(dfd, e.d_name, &s, AT_SYMLINK_NOFOLLOW) == 0 &&
                !S_ISLNK(s.st_mode)) {
                if (S_ISDIR(s.st_mode)) subdirs->Add(e.d_name, FileTime{0});
                if (S_ISREG(s.st_mode)) files.Add(e.d_name, StampOfStat(s));
                return true;
            }
            // Links are followed, as in ListDirectory.
            if (fstatat(dfd, e.d_name, &s, 0) == 0) {
                if (S_ISREG(s.st_mode)) files.Add(e.d_name, StampOfStat(s));
            } else if (e.d_type == DT_REG) {
                files.Add(e.d_name, FileTime{0});  // listed, but its status is out of reach
            }
            return true;
        });
        if (error == 0) return true;
        // A listing cut short by a read error is not the directory's content.
        files.Clear();
        if (subdirs) subdirs->Clear();
        errno = error;
        return false;
    }

    // A new descriptor for reading the open directory dir itself: O_PATH
    // handles take no listing, ioctl or change of their own.
    static int Reopen(const DirectoryHandle& dir, int flags) {
        return openat(Fd(dir), ".", flags | O_DIRECTORY | O_CLOEXEC);
    }

    // One name below dirFd, refused when it is a link or not a directory.
    static int OpenComponent(int dirFd, const std::string& name) {
        const int fd = openat(dirFd, name.c_str(), kWalkFlags | O_NOFOLLOW);
        struct stat s;
        // A link answers "not a directory"; say what it is.
        if (fd < 0 && errno == ENOTDIR && fstatat(dirFd, name.c_str(), &s, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(s.st_mode))
            errno = ELOOP;
        return fd;
    }

    // rel below baseFd one name at a time: where the kernel cannot resolve
    // the whole of it at once without links.
    static int OpenEachComponent(int baseFd, const std::string& rel) {
        int fd = baseFd;
        for (std::size_t start = 0; start <= rel.size();) {
            const std::size_t end = ComponentEnd(rel, start);
            const int next = OpenComponent(fd, rel.substr(start, end - start));
            const int error = errno;
            if (fd != baseFd) close(fd);
            if (next < 0) {
                errno = error;
                return -1;
            }
            fd = next;
            start = end + 1;
        }
        return fd;
    }

    // rel below baseFd without following any link, in one call where the
    // kernel offers it.
    static int OpenBelow(int baseFd, const std::string& rel) {
#if defined(__linux__) && defined(SYS_openat2)
        struct open_how how {};
        how.flags = static_cast<std::uint64_t>(kWalkFlags);
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const int fd = static_cast<int>(syscall(SYS_openat2, baseFd, rel.c_str(), &how, sizeof how));
        // Older kernels and filters lack it; a path longer than the system's
        // limit is walked in parts.
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG && errno != ENAMETOOLONG &&
                        errno != EAGAIN))
            return fd;
#endif
        return OpenEachComponent(baseFd, rel);
    }

    template <typename F>
    static bool WithDirectory(const std::string& dir, F f) {
        const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool ok = f(fd) == 0;
        const int error = errno;
        close(fd);
        errno = error;
        return ok;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

#endif  // !_WIN32
