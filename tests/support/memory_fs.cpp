#include "support/memory_fs.h"

#include <cerrno>

void MemoryFileSystem::AddDir(const std::string& dir) { m_dirs[dir]; }

void MemoryFileSystem::Add(const std::string& dir, const std::string& name, FileTime mtime, Kind kind) {
    m_dirs[dir].push_back({name, mtime, kind});
}

void MemoryFileSystem::FailStatus(const std::string& dir, const std::string& name) {
    m_failingStatus.insert(JoinPath(dir, name));
}

bool MemoryFileSystem::ListDirectory(const std::string& dir, std::vector<DirEntry>& out) {
    {
        const std::lock_guard lock(m_callsMutex);
        m_listed.push_back(dir);
    }
    out.clear();
    const auto it = m_dirs.find(dir);
    if (it == m_dirs.end()) {
        errno = ENOENT;
        return false;
    }
    for (const Entry& e : it->second) {
        DirEntry d;
        d.name = e.name;
        d.isFile = e.kind == Kind::File;
        d.isDirectory = e.kind == Kind::Directory;
        out.push_back(d);
    }
    return true;
}

bool MemoryFileSystem::GetStatus(const std::string& path, FileStatus& st) {
    {
        const std::lock_guard lock(m_callsMutex);
        m_queried.push_back(path);
    }
    if (m_failingStatus.count(path)) return false;
    // The directory part is everything before the last separator, so that a
    // directory registered with a trailing separator is found from "dir//name".
    const std::size_t cut = path.rfind(kPathSeparator);
    if (cut == std::string::npos) return false;
    const auto dir = m_dirs.find(path.substr(0, cut));
    if (dir == m_dirs.end()) return false;
    const std::string name = path.substr(cut + 1);
    for (const Entry& e : dir->second) {
        if (e.name != name) continue;
        st = FileStatus{};
        st.isFile = e.kind == Kind::File;
        st.isDirectory = e.kind == Kind::Directory;
        st.mtime = e.mtime;
        return true;
    }
    return false;
}
