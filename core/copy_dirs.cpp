#include "core/copy_dirs.h"

#include <cerrno>
#include <memory>
#include <utility>

#include "core/reached_directory.h"

namespace {

// Owner access while the run fills the directory, whatever the source's
// bits are: a read-only source directory would otherwise take no files.
constexpr unsigned kOwnerAccess = 0700;

// A link or a non-folder on the destination's way is something in the way.
int DestinationError(int error) { return error == ELOOP || error == ENOTDIR ? EEXIST : error; }

}  // namespace

int DirectoryMaker::Ensure(const std::string& fromDir, std::string_view relFrom, const std::string& toDir,
                           std::string_view relTo) {
    if (relTo.empty() || m_known.count({toDir, std::string(relTo)})) return 0;
    const ReachedDirectory to(m_fs, toDir);
    const ReachedDirectory from(m_fs, fromDir);
    // The folder that holds the next component, once it is needed.
    std::unique_ptr<ReachedDirectory> parent;
    std::size_t fromEnd = 0, toEnd = 0;
    for (std::size_t fromStart = 0, toStart = 0; toStart < relTo.size(); fromStart = fromEnd + 1, toStart = toEnd + 1) {
        fromEnd = ComponentEnd(relFrom, fromStart);
        toEnd = ComponentEnd(relTo, toStart);
        const std::string rel(relTo.substr(0, toEnd));
        if (m_known.count({toDir, rel})) {
            parent.reset();
            continue;
        }
        if (!parent)
            parent =
                std::make_unique<ReachedDirectory>(m_fs, to, std::string(relTo.substr(0, toStart ? toStart - 1 : 0)));
        if (parent->error() != 0) return DestinationError(parent->error());
        const std::string name(relTo.substr(toStart, toEnd - toStart));

        FileStatus st;
        if (m_fs.GetLinkStatusAt(parent->handle(), parent->path(), name, st)) {
            if (!st.isDirectory || st.isLink) return EEXIST;
        } else {
            if (errno != ENOENT) return errno != 0 ? errno : EIO;
            const std::string sourceRel(relFrom.substr(0, fromEnd));
            const ReachedDirectory source(m_fs, from, sourceRel);
            FileStatus sourceStatus;
            if (source.error() != 0) return source.error();
            if (!m_fs.GetDirectoryStatus(source.handle(), source.path(), sourceStatus))
                return errno != 0 ? errno : ENOENT;
            const unsigned mode = sourceStatus.mode & 0777 & ~m_creationMask.Get();
            if (!m_fs.CreateDirectoryAt(parent->handle(), parent->path(), name, mode | kOwnerAccess))
                return errno != 0 ? errno : EIO;
            m_newEntries.insert(parent->path());
            // The folder just made, by a handle: had it been swapped for a
            // link meanwhile, nothing goes into it.
            auto made = std::make_unique<ReachedDirectory>(m_fs, *parent, name);
            if (made->error() != 0) return DestinationError(made->error());
            FileStatus madeStatus;
            m_fs.GetDirectoryStatus(made->handle(), made->path(), madeStatus);
            m_created.push_back({toDir, rel, fromDir, sourceRel, mode, madeStatus.device, madeStatus.inode});
            m_known.insert({toDir, rel});
            parent = std::move(made);
            continue;
        }
        m_known.insert({toDir, rel});
        parent = std::make_unique<ReachedDirectory>(m_fs, *parent, name);
    }
    return 0;
}

void DirectoryMaker::Finish() {
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        const ReachedDirectory top(m_fs, it->toDir);
        const ReachedDirectory dir(m_fs, top, it->rel);
        FileStatus now;
        if (dir.error() != 0 || !m_fs.GetDirectoryStatus(dir.handle(), dir.path(), now)) continue;
        // Moved away and replaced by another folder: that one is not ours.
        if (now.device != it->device || now.inode != it->inode) continue;
        const ReachedDirectory sourceTop(m_fs, it->fromDir);
        const ReachedDirectory source(m_fs, sourceTop, it->sourceRel);
        FileStatus times = now;
        if (source.error() == 0) m_fs.GetDirectoryStatus(source.handle(), source.path(), times);
        m_fs.SetDirectoryTimesAndMode(dir.handle(), dir.path(), times.atime, times.atimeNsec, times.mtime,
                                      times.mtimeNsec, it->mode);
    }
    m_created.clear();
}
