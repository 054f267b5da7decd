// An in-memory FileSystem for table-driven tests of the comparison: the
// directories, their entries in listing order, modification times, and the
// listings and status queries that fail. Only listing and status are offered;
// every other call fails. Listing and status may be called from several
// threads at once.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/filesystem.h"

class MemoryFileSystem : public FileSystem {
public:
    enum class Kind { File, Directory, Other };

    // An empty directory that lists successfully.
    void AddDir(const std::string& dir);
    // An entry of dir (created when missing), listed after the earlier ones.
    void Add(const std::string& dir, const std::string& name, FileTime mtime, Kind kind = Kind::File);
    // The status query of dir + "/" + name fails although the entry is listed.
    void FailStatus(const std::string& dir, const std::string& name);

    // dir keeps modification times in steps of this many seconds.
    void SetTimeGranularity(const std::string& dir, int seconds) { m_granularity[dir] = seconds; }

    // Every directory that was listed and every path whose status was asked,
    // in the order of the calls.
    const std::vector<std::string>& listed() const { return m_listed; }
    const std::vector<std::string>& queried() const { return m_queried; }

    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override;
    bool GetStatus(const std::string& path, FileStatus& st) override;
    int TimeGranularity(const std::string& dir) override {
        const auto it = m_granularity.find(dir);
        return it == m_granularity.end() ? 1 : it->second;
    }

    FileHandle OpenRead(const std::string&) override { return kInvalidHandle; }
    FileHandle Create(const std::string&, bool, unsigned) override { return kInvalidHandle; }
    long long Read(FileHandle, void*, std::size_t) override { return -1; }
    long long Write(FileHandle, const void*, std::size_t) override { return -1; }
    long long CopyChunk(FileHandle, FileHandle, std::size_t) override { return -1; }
    bool SetMode(FileHandle, unsigned) override { return false; }
    bool SetTimes(FileHandle, FileTime, std::int32_t, FileTime, std::int32_t) override { return false; }
    bool Close(FileHandle) override { return false; }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool IsWritable(const std::string&) override { return false; }

private:
    struct Entry {
        std::string name;
        FileTime mtime;
        Kind kind;
    };

    std::map<std::string, std::vector<Entry>> m_dirs;
    std::set<std::string> m_failingStatus;
    std::map<std::string, int> m_granularity;  // full paths
    std::mutex m_callsMutex;  // the comparison lists from several threads
    std::vector<std::string> m_listed;
    std::vector<std::string> m_queried;
};
