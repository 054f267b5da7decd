// Shared pieces of the copy tests: tables built by hand, an observer that
// writes down what it is told, and looks at files the copy may have touched.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/failure_text.h"
#include "core/copy.h"
#include "core/mbtext.h"
#include "core/temp_name.h"
#include "support/temp_dir.h"

struct CopyTables {
    std::unique_ptr<DirPairTable> pairs = std::make_unique<DirPairTable>();
    std::unique_ptr<DiffTable> diffs = std::make_unique<DiffTable>();

    void AddPair(const std::string& dirA, const std::string& dirB) {
        DirPair& p = pairs->pairs[pairs->count++];
        CopyText(p.dirA, sizeof p.dirA, dirA);
        CopyText(p.dirB, sizeof p.dirB, dirB);
    }
    void AddEntry(int pair, const std::string& name, FileTime timeA, FileTime timeB,
                  const std::string& nameB = "") {
        DiffEntry& e = diffs->entries[diffs->count++];
        e.pairIndex = static_cast<std::uint8_t>(pair);
        CopyText(e.name, sizeof e.name, name);
        CopyText(e.nameB, sizeof e.nameB, nameB);
        e.timeA = timeA;
        e.timeB = timeB;
        // In these tables a time of 0 stands for "no file on that side".
        e.inA = timeA != 0;
        e.inB = timeB != 0;
    }
    CopyRunSummary CopyRows(const std::set<int>& selected, FileSystem& fs, RunObserver& observer,
                            const CopyOptions& options = {}) const {
        return CopySelectedFiles(*pairs, *diffs, diffs->count,
                                 [&](int r) { return selected.count(r) > 0; }, fs, observer, options);
    }
    CopyRunSummary CopyAll(FileSystem& fs, RunObserver& observer, const CopyOptions& options = {}) const {
        return CopySelectedFiles(*pairs, *diffs, diffs->count, [](int) { return true; }, fs, observer, options);
    }
};

class RecordingObserver : public RunObserver {
public:
    void OnFileStart(int row, const DiffEntry& entry, const char* fromDir, const char* toDir) override {
        events.push_back("start " + std::to_string(row) + " " + entry.name + " " + fromDir + " -> " + toDir);
    }
    void OnProgress(std::uint64_t done, std::uint64_t total) override { progress.push_back({done, total}); }
    void OnCopied(int row, const DiffEntry&) override { events.push_back("copied " + std::to_string(row)); }
    void OnFailure(int row, const DiffEntry& entry, FileCopyResult reason, int error) override {
        events.push_back("failed " + std::to_string(row));
        messages.push_back(FormatCopyFailure(entry.name));
        errors.push_back(error);
        reasons.push_back(reason);
    }

    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<int> errors;
    std::vector<FileCopyResult> reasons;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
};

// Names of leftover temporary files in dir, space-separated.
inline std::string TempLeftovers(const std::string& dir) {
    std::string found;
    std::vector<DirEntry> entries;
    RealFileSystem().ListDirectory(dir, entries);
    for (const auto& e : entries)
        if (IsCopyTempName(e.name)) found += e.name + " ";
    return found;
}

inline struct stat StatOf(const std::string& path) {
    struct stat s {};
    ::stat(path.c_str(), &s);
    return s;
}

inline unsigned ModeOf(const std::string& path) { return StatOf(path).st_mode & 07777; }
