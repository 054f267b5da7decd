// Handles of the copy that clean up on every way out, an exception from an
// observer included: an open file or directory is closed, a temporary file is
// removed unless it was committed.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/filesystem.h"
#include "core/handle_guard.h"
#include "core/reached_directory.h"

using SharedDirectory = std::shared_ptr<const ReachedDirectory>;

// The directories of a run, each opened once and shared by the files copied
// in it. The last few used stay open for the files that follow; one that
// drops out closes when the last copy still holding it is done.
class DirectoryCache {
public:
    explicit DirectoryCache(FileSystem& fs) : m_fs(fs) {}

    // A pair's directory top, or with rel the directory below it reached
    // without links (its error() says when it could not be).
    SharedDirectory Get(const std::string& top, const std::string& rel = {}) {
        const auto it = std::find_if(m_recent.begin(), m_recent.end(),
                                     [&](const Entry& e) { return e.top == top && e.rel == rel; });
        if (it != m_recent.end()) {
            std::rotate(it, it + 1, m_recent.end());
            return m_recent.back().dir;
        }
        SharedDirectory dir;
        if (rel.empty()) {
            dir = std::make_shared<const ReachedDirectory>(m_fs, top);
        } else {
            const SharedDirectory base = Get(top);
            dir = std::make_shared<const ReachedDirectory>(m_fs, *base, rel);
        }
        if (m_recent.size() >= kKept) m_recent.erase(m_recent.begin());
        m_recent.push_back({top, rel, dir});
        return dir;
    }

private:
    // Source and destination of a pair with a folder of each, and those of
    // the pair before or after it while a run crosses from one to the next.
    static constexpr std::size_t kKept = 8;

    struct Entry {
        std::string top;
        std::string rel;
        SharedDirectory dir;
    };

    FileSystem& m_fs;
    std::vector<Entry> m_recent;  // the latest used last
};

// A temporary file by its name in an open directory, which it keeps open,
// and the handle that holds the file's lock while it lives.
class TempFileGuard {
public:
    TempFileGuard() = default;
    TempFileGuard(FileSystem& fs, SharedDirectory dir, std::string name, FileHandle lock = kInvalidHandle)
        : m_fs(&fs), m_dir(std::move(dir)), m_name(std::move(name)), m_lock(lock) {}
    TempFileGuard(TempFileGuard&& other) noexcept
        : m_fs(other.m_fs),
          m_dir(std::move(other.m_dir)),
          m_name(std::exchange(other.m_name, std::string())),
          m_lock(std::exchange(other.m_lock, kInvalidHandle)) {}
    TempFileGuard& operator=(TempFileGuard&& other) noexcept {
        if (this != &other) {
            Discard();
            m_fs = other.m_fs;
            m_dir = std::move(other.m_dir);
            m_name = std::exchange(other.m_name, std::string());
            m_lock = std::exchange(other.m_lock, kInvalidHandle);
        }
        return *this;
    }
    TempFileGuard(const TempFileGuard&) = delete;
    ~TempFileGuard() { Discard(); }

    const std::string& name() const { return m_name; }
    // The file now lives on under another name: nothing left to remove.
    void Commit() {
        m_name.clear();
        ReleaseLock();
    }

private:
    void Discard() {
        // A folder that refuses the removal (made append-only meanwhile)
        // keeps the name; emptied, it hides no copy of the data there.
        if (!m_name.empty() && !m_fs->RemoveAt(m_dir->handle(), m_dir->path(), m_name) && errno != ENOENT)
            m_fs->EmptyFileAt(m_dir->handle(), m_dir->path(), m_name);
        m_name.clear();
        // Only once the file is gone: unlocked, it would pass for a leftover.
        ReleaseLock();
    }
    void ReleaseLock() {
        if (m_lock != kInvalidHandle) m_fs->Close(std::exchange(m_lock, kInvalidHandle));
    }

    FileSystem* m_fs = nullptr;
    SharedDirectory m_dir;
    std::string m_name;
    FileHandle m_lock = kInvalidHandle;
};
