// An open directory of the POSIX layer and the walk over its entries.
#pragma once

#ifndef _WIN32

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <type_traits>

// Owns an open directory stream and closes it on every way out.
class DirStream {
public:
    explicit DirStream(const char* path) : m_dir(opendir(path)) {}
    // Takes over fd, an open directory (closed here even when this fails).
    explicit DirStream(int fd) : m_dir(fd < 0 ? nullptr : fdopendir(fd)) {
        if (fd >= 0 && !m_dir) {
            const int error = errno;
            close(fd);
            errno = error;
        }
    }
    ~DirStream() {
        if (m_dir) closedir(m_dir);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    explicit operator bool() const { return m_dir != nullptr; }
    DIR* get() const { return m_dir; }
    int fd() const { return dirfd(m_dir); }

private:
    DIR* m_dir;
};

using ReadDirFunction = dirent* (*)(DIR*);

// Calls onEntry(const dirent&) for every entry but "." and "..", until an
// onEntry that returns bool returns false (errno ECANCELED then). readdir
// returns NULL both at the end and on an error; only errno tells them apart,
// so it is cleared before each call. Returns false (errno set) when reading
// failed before the end: the entries seen so far are not the whole directory.
template <class OnEntry>
bool ReadEntries(DIR* dir, OnEntry&& onEntry, ReadDirFunction next = ::readdir) {
    for (;;) {
        errno = 0;
        const dirent* e = next(dir);
        if (!e) return errno == 0;
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        if constexpr (std::is_same_v<decltype(onEntry(*e)), bool>) {
            if (!onEntry(*e)) {
                errno = ECANCELED;
                return false;
            }
        } else {
            onEntry(*e);
        }
    }
}

// Calls onEntry(dirFd, const dirent&) for each entry of the open directory d
// (while it returns true, when it returns bool).
// Returns 0 when the whole directory was read, otherwise the errno of the
// failure, taken before closing the handle can change it.
template <class OnEntry>
int WalkDirectory(const DirStream& d, OnEntry&& onEntry) {
    if (!d) return errno != 0 ? errno : EIO;
    const int fd = d.fd();
    if (ReadEntries(d.get(), [&](const dirent& e) { return onEntry(fd, e); })) return 0;
    return errno != 0 ? errno : EIO;
}

// Opens path and calls onEntry(dirFd, const dirent&) for each of its entries.
template <class OnEntry>
int WalkDirectory(const char* path, OnEntry&& onEntry) {
    return WalkDirectory(DirStream(path), onEntry);
}

#endif  // !_WIN32
