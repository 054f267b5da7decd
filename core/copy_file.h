// The copy of one file, done so that nothing is lost: the new content goes
// into a temporary file beside the destination, which then replaces the
// destination in one step. Whatever fails, source and destination are left
// exactly as they were and the temporary file is removed.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/filesystem.h"
#include "core/records.h"

enum class FileCopyResult {
    Copied,
    SourceUnavailable,     // gone, not a regular file, or cannot be opened
    SourceChanged,         // modified while it was being copied
    DestinationChanged,    // not the file that the comparison saw (or no longer absent)
    DestinationProtected,  // read-only, a directory or another non-file, or a link
    ReadFailed,
    WriteFailed,           // creating, writing, stamping, closing or renaming the new copy
    Stopped,               // abandoned because the user stopped the run
};

struct FileCopyRequest {
    std::string sourcePath;
    std::string destinationDir;
    std::string destinationPath;
    // Modification time in seconds that the comparison saw at the destination;
    // 0 when it saw no file there.
    FileTime comparedDestinationTime = 0;
};

// Bytes of this file copied so far.
using FileBytesHandler = std::function<void(std::uint64_t copied)>;

// Copies files one after another. One object serves a whole run, so the
// fallback buffer is allocated at most once.
class FileCopier {
public:
    // Largest request handed to the kernel copy at once; also the step of the
    // progress reports.
    static constexpr std::size_t kChunkBytes = 8u << 20;
    // The buffer of the read/write loop, used where the kernel cannot copy.
    static constexpr std::size_t kBufferBytes = 1u << 20;

    explicit FileCopier(FileSystem& fs) : m_fs(fs) {}

    FileCopyResult Copy(const FileCopyRequest& request, const FileBytesHandler& onBytes = {});
    // errno of the call that made the last Copy fail; 0 when none failed.
    int LastError() const { return m_error; }
    void ClearError() { m_error = 0; }

private:
    // Records errno of the system call that just failed and returns result.
    FileCopyResult SystemFailure(FileCopyResult result) {
        m_error = errno;
        return result;
    }
    FileCopyResult CheckDestination(const FileCopyRequest& request, FileStatus& seen, bool& exists);
    FileHandle CreateTemporary(const std::string& dir, unsigned mode, std::string& tempPath);
    FileCopyResult CopyContent(FileHandle in, FileHandle out, std::uint64_t expectedSize,
                               const FileBytesHandler& onBytes, std::uint64_t& copied);
    FileCopyResult CopyByReadWrite(FileHandle in, FileHandle out, const FileBytesHandler& onBytes,
                                   std::uint64_t& copied);

    FileSystem& m_fs;
    std::unique_ptr<char[]> m_buffer;
    int m_error = 0;
};

// ".zoruna~<unique>.tmp": a name that no other run or process picks.
std::string MakeCopyTempName();
