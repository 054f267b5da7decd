#include "core/copy_dirs.h"

#include <cerrno>
#include <utility>

namespace {

// Owner access while the run fills the directory, whatever the source's
// bits are: a read-only source directory would otherwise take no files.
constexpr unsigned kOwnerAccess = 0700;

// Where the component of rel that begins at `start` ends.
std::size_t ComponentEnd(std::string_view rel, std::size_t start) {
    const std::size_t slash = rel.find('/', start);
    return slash == std::string_view::npos ? rel.size() : slash;
}

}  // namespace

int DirectoryMaker::Ensure(std::string_view fromDir, std::string_view relFrom, std::string_view toDir,
                           std::string_view relTo) {
    std::string parent(toDir);
    std::size_t fromEnd = 0, toEnd = 0;
    for (std::size_t fromStart = 0, toStart = 0; toStart < relTo.size(); fromStart = fromEnd + 1, toStart = toEnd + 1) {
        fromEnd = ComponentEnd(relFrom, fromStart);
        toEnd = ComponentEnd(relTo, toStart);
        std::string path = JoinPath(toDir, relTo.substr(0, toEnd));
        if (!m_known.count(path)) {
            if (const int error = Make(path, JoinPath(fromDir, relFrom.substr(0, fromEnd)), parent)) return error;
        }
        parent = std::move(path);
    }
    return 0;
}

int DirectoryMaker::Make(const std::string& path, const std::string& source, const std::string& parent) {
    FileStatus st;
    if (m_fs.GetLinkStatus(path, st)) {
        if (!st.isDirectory || st.isLink) return EEXIST;
        m_known.insert(path);
        return 0;
    }
    if (errno != ENOENT) return errno != 0 ? errno : EIO;
    FileStatus sourceStatus;
    if (!m_fs.GetStatus(source, sourceStatus)) return errno != 0 ? errno : ENOENT;
    if (m_creationMask < 0) m_creationMask = static_cast<int>(m_fs.CreationMask() & 0777);
    const unsigned mode = sourceStatus.mode & 0777 & ~static_cast<unsigned>(m_creationMask);
    if (!m_fs.CreateDirectory(path, mode | kOwnerAccess)) return errno != 0 ? errno : EIO;
    m_known.insert(path);
    m_created.push_back({path, source, mode});
    m_newEntries.insert(parent);
    return 0;
}

void DirectoryMaker::Finish() {
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        if ((it->mode | kOwnerAccess) != it->mode) m_fs.SetModeOf(it->path, it->mode);
        FileStatus source;
        if (m_fs.GetStatus(it->source, source))
            m_fs.SetTimesOf(it->path, source.atime, source.atimeNsec, source.mtime, source.mtimeNsec);
    }
    m_created.clear();
}
