// A directory as the comparison and the copy work in it: its path, the
// handle it was reached through (empty where the layer keeps none), or why
// it could not be reached.
#pragma once

#include <cerrno>
#include <string>
#include <utility>

#include "core/filesystem.h"

class ReachedDirectory {
public:
    // The directory path itself, links on the way followed: a pair's own
    // directory is the user's choice. Where the layer keeps no handle or the
    // directory cannot be opened, handle() is empty and the calls on its
    // names go by path (and fail there as they would have).
    ReachedDirectory(FileSystem& fs, std::string path) : m_path(std::move(path)), m_handle(fs.OpenDirectory(m_path)) {}
    // The directory rel ('/' between names) below base, never through a
    // link. When it cannot be reached, error() tells why; nothing may then
    // be done in it, not even by path.
    ReachedDirectory(FileSystem& fs, const ReachedDirectory& base, const std::string& rel)
        : m_path(rel.empty() ? base.path() : JoinRelative(base.path(), rel)) {
        if (base.error() != 0) {
            m_error = base.error();
        } else if (!fs.OpenDirectoryBelow(base.handle(), base.path(), rel, m_handle)) {
            m_error = errno != 0 ? errno : EIO;
            m_handle = DirectoryHandle();
        }
    }
    ReachedDirectory(const ReachedDirectory&) = delete;
    ReachedDirectory& operator=(const ReachedDirectory&) = delete;

    const std::string& path() const { return m_path; }
    const DirectoryHandle& handle() const { return m_handle; }
    // 0, or the errno of the failure to reach the directory below its base.
    int error() const { return m_error; }

    // base and rel as one path, rel's '/' turned into the platform's separator.
    static std::string JoinRelative(const std::string& base, const std::string& rel) {
        std::string path = JoinPath(base, rel);
        if constexpr (kPathSeparator != '/') {
            for (std::size_t i = base.size() + 1; i < path.size(); ++i)
                if (path[i] == '/') path[i] = kPathSeparator;
        }
        return path;
    }

private:
    std::string m_path;
    DirectoryHandle m_handle;
    int m_error = 0;
};
