// A comparison's progress reports and its stop, on one thread and on a pool:
// a stopped run says so, reports no failure of what it did not list, and
// ends; a finished one reports what it listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/compare.h"
#include "support/memory_fs.h"
#include "support/run_observers.h"
#include "support/temp_dir.h"

namespace {

// Stops once a chosen directory has been listed, or from the start.
class StoppingObserver : public FailureCollector {
public:
    bool StopRequested() override { return stop.load(); }
    void OnListingProgress(const ListingProgress& progress) override { reports.push_back(progress); }

    std::atomic<bool> stop{false};
    std::vector<ListingProgress> reports;
};

class StopAfterListing : public MemoryFileSystem {
public:
    StopAfterListing(std::string dir, StoppingObserver& observer) : m_dir(std::move(dir)), m_observer(observer) {}

    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        const bool listed = MemoryFileSystem::ListDirectory(dir, out);
        if (dir == m_dir) m_observer.stop = true;
        return listed;
    }

private:
    std::string m_dir;
    StoppingObserver& m_observer;
};

void SetPair(DirPairTable& table, int p, const char* a, const char* b) {
    std::strcpy(table.pairs[p].dirA, a);
    std::strcpy(table.pairs[p].dirB, b);
    table.count = std::max(table.count, p + 1);
}

struct StopCase {
    const char* name;
    const char* stopAfter;  // the directory whose listing asks to stop; empty: from the start, null: never
    int workers;
    bool stopped;
    int entries;  // rows in the table afterwards; -1: as far as the pool had come
    // The last report's counts, for a run that ends: exact on one thread; a
    // pool may also have listed B where A failed, before the run ended.
    std::uint64_t folders = 0, files = 0;
};

class CompareStop : public ::testing::TestWithParam<StopCase> {};

TEST_P(CompareStop, EndsSaysSoAndReportsNothingItDidNotList) {
    const StopCase& c = GetParam();
    StoppingObserver observer;
    StopAfterListing fs(c.stopAfter ? c.stopAfter : "", observer);
    if (c.stopAfter && !*c.stopAfter) observer.stop = true;
    // Pair 0 differs by one file, pair 1 is in step, pair 2 cannot be listed.
    fs.Add("/a0", "x", 10);
    fs.Add("/a0", "same", 10);
    fs.Add("/b0", "same", 10);
    fs.Add("/a1", "y", 10);
    fs.Add("/b1", "y", 10);
    fs.Add("/b2", "z", 10);
    DirPairTable table{};
    SetPair(table, 0, "/a0", "/b0");
    SetPair(table, 1, "/a1", "/b1");
    SetPair(table, 2, "/missing", "/b2");
    const auto diffs = std::make_unique<DiffTable>();
    CompareOptions options;
    options.workers = c.workers;

    const CompareSummary summary = CompareAll(table, *diffs, fs, observer, options);

    EXPECT_EQ(summary.stopped, c.stopped);
    if (c.entries >= 0) {
        EXPECT_EQ(diffs->count, c.entries);
    }
    // What a stop left unlisted is no failure; a finished run meets /missing.
    EXPECT_EQ(observer.failures.size(), c.stopped ? 0u : 1u);
    ASSERT_FALSE(observer.reports.empty()) << "the last report comes at the end";
    if (!c.stopped && c.workers == 1) {
        EXPECT_EQ(observer.reports.back().folders, c.folders);
        EXPECT_EQ(observer.reports.back().files, c.files);
    } else if (!c.stopped) {
        EXPECT_GE(observer.reports.back().folders, c.folders);
        EXPECT_GE(observer.reports.back().files, c.files);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareStop,
    ::testing::Values(StopCase{"NeverOneThread", nullptr, 1, false, 1, 4, 5},
                      StopCase{"NeverPool", nullptr, 4, false, 1, 4, 5},
                      StopCase{"FromTheStartOneThread", "", 1, true, 0}, StopCase{"FromTheStartPool", "", 4, true, 0},
                      StopCase{"InSecondPairOneThread", "/a1", 1, true, 1},
                      // The pool lists ahead: pair 0 may or may not be compared yet.
                      StopCase{"InSecondPairPool", "/a1", 4, true, -1}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

// A stop reaches a listing in progress between its entries.
TEST(ListFilesIn, StopsBetweenEntries) {
    TempDir dir;
    for (int i = 0; i < 3; ++i) WriteFile(dir / ("f" + std::to_string(i)), "");
    FileSystem& fs = RealFileSystem();
    const DirectoryHandle handle = fs.OpenDirectory(dir.path());
    ASSERT_TRUE(handle);
    FileListing files;
    std::atomic<bool> stop{false};
    EXPECT_TRUE(fs.ListFilesIn(handle, dir.path(), files, nullptr, &stop));
    EXPECT_EQ(files.size(), 3u);
    stop = true;
    errno = 0;
    EXPECT_FALSE(fs.ListFilesIn(handle, dir.path(), files, nullptr, &stop));
    EXPECT_EQ(errno, ECANCELED);
    EXPECT_EQ(files.size(), 0u) << "a listing cut short is not the directory's content";
}

}  // namespace
