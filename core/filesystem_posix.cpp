// POSIX implementation of the file-system layer.
#include "core/filesystem.h"

#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int Fd(FileHandle h) { return static_cast<int>(h); }

void FillStatus(const struct stat& s, FileStatus& st) {
    st.isFile = S_ISREG(s.st_mode);
    st.isDirectory = S_ISDIR(s.st_mode);
    st.mtime = static_cast<FileTime>(s.st_mtim.tv_sec);
    st.mtimeNsec = static_cast<std::int32_t>(s.st_mtim.tv_nsec);
    st.size = static_cast<std::uint64_t>(s.st_size);
    st.mode = static_cast<unsigned>(s.st_mode & 07777);
}

class PosixFileSystem final : public FileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        out.clear();
        DIR* d = opendir(dir.c_str());
        if (!d) return false;
        const int dfd = dirfd(d);
        while (const dirent* e = readdir(d)) {
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            DirEntry entry;
            entry.name = n;
            switch (e->d_type) {
                case DT_REG: entry.isFile = true; break;
                case DT_DIR: entry.isDirectory = true; break;
                case DT_LNK:
                case DT_UNKNOWN: {
                    // Follow the link (or ask, on file systems without d_type).
                    struct stat s;
                    if (fstatat(dfd, n, &s, 0) == 0) {
                        entry.isFile = S_ISREG(s.st_mode);
                        entry.isDirectory = S_ISDIR(s.st_mode);
                    }
                    break;
                }
                default: break;  // FIFOs, sockets, devices
            }
            out.push_back(std::move(entry));
        }
        closedir(d);
        return true;
    }

    bool GetStatus(const std::string& path, FileStatus& st) override {
        struct stat s;
        if (stat(path.c_str(), &s) != 0) return false;
        FillStatus(s, st);
        return true;
    }

    FileHandle OpenRead(const std::string& path) override {
        // O_NONBLOCK keeps a FIFO that slipped in from blocking the open (a
        // read of it then fails instead of waiting); on regular files it has
        // no effect, so it stays set rather than cost two more calls a file.
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        return fd < 0 ? kInvalidHandle : fd;
    }

    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
        const int fd = open(path.c_str(), flags, static_cast<mode_t>(mode));
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

    bool SetModTime(FileHandle h, FileTime sec, std::int32_t nsec) override {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(sec);
        times[1].tv_nsec = nsec;
        return futimens(Fd(h), times) == 0;
    }

    bool Close(FileHandle h) override { return close(Fd(h)) == 0; }

    bool Sync(FileHandle h) override { return fsync(Fd(h)) == 0; }

    bool SyncDirectory(const std::string& dir) override {
        const int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool synced = fsync(fd) == 0;
        close(fd);
        return synced;
    }

    bool Rename(const std::string& from, const std::string& to) override {
        return rename(from.c_str(), to.c_str()) == 0;
    }

    bool Remove(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool IsWritable(const std::string& path) override { return access(path.c_str(), W_OK) == 0; }

    bool GetLinkStatus(const std::string& path, FileStatus& st) override {
        struct stat s;
        if (lstat(path.c_str(), &s) != 0) return false;
        FillStatus(s, st);
        st.isLink = S_ISLNK(s.st_mode);
        return true;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

#endif  // !_WIN32
