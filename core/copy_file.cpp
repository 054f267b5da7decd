#include "core/copy_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <vector>

#include "core/temp_name.h"

namespace {

// How often a clash with an existing temporary name is retried.
constexpr int kTempNameAttempts = 100;
// Nobody else may read the half-written copy; it gets its final bits only
// when its content is complete.
constexpr unsigned kTemporaryMode = 0600;

bool IsReadOnly(const FileStatus& st) { return (st.mode & 0222) == 0; }

// The same file in the same state. The change time catches a write that
// kept size and modification time (set back, or within the same tick); the
// inode a file replaced by another one of the same size and time.
bool SameVersion(const FileStatus& a, const FileStatus& b) {
    return a.isFile == b.isFile && a.isLink == b.isLink && a.mtime == b.mtime && a.mtimeNsec == b.mtimeNsec &&
           a.size == b.size && a.ctime == b.ctime && a.ctimeNsec == b.ctimeNsec && a.inode == b.inode &&
           a.device == b.device;
}

// Whether a's modification time is later than b's.
bool NewerThan(const FileStatus& a, const FileStatus& b) {
    return a.mtime != b.mtime ? a.mtime > b.mtime : a.mtimeNsec > b.mtimeNsec;
}

// A file system without permission bits or owners (FAT through FUSE, some
// network shares) refuses the change in one of these ways; the copy is still
// whole.
bool ModesUnsupported(int error) {
    return error == ENOSYS || error == EPERM || error == ENOTSUP || error == EOPNOTSUPP;
}

// The file system cannot clone at all, whichever files are given.
bool CloningUnsupported(int error) {
    return error == EOPNOTSUPP || error == ENOTSUP || error == ENOTTY || error == ENOSYS;
}

// No limit for the read/write loop: it reads on until the end of the source.
constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();

constexpr const char* kAccessAcl = "system.posix_acl_access";

struct Attribute {
    std::string name;
    std::string value;
};

// What a replacement keeps of the file it replaces: the access ACL and the
// user's own attributes. security.* (capabilities, which must never move onto
// other content, and the system's labels) and trusted.* stay behind.
bool IsKeptAttribute(const std::string& name) { return name == kAccessAcl || name.rfind("user.", 0) == 0; }

// The kept attributes of name in dir. False (errno set) when they cannot all
// be read; one that vanished between listing and reading is not missed.
bool ReadKeptAttributes(FileSystem& fs, const ReachedDirectory& dir, const std::string& name,
                        std::vector<Attribute>& kept) {
    std::vector<std::string> names;
    if (!fs.ListAttributesAt(dir.handle(), dir.path(), name, names)) return false;
    for (std::string& attribute : names) {
        if (!IsKeptAttribute(attribute)) continue;
        std::string value;
        if (fs.GetAttributeAt(dir.handle(), dir.path(), name, attribute, value))
            kept.push_back({std::move(attribute), std::move(value)});
        else if (errno != ENODATA)
            return false;
    }
    return true;
}

// Gives out the kept attributes, the ACL alone (acl) or all others.
bool WriteAttributes(FileSystem& fs, FileHandle out, const std::vector<Attribute>& kept, bool acl) {
    for (const Attribute& a : kept)
        if ((a.name == kAccessAcl) == acl && !fs.SetAttribute(out, a.name, a.value)) return false;
    return true;
}

}  // namespace

FileCopyResult FileCopier::Copy(const FileCopyRequest& request, const FileBytesHandler& onBytes) {
    PreparedCopy prepared;
    FileCopyResult result = Prepare(request, onBytes, prepared);
    if (result != FileCopyResult::Copied) return result;
    if (m_durability == Durability::FileSystem && !m_fs.SyncFileSystem(request.destinationDir))
        return SystemFailure(FileCopyResult::WriteFailed);
    result = Commit(prepared);
    // In place but its name perhaps not on the disk: not a durable copy.
    if (InPlace(result) && m_durability != Durability::None && !m_fs.SyncDirectory(request.destinationDir))
        return SystemFailure(FileCopyResult::WriteFailed);
    return result;
}

