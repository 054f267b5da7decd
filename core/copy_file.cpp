#include "core/copy_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

#include "core/temp_name.h"

namespace {

// How often a clash with an existing temporary name is retried.
constexpr int kTempNameAttempts = 100;

// Permission bits of a replacement for an existing file, until they are set
// to the old file's own bits: nobody else may read the half-written copy.
constexpr unsigned kPrivateMode = 0600;
// A new file gets what any program's new file gets: 0666 under the umask.
constexpr unsigned kNewFileMode = 0666;

bool IsReadOnly(const FileStatus& st) { return (st.mode & 0222) == 0; }

bool SameVersion(const FileStatus& a, const FileStatus& b) {
    return a.isFile == b.isFile && a.isLink == b.isLink && a.mtime == b.mtime && a.mtimeNsec == b.mtimeNsec &&
           a.size == b.size;
}

}  // namespace

std::string MakeCopyTempName() {
    static const unsigned long long processTag = [] {
        std::random_device rd;
        return (static_cast<unsigned long long>(rd()) << 32) ^ rd();
    }();
    static std::atomic<unsigned long long> counter{0};
    char unique[48];
    std::snprintf(unique, sizeof unique, "%016llx-%llx", processTag, counter.fetch_add(1) + 1);
    std::string name(kCopyTempPrefix);
    name += unique;
    name += kCopyTempSuffix;
    return name;
}

FileCopyResult FileCopier::Copy(const FileCopyRequest& request, const FileBytesHandler& onBytes) {
    FileStatus source;
    if (!m_fs.GetStatus(request.sourcePath, source)) return SystemFailure(FileCopyResult::SourceUnavailable);
    if (!source.isFile) return FileCopyResult::SourceUnavailable;

    FileStatus destination;
    bool destinationExists = false;
    const FileCopyResult check = CheckDestination(request, destination, destinationExists);
    if (check != FileCopyResult::Copied) return check;

    const FileHandle in = m_fs.OpenRead(request.sourcePath);
    if (in == kInvalidHandle) return SystemFailure(FileCopyResult::SourceUnavailable);

    std::string tempPath;
    const FileHandle out =
        CreateTemporary(request.destinationDir, destinationExists ? kPrivateMode : kNewFileMode, tempPath);
    if (out == kInvalidHandle) {
        SystemFailure(FileCopyResult::WriteFailed);
        m_fs.Close(in);
        return FileCopyResult::WriteFailed;
    }

    std::uint64_t copied = 0;
    FileCopyResult result = CopyContent(in, out, source.size, onBytes, copied);
    if (result == FileCopyResult::Copied && copied != source.size) result = FileCopyResult::SourceChanged;
    if (result == FileCopyResult::Copied && destinationExists && !m_fs.SetMode(out, destination.mode))
        result = SystemFailure(FileCopyResult::WriteFailed);
    if (result == FileCopyResult::Copied && !m_fs.SetModTime(out, source.mtime, source.mtimeNsec))
        result = SystemFailure(FileCopyResult::WriteFailed);
    m_fs.Close(in);
    // A failed close can mean that written data never reached the disk.
    if (!m_fs.Close(out) && result == FileCopyResult::Copied) result = SystemFailure(FileCopyResult::WriteFailed);

    if (result == FileCopyResult::Copied) {
        // The copy carries the source's time; if the source moved on while it
        // was read, the two would no longer belong together.
        FileStatus sourceAfter;
        if (!m_fs.GetStatus(request.sourcePath, sourceAfter) || !SameVersion(source, sourceAfter))
            result = FileCopyResult::SourceChanged;
    }
    if (result == FileCopyResult::Copied) {
        // Narrow the window in which a change at the destination would be
        // overwritten unseen: look once more right before replacing it.
        FileStatus destinationNow;
        const bool existsNow = m_fs.GetLinkStatus(request.destinationPath, destinationNow);
        if (existsNow != destinationExists || (existsNow && !SameVersion(destination, destinationNow)))
            result = FileCopyResult::DestinationChanged;
    }
    if (result == FileCopyResult::Copied && !m_fs.Rename(tempPath, request.destinationPath))
        result = SystemFailure(FileCopyResult::WriteFailed);

    if (result != FileCopyResult::Copied) m_fs.Remove(tempPath);
    return result;
}

FileCopyResult FileCopier::CheckDestination(const FileCopyRequest& request, FileStatus& seen, bool& exists) {
    exists = m_fs.GetLinkStatus(request.destinationPath, seen);
    if (!exists)
        return request.comparedDestinationTime == 0 ? FileCopyResult::Copied : FileCopyResult::DestinationChanged;
    // Replacing a link by a plain file would silently cut it from its target.
    if (seen.isLink || !seen.isFile) return FileCopyResult::DestinationProtected;
    if (seen.mtime != request.comparedDestinationTime) return FileCopyResult::DestinationChanged;
    // The mode bits count as well as access(): running as root, access()
    // grants writing to a file that its owner protected.
    if (IsReadOnly(seen) || !m_fs.IsWritable(request.destinationPath)) return FileCopyResult::DestinationProtected;
    return FileCopyResult::Copied;
}

FileHandle FileCopier::CreateTemporary(const std::string& dir, unsigned mode, std::string& tempPath) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = JoinPath(dir, MakeCopyTempName());
        const FileHandle h = m_fs.Create(tempPath, true, mode);
        if (h != kInvalidHandle) return h;
        // Only a clash with an existing name is worth another try.
        FileStatus st;
        if (!m_fs.GetLinkStatus(tempPath, st)) break;
    }
    return kInvalidHandle;
}

FileCopyResult FileCopier::CopyContent(FileHandle in, FileHandle out, std::uint64_t expectedSize,
                                       const FileBytesHandler& onBytes, std::uint64_t& copied) {
    // The kernel copies up to the size seen before opening. A source that
    // grew meanwhile is caught by the status check after the copy, so asking
    // once more only to hear "end of file" would cost a call per file.
    while (copied < expectedSize) {
        const long long n = m_fs.CopyChunk(in, out, kChunkBytes);
        if (n == kCopyUnsupported) return CopyByReadWrite(in, out, onBytes, copied);
        if (n < 0) return SystemFailure(FileCopyResult::WriteFailed);
        // Some file systems report 0 before the end; the plain loop then
        // finds out whether there is more.
        if (n == 0) return CopyByReadWrite(in, out, onBytes, copied);
        copied += static_cast<std::uint64_t>(n);
        if (onBytes) onBytes(copied);
    }
    return FileCopyResult::Copied;
}

FileCopyResult FileCopier::CopyByReadWrite(FileHandle in, FileHandle out, const FileBytesHandler& onBytes,
                                           std::uint64_t& copied) {
    if (!m_buffer) m_buffer.reset(new char[kBufferBytes]);
    for (;;) {
        const long long n = m_fs.Read(in, m_buffer.get(), kBufferBytes);
        if (n < 0) return SystemFailure(FileCopyResult::ReadFailed);
        if (n == 0) return FileCopyResult::Copied;
        if (!WriteAll(m_fs, out, m_buffer.get(), static_cast<std::size_t>(n))) return SystemFailure(FileCopyResult::WriteFailed);
        copied += static_cast<std::uint64_t>(n);
        if (onBytes) onBytes(copied);
    }
}
