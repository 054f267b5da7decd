#include "core/copy_flush.h"

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

int LastError() { return errno != 0 ? errno : EIO; }

}  // namespace

FlushFailures SyncFileSystemsOf(FileSystem& fs, const std::set<std::string>& dirs) {
    // The folders of each file system; a folder of unknown device is a group
    // of its own.
    std::map<std::uint64_t, std::vector<const std::string*>> byDevice;
    std::vector<const std::string*> unknown;
    for (const std::string& dir : dirs) {
        FileStatus st;
        // A single folder is its file system's only one: no need to ask.
        if (dirs.size() > 1 && fs.GetStatus(dir, st)) byDevice[st.device].push_back(&dir);
        else unknown.push_back(&dir);
    }
    FlushFailures failures;
    const auto flush = [&](const std::vector<const std::string*>& group) {
        errno = 0;
        if (fs.SyncFileSystem(*group.front())) return;
        const int error = LastError();
        for (const std::string* dir : group) failures.emplace(*dir, error);
    };
    for (const auto& [device, group] : byDevice) flush(group);
    for (const std::string* dir : unknown) flush({dir});
    return failures;
}

FlushFailures SyncDirectories(FileSystem& fs, const std::set<std::string>& dirs) {
    FlushFailures failures;
    for (const std::string& dir : dirs) {
        errno = 0;
        if (!fs.SyncDirectory(dir)) failures.emplace(dir, LastError());
    }
    return failures;
}

int FailedFlushAbove(const FlushFailures& failures, const std::string& dir) {
    const std::string_view d(dir);
    for (const auto& [failed, error] : failures) {
        if (!d.starts_with(failed)) continue;
        if (d.size() == failed.size() || failed.ends_with(kPathSeparator) || d[failed.size()] == kPathSeparator)
            return error;
    }
    return 0;
}
