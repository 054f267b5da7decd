#include "core/filesystem.h"

std::string JoinPath(std::string_view dir, std::string_view name) {
    std::string path;
    path.reserve(dir.size() + 1 + name.size());
    path.append(dir);
    path.push_back(kPathSeparator);
    path.append(name);
    return path;
}

bool WriteAll(FileSystem& fs, FileHandle h, const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const long long w = fs.Write(h, p, n);
        if (w <= 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

namespace {

// ListFilesWithTimes and ListFilesAndSubdirs through the path calls;
// subdirectories only when subdirs is not null.
bool ListByPath(FileSystem& fs, const std::string& dir, FileListing& files, FileListing* subdirs) {
    files.Clear();
    if (subdirs) subdirs->Clear();
    std::vector<DirEntry> entries;
    if (!fs.ListDirectory(dir, entries)) return false;
    std::string path = JoinPath(dir, "");
    const std::size_t dirLength = path.size();
    for (const DirEntry& e : entries) {
        if (!e.isFile && !(subdirs && e.isDirectory)) continue;
        path.resize(dirLength);
        path.append(e.name);
        FileStatus st;
        if (e.isFile) {
            if (fs.GetStatus(path, st)) files.Add(e.name, StampOf(st));
            else files.Add(e.name, FileTime{0});
        } else if (fs.GetLinkStatus(path, st) && st.isDirectory && !st.isLink) {
            subdirs->Add(e.name, 0);
        }
    }
    return true;
}

}  // namespace

bool FileSystem::ListFilesWithTimes(const std::string& dir, FileListing& out) {
    return ListByPath(*this, dir, out, nullptr);
}

bool FileSystem::ListFilesAndSubdirs(const std::string& dir, FileListing& files, FileListing& subdirs) {
    return ListByPath(*this, dir, files, &subdirs);
}

bool FileSystem::OpenDirectoryBelow(const DirectoryHandle& /*base*/, const std::string& basePath,
                                    const std::string& rel, DirectoryHandle& out) {
    // Without handles each name is asked for by path: a link or a non-directory on
    // the way is refused just the same, though the path is walked again later.
    out = DirectoryHandle();
    std::string path = basePath;
    for (std::size_t start = 0; start < rel.size();) {
        const std::size_t end = ComponentEnd(rel, start);
        path = JoinPath(path, std::string_view(rel).substr(start, end - start));
        FileStatus st;
        if (!GetLinkStatus(path, st)) return false;
        if (st.isLink || !st.isDirectory) {
            errno = st.isLink ? ELOOP : ENOTDIR;
            return false;
        }
        start = end + 1;
    }
    return true;
}
