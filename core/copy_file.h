// The copy of one file, done so that nothing is lost: the new content goes
// into a temporary file beside the destination, which then replaces the
// destination in one step. Whatever fails, source and destination are left
// exactly as they were and the temporary file is removed.
//
// The copy comes in two steps so that a run can flush many files at once:
// Prepare writes the temporary file, Commit checks the destination once more
// and puts the temporary file in its place.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "core/copy_guards.h"
#include "core/creation_mask.h"
#include "core/filesystem.h"
#include "core/records.h"

enum class FileCopyResult {
    Copied,
    SourceUnavailable,     // gone, not a regular file, or cannot be opened
    SourceChanged,         // modified while it was being copied
    DestinationChanged,    // not the file that the comparison saw (or no longer absent)
    DestinationProtected,  // read-only, a directory or another non-file, or a link
    ReadFailed,
    WriteFailed,           // creating, writing, stamping, flushing, closing or renaming the new copy
    Stopped,               // abandoned because the user stopped the run
    TimeNotKept,           // in place, but the file system did not keep the source's time
    DirectionUnknown,      // both sides changed within the same time step: which one is newer is unknown
    AttributesNotKept,     // the replaced file's ACL or attributes could not be read or given to the new copy
};

// Whether a committed copy stands in its destination's place (its folder's
// entries changed), whatever else is reported about it.
inline bool InPlace(FileCopyResult result) {
    return result == FileCopyResult::Copied || result == FileCopyResult::TimeNotKept;
}

// One file to copy. Each side is a pair's directory (top), the folder below
// it that holds the file (rel, '/' between names, empty for the top itself)
// and the file's name in that folder. The folder is reached from the top one
// name at a time and never through a link.
struct FileCopyRequest {
    std::string sourceTop;
    std::string sourceRel;
    std::string sourceName;
    std::string destinationTop;
    std::string destinationRel;
    std::string destinationName;
    // The destination folder as one path: where its flushes and time steps
    // are asked.
    std::string destinationDir;
    // Whether the comparison saw a file at the destination, and its
    // modification time in seconds when it did.
    bool destinationExisted = false;
    FileTime comparedDestinationTime = 0;
    // What the comparison saw of both files; a file that is no longer the
    // one it saw is left alone. Where nothing was seen (a table made
    // otherwise), only the destination's time in seconds is checked.
    FileStamp comparedSource{};
    FileStamp comparedDestination{};
};

// How a copy makes sure that its data is on the disk before the temporary
// file replaces the destination (else a power cut could leave an empty file
// that carries the source's time).
enum class Durability {
    None,         // leave it to the system (only for measuring what flushing costs)
    EachFile,     // fdatasync every temporary file
    FileSystem,   // one syncfs per file system for a batch of temporary files
};

// Bytes of this file copied so far; returning false abandons the file.
using FileBytesHandler = std::function<bool(std::uint64_t copied)>;

// A file copied to its temporary name, waiting to be put in place. The
// temporary file is removed with this object unless it was committed.
struct PreparedCopy {
    FileCopyRequest request;
    FileStatus source;       // the source as copied
    FileStatus destination;  // the destination as seen before copying
    bool destinationExists = false;
    SharedDirectory destinationDir;  // open since the destination was first checked
    TempFileGuard temp;
};

// Copies files one after another. One object serves a whole run, so the
// fallback buffer is allocated at most once and the directories of the files
// are opened once: every check of a source or a destination, and the
// temporary file's creation and rename, go relative to the open directory,
// never along the path again.
class FileCopier {
public:
    // Largest request handed to the kernel copy at once; also the step of the
    // progress reports and of the stop requests.
    static constexpr std::size_t kChunkBytes = 8u << 20;
    // The buffer of the read/write loop, used where the kernel cannot copy.
    static constexpr std::size_t kBufferBytes = 1u << 20;

    FileCopier(FileSystem& fs, CreationMaskCache& creationMask, Durability durability = Durability::EachFile)
        : m_fs(fs), m_creationMask(creationMask), m_durability(durability), m_dirs(fs) {}

    // Both steps for one file, the directory flushed afterwards.
    FileCopyResult Copy(const FileCopyRequest& request, const FileBytesHandler& onBytes = {});

    // Checks both sides and copies the source to a temporary file beside the
    // destination with its final permission bits, owner and times; with
    // Durability::EachFile its data is on the disk when this returns.
    FileCopyResult Prepare(const FileCopyRequest& request, const FileBytesHandler& onBytes, PreparedCopy& out);
    // Puts a prepared copy in place when the destination is still what it
    // was, then checks that the destination carries the source's time. The
    // caller flushes the destination directory afterwards.
    FileCopyResult Commit(PreparedCopy& prepared);

    // errno of the call that made the last Prepare, Commit or Copy fail; 0
    // when none failed (e.g. a changed file, a read-only destination). A
    // refusal that no call reported names what was found instead: EISDIR or
    // EINVAL for a source that is no file, ELOOP, EISDIR or EEXIST for a
    // link, a directory or another entry in the destination's place.
    int LastError() const { return m_error; }
    void ClearError() { m_error = 0; }

private:
    // Records errno of the system call that just failed and returns result.
    FileCopyResult SystemFailure(FileCopyResult result) {
        m_error = errno;
        return result;
    }
    // The result for a folder of the request that could not be reached.
    FileCopyResult FolderFailure(int error, FileCopyResult otherwise);
    // A link, a directory or another kind of entry where the destination
    // file is to go: protected, with ELOOP, EISDIR or EEXIST as its error.
    FileCopyResult NotAFileInTheWay(const FileStatus& seen);
    FileCopyResult CheckDestination(const ReachedDirectory& dir, const FileCopyRequest& request, FileStatus& seen,
                                    bool& exists);
    FileHandle CreateTemporary(const ReachedDirectory& dir, std::string& tempName, FileHandle& lock);
    FileCopyResult FinishTemporary(FileHandle out, const PreparedCopy& prepared);
    FileCopyResult CopyContent(FileHandle in, FileHandle out, const PreparedCopy& prepared,
                               const FileBytesHandler& onBytes, std::uint64_t& copied);
    FileCopyResult CloneContent(FileHandle in, FileHandle out, const PreparedCopy& prepared, bool& cloned);
    FileCopyResult CopyWithHoles(FileHandle in, FileHandle out, std::uint64_t size, const FileBytesHandler& onBytes,
                                 std::uint64_t& copied);
    FileCopyResult CopyRange(FileHandle in, FileHandle out, std::uint64_t length, bool toTheEnd,
                             const FileBytesHandler& onBytes, std::uint64_t& copied);
    FileCopyResult CopyByReadWrite(FileHandle in, FileHandle out, std::uint64_t limit,
                                   const FileBytesHandler& onBytes, std::uint64_t& copied);
    FileCopyResult SetOwnerAndMode(FileHandle out, const PreparedCopy& prepared);
    FileCopyResult CheckFolderFlags(const ReachedDirectory& dir);
    // Whether the destination carries the source's time, within the steps
    // in which its file system keeps times.
    bool TimeKept(const PreparedCopy& prepared);

    FileSystem& m_fs;
    CreationMaskCache& m_creationMask;
    Durability m_durability;
    DirectoryCache m_dirs;
    std::unique_ptr<char[]> m_buffer;
    int m_error = 0;
    // Where cloning was refused in this run, so that it is not tried for
    // every file: file systems that cannot clone (by a source's device),
    // and destination folders on another file system or mount than a
    // source's device.
    std::set<std::uint64_t> m_noCloneDevices;
    std::set<std::pair<std::uint64_t, std::string>> m_noCloneInto;
};