FileCopyResult FileCopier::Prepare(const FileCopyRequest& request, const FileBytesHandler& onBytes,
                                   PreparedCopy& out) {
    m_error = 0;
    out.request = request;
    const SharedDirectory source = m_dirs.Get(request.sourceTop, request.sourceRel);
    if (source->error() != 0) {
        m_error = source->error();
        return FileCopyResult::SourceUnavailable;
    }
    if (!m_fs.GetStatusAt(source->handle(), source->path(), request.sourceName, out.source))
        return SystemFailure(FileCopyResult::SourceUnavailable);
    if (!out.source.isFile) {
        // What is there instead, so that the user can be told.
        m_error = out.source.isDirectory ? EISDIR : EINVAL;
        return FileCopyResult::SourceUnavailable;
    }
    // Only the file that the user was shown is copied: one restored from a
    // backup since, or written to, is not that file.
    if (request.comparedSource.seen && !MatchesStamp(out.source, request.comparedSource))
        return FileCopyResult::SourceChanged;

    out.destinationDir = m_dirs.Get(request.destinationTop, request.destinationRel);
    const ReachedDirectory& destination = *out.destinationDir;
    if (destination.error() != 0) return FolderFailure(destination.error(), FileCopyResult::WriteFailed);
    const FileCopyResult check = CheckDestination(destination, request, out.destination, out.destinationExists);
    if (check != FileCopyResult::Copied) return check;
    // Never older over newer, whatever the table says.
    if (out.destinationExists && NewerThan(out.destination, out.source)) return FileCopyResult::DestinationChanged;

    HandleGuard in(m_fs, m_fs.OpenReadAt(source->handle(), source->path(), request.sourceName));
    if (!in.valid()) return SystemFailure(FileCopyResult::SourceUnavailable);
    // The file opened must be the one just checked, not one put in its
    // place in between.
    FileStatus opened;
    if (m_fs.GetHandleStatus(in.get(), opened) && !SameVersion(out.source, opened))
        return FileCopyResult::SourceChanged;

    if (const FileCopyResult folder = CheckFolderFlags(destination); folder != FileCopyResult::Copied) return folder;
    std::string tempName;
    FileHandle lock = kInvalidHandle;
    HandleGuard temp(m_fs, CreateTemporary(destination, tempName, lock));
    if (!temp.valid()) return SystemFailure(FileCopyResult::WriteFailed);
    out.temp = TempFileGuard(m_fs, out.destinationDir, tempName, lock);

    std::uint64_t copied = 0;
    FileCopyResult result = CopyContent(in.get(), temp.get(), out, onBytes, copied);
    if (result != FileCopyResult::Copied) return result;
    if (copied != out.source.size) return FileCopyResult::SourceChanged;
    result = FinishTemporary(temp.get(), out);
    if (result != FileCopyResult::Copied) return result;
    // A failed close can mean that written data never reached the disk.
    if (!temp.Close()) return SystemFailure(FileCopyResult::WriteFailed);

    // The copy carries the source's time; if the source changed while it
    // was read, the copy may hold neither version. Both the file read and
    // the name must still be what was checked.
    FileStatus sourceAfter;
    if (m_fs.GetHandleStatus(in.get(), sourceAfter) && !SameVersion(out.source, sourceAfter))
        return FileCopyResult::SourceChanged;
    if (!m_fs.GetStatusAt(source->handle(), source->path(), request.sourceName, sourceAfter) ||
        !SameVersion(out.source, sourceAfter))
        return FileCopyResult::SourceChanged;
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::FolderFailure(int error, FileCopyResult otherwise) {
    m_error = error;
    // A folder on the way that is a link, or no folder at all, is refused
    // as a link in the file's place would be.
    return error == ELOOP || error == ENOTDIR ? FileCopyResult::DestinationProtected : otherwise;
}

FileCopyResult FileCopier::FinishTemporary(FileHandle out, const PreparedCopy& prepared) {
    // A replaced file keeps its ACL and its user's attributes; where they
    // cannot be read or the new copy refuses one, the old file stays rather
    // than be replaced by one that others may read or write more freely.
    std::vector<Attribute> kept;
    if (prepared.destinationExists &&
        !ReadKeptAttributes(m_fs, *prepared.destinationDir, prepared.request.destinationName, kept))
        return errno == ENOENT ? FileCopyResult::DestinationChanged : SystemFailure(FileCopyResult::AttributesNotKept);
    // The user's attributes while the temporary file is still this
    // process's own and writable: its final bits may not let it write.
    if (!WriteAttributes(m_fs, out, kept, false)) return SystemFailure(FileCopyResult::AttributesNotKept);
    const FileCopyResult bits = SetOwnerAndMode(out, prepared);
    if (bits != FileCopyResult::Copied) return bits;
    // The ACL after the bits: it sets the group bits to its mask, which the
    // replaced file's bits already were.
    if (!WriteAttributes(m_fs, out, kept, true)) return SystemFailure(FileCopyResult::AttributesNotKept);
    // Both times: some file systems ignore a change of the modification time
    // alone.
    const FileStatus& src = prepared.source;
    if (!m_fs.SetTimes(out, src.atime, src.atimeNsec, src.mtime, src.mtimeNsec))
        return SystemFailure(FileCopyResult::WriteFailed);
    if (m_durability == Durability::EachFile && !m_fs.SyncData(out))
        return SystemFailure(FileCopyResult::WriteFailed);
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::SetOwnerAndMode(FileHandle out, const PreparedCopy& prepared) {
    // A replaced file keeps its own bits and, where this process may decide
    // it (root), its owner and group; a new one gets the source's bits less
    // the umask, as any program's new copy would.
    unsigned mode = (prepared.source.mode & 0777) & ~m_creationMask.Get();
    if (prepared.destinationExists) {
        mode = prepared.destination.mode & 07777;
        // Before the mode: a change of owner clears the set-id bits.
        if (m_fs.MayChangeOwners() &&
            !m_fs.SetOwner(out, prepared.destination.uid, prepared.destination.gid) && !ModesUnsupported(errno))
            return SystemFailure(FileCopyResult::WriteFailed);
    }
    if (!m_fs.SetMode(out, mode) && !ModesUnsupported(errno)) return SystemFailure(FileCopyResult::WriteFailed);
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::CheckFolderFlags(const ReachedDirectory& dir) {
    // An append-only or immutable folder would take the temporary file but
    // let it neither replace the destination nor go away again: every run
    // would leave another hidden copy there.
    if (!m_fs.IsLockedDirectory(dir.handle(), dir.path())) return FileCopyResult::Copied;
    errno = EPERM;
    return SystemFailure(FileCopyResult::DestinationProtected);
}

FileCopyResult FileCopier::Commit(PreparedCopy& prepared) {
    m_error = 0;
    const FileCopyRequest& request = prepared.request;
    const ReachedDirectory& dir = *prepared.destinationDir;
    // Narrow the window in which a change at the destination would be
    // overwritten unseen: look once more right before replacing it. The
    // entry itself counts, so a link that appeared meanwhile is not replaced.
    FileStatus now;
    const bool existsNow = m_fs.GetLinkStatusAt(dir.handle(), dir.path(), request.destinationName, now);
    if (existsNow != prepared.destinationExists ||
        (existsNow && !SameVersion(prepared.destination, now)))
        return FileCopyResult::DestinationChanged;
    if (!m_fs.RenameAt(dir.handle(), dir.path(), prepared.temp.name(), request.destinationName))
        return SystemFailure(FileCopyResult::WriteFailed);
    prepared.temp.Commit();

    // A file system that silently drops the time would make the next
    // comparison take the copy for the newer file and copy it back. Some
    // (FAT through FUSE) stamp a renamed file afresh: set the time once more
    // on the name itself.
    if (TimeKept(prepared)) return FileCopyResult::Copied;
    const FileStatus& src = prepared.source;
    if (!m_fs.SetTimesOfAt(dir.handle(), dir.path(), request.destinationName, src.atime, src.atimeNsec, src.mtime,
                           src.mtimeNsec))
        return SystemFailure(FileCopyResult::TimeNotKept);
    return TimeKept(prepared) ? FileCopyResult::Copied : FileCopyResult::TimeNotKept;
}

bool FileCopier::TimeKept(const PreparedCopy& prepared) {
    const ReachedDirectory& dir = *prepared.destinationDir;
    FileStatus placed;
    if (!m_fs.GetStatusAt(dir.handle(), dir.path(), prepared.request.destinationName, placed)) return false;
    // Kept when the next comparison will take the two for the same time, by
    // the comparison's own rule.
    return SameModTime(placed.mtime, prepared.source.mtime, m_fs.TimeGranularity(prepared.request.destinationDir));
}

FileCopyResult FileCopier::CheckDestination(const ReachedDirectory& dir, const FileCopyRequest& request,
                                            FileStatus& seen, bool& exists) {
    exists = m_fs.GetLinkStatusAt(dir.handle(), dir.path(), request.destinationName, seen);
    if (exists != request.destinationExisted) {
        // Replacing a link or a directory would be wrong whatever the
        // comparison saw; anything else is simply not what it saw.
        if (exists && (seen.isLink || !seen.isFile)) return NotAFileInTheWay(seen);
        return FileCopyResult::DestinationChanged;
    }
    if (!exists) return FileCopyResult::Copied;
    // Replacing a link by a plain file would silently cut it from its target.
    if (seen.isLink || !seen.isFile) return NotAFileInTheWay(seen);
    if (request.comparedDestination.seen ? !MatchesStamp(seen, request.comparedDestination)
                                         : seen.mtime != request.comparedDestinationTime)
        return FileCopyResult::DestinationChanged;
    // The mode bits count as well as access(): running as root, access()
    // grants writing to a file that its owner protected. Read-only bits are
    // reported with no error, a refused access with its errno.
    if (IsReadOnly(seen)) return FileCopyResult::DestinationProtected;
    if (!m_fs.IsWritableAt(dir.handle(), dir.path(), request.destinationName))
        return SystemFailure(FileCopyResult::DestinationProtected);
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::NotAFileInTheWay(const FileStatus& seen) {
    m_error = seen.isLink ? ELOOP : seen.isDirectory ? EISDIR : EEXIST;
    return FileCopyResult::DestinationProtected;
}

FileHandle FileCopier::CreateTemporary(const ReachedDirectory& dir, std::string& tempName, FileHandle& lock) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempName = MakeCopyTempName();
        const FileHandle h = m_fs.CreateAt(dir.handle(), dir.path(), tempName, true, kTemporaryMode);
        if (h != kInvalidHandle) {
            // Locked before it is marked: a marked file that nobody holds is
            // one whose copy died, and only such a file is ever removed.
            // The second handle keeps the lock while the first is closed.
            lock = m_fs.DuplicateHandle(h);
            if (lock != kInvalidHandle) m_fs.LockFile(lock);
            m_fs.SetCopyMark(h);
            return h;
        }
        // Only a clash with an existing name is worth another try.
        const int error = errno;
        FileStatus st;
        if (!m_fs.GetLinkStatusAt(dir.handle(), dir.path(), tempName, st)) {
            errno = error;
            break;
        }
    }
    return kInvalidHandle;
}

FileCopyResult FileCopier::CopyContent(FileHandle in, FileHandle out, const PreparedCopy& prepared,
                                       const FileBytesHandler& onBytes, std::uint64_t& copied) {
    const FileStatus& source = prepared.source;
    if (source.size == 0) return FileCopyResult::Copied;
    bool cloned = false;
    const FileCopyResult clone = CloneContent(in, out, prepared, cloned);
    if (clone != FileCopyResult::Copied) return clone;
    if (cloned) {
        copied = source.size;
        return onBytes && !onBytes(copied) ? FileCopyResult::Stopped : FileCopyResult::Copied;
    }
    // A file with room on the disk for all of its bytes has no hole to look
    // for: it costs no call more than a plain copy.
    if (source.allocatedBytes >= source.size) return CopyRange(in, out, source.size, true, onBytes, copied);
    return CopyWithHoles(in, out, source.size, onBytes, copied);
}

FileCopyResult FileCopier::CloneContent(FileHandle in, FileHandle out, const PreparedCopy& prepared,
                                        bool& cloned) {
    const std::uint64_t device = prepared.source.device;
    std::pair<std::uint64_t, std::string> into{device, prepared.request.destinationDir};
    if (m_noCloneDevices.count(device) || m_noCloneInto.count(into)) return FileCopyResult::Copied;
    cloned = m_fs.CloneFile(in, out);
    if (cloned) return FileCopyResult::Copied;
    if (CloningUnsupported(errno)) {
        m_noCloneDevices.insert(device);
    } else if (errno == EXDEV) {
        m_noCloneInto.insert(std::move(into));
    } else if (!m_fs.SetSize(out, 0)) {
        // A clone that failed midway may have left part of it; the copy
        // that follows starts from an empty file.
        return SystemFailure(FileCopyResult::WriteFailed);
    }
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::CopyWithHoles(FileHandle in, FileHandle out, std::uint64_t size,
                                         const FileBytesHandler& onBytes, std::uint64_t& copied) {
    // Data regions one after another; a hole is skipped in both files, so
    // the copy keeps it instead of writing zeros, and counts as done.
    while (copied < size) {
        std::uint64_t start = 0, end = 0;
        if (!m_fs.FindData(in, copied, start, end)) {
            if (errno == ENXIO) break;  // only a hole is left
            // Where holes cannot be told, the rest is data.
            return CopyRange(in, out, size - copied, true, onBytes, copied);
        }
        // Data beyond the size seen means that the source grew: the check
        // after the copy tells.
        if (start >= size) break;
        start = std::max(start, copied);
        end = end <= start ? size : std::min(end, size);
        if (!m_fs.Seek(in, start)) return SystemFailure(FileCopyResult::ReadFailed);
        if (start > copied) {
            if (!m_fs.Seek(out, start)) return SystemFailure(FileCopyResult::WriteFailed);
            copied = start;
            if (onBytes && !onBytes(copied)) return FileCopyResult::Stopped;
        }
        const FileCopyResult result = CopyRange(in, out, end - copied, end == size, onBytes, copied);
        // A region that ended early: the source is shorter than its size,
        // which the caller finds in the count.
        if (result != FileCopyResult::Copied || copied < end) return result;
    }
    // A file that ends in a hole gets its size without a byte written.
    if (copied >= size) return FileCopyResult::Copied;
    if (!m_fs.SetSize(out, size)) return SystemFailure(FileCopyResult::WriteFailed);
    copied = size;
    return onBytes && !onBytes(copied) ? FileCopyResult::Stopped : FileCopyResult::Copied;
}

FileCopyResult FileCopier::CopyRange(FileHandle in, FileHandle out, std::uint64_t length, bool toTheEnd,
                                     const FileBytesHandler& onBytes, std::uint64_t& copied) {
    // The kernel copies up to the length seen before opening. A source that
    // grew meanwhile is caught by the status check after the copy, so asking
    // once more only to hear "end of file" would cost a call per file.
    const std::uint64_t stop = copied + length;
    while (copied < stop) {
        const std::uint64_t step = std::min<std::uint64_t>(kChunkBytes, stop - copied);
        const long long n = m_fs.CopyChunk(in, out, static_cast<std::size_t>(step));
        // Some file systems report 0 before the end; the plain loop then
        // finds out whether there is more.
        if (n == kCopyUnsupported || n == 0)
            return CopyByReadWrite(in, out, toTheEnd ? kToTheEnd : stop - copied, onBytes, copied);
        if (n < 0) return SystemFailure(FileCopyResult::WriteFailed);
        copied += static_cast<std::uint64_t>(n);
        // The disk starts on this chunk while the next one is copied, so
        // that the flush at the end has little left to wait for.
        if (m_durability != Durability::None) m_fs.StartWriteback(out);
        if (onBytes && !onBytes(copied)) return FileCopyResult::Stopped;
    }
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::CopyByReadWrite(FileHandle in, FileHandle out, std::uint64_t limit,
                                           const FileBytesHandler& onBytes, std::uint64_t& copied) {
    if (!m_buffer) m_buffer.reset(new char[kBufferBytes]);
    // limit keeps the loop inside a data region: a read past it would turn
    // the hole after it into written zeros.
    while (limit > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferBytes, limit));
        const long long n = m_fs.Read(in, m_buffer.get(), want);
        if (n < 0) return SystemFailure(FileCopyResult::ReadFailed);
        if (n == 0) return FileCopyResult::Copied;
        if (!WriteAll(m_fs, out, m_buffer.get(), static_cast<std::size_t>(n)))
            return SystemFailure(FileCopyResult::WriteFailed);
        copied += static_cast<std::uint64_t>(n);
        if (limit != kToTheEnd) limit -= static_cast<std::uint64_t>(n);
        if (onBytes && !onBytes(copied)) return FileCopyResult::Stopped;
    }
    return FileCopyResult::Copied;
}
