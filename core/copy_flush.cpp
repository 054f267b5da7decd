#include "core/copy_flush.h"

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

int LastError() { return errno != 0 ? errno : EIO; }

using FolderGroups = std::vector<std::vector<const std::string*>>;

// dirs grouped by the file system that holds them, known by the device of
// each folder; a folder whose status cannot be read is a group of its own.
FolderGroups ByFileSystem(FileSystem& fs, const std::set<std::string>& dirs) {
    std::map<std::uint64_t, std::vector<const std::string*>> byDevice;
    FolderGroups groups;
    for (const std::string& dir : dirs) {
        FileStatus st;
        // A single folder is its file system's only one: no need to ask.
        if (dirs.size() > 1 && fs.GetStatus(dir, st))
            byDevice[st.device].push_back(&dir);
        else
            groups.push_back({&dir});
    }
    for (auto& [device, group] : byDevice) groups.push_back(std::move(group));
    return groups;
}

// Runs one flush for a group; on failure every folder of it is recorded.
template <class Flush>
void FlushGroup(const std::vector<const std::string*>& group, FlushFailures& failures, Flush flush) {
    errno = 0;
    if (flush()) return;
    const int error = LastError();
    for (const std::string* dir : group) failures.emplace(*dir, error);
}

}  // namespace

FlushFailures SyncFileSystemsOf(FileSystem& fs, const std::set<std::string>& dirs) {
    FlushFailures failures;
    for (const auto& group : ByFileSystem(fs, dirs))
        FlushGroup(group, failures, [&] { return fs.SyncFileSystem(*group.front()); });
    return failures;
}

FlushFailures SyncChangedFolders(FileSystem& fs, const std::set<std::string>& dirs) {
    FlushFailures failures;
    for (const auto& group : ByFileSystem(fs, dirs))
        FlushGroup(group, failures, [&] {
            return group.size() == 1 ? fs.SyncDirectory(*group.front()) : fs.SyncFileSystem(*group.front());
        });
    return failures;
}

FlushFailures SyncDirectories(FileSystem& fs, const std::set<std::string>& dirs) {
    FlushFailures failures;
    for (const std::string& dir : dirs) FlushGroup({&dir}, failures, [&] { return fs.SyncDirectory(dir); });
    return failures;
}

int FailedFlushAbove(const FlushFailures& failures, const std::string& dir) {
    const std::string_view d(dir);
    for (const auto& [failed, error] : failures) {
        if (!d.starts_with(failed)) continue;
        if (d.size() == failed.size() || (!failed.empty() && IsPathSeparator(failed.back())) ||
            IsPathSeparator(d[failed.size()]))
            return error;
    }
    return 0;
}
