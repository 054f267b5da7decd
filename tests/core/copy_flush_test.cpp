// The flushes of a batch: one per file system for the data, one per folder
// whose names changed, and a failed flush never reported as a durable copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "copy_test_helpers.h"
#include "core/copy_flush.h"
#include "support/forwarding_fs.h"

namespace {

constexpr FileTime kNew = 1600000000;
constexpr std::uint64_t kOtherDevice = 0xD15C;

// The folders below `other` stand for a second file system (another device
// in their status); the flushes are written down, and the ones named fail
// with EIO.
class TwoFileSystems : public ForwardingFileSystem {
public:
    TwoFileSystems(std::string other, bool failOtherData, std::string failNamesIn)
        : m_other(std::move(other)), m_failOtherData(failOtherData), m_failNamesIn(std::move(failNamesIn)) {}

    bool GetStatus(const std::string& path, FileStatus& st) override {
        if (!m_target.GetStatus(path, st)) return false;
        if (st.isDirectory && OnOther(path)) st.device = kOtherDevice;
        return true;
    }
    bool SyncFileSystem(const std::string& dir) override {
        dataFlushes.push_back(dir);
        if (m_failOtherData && OnOther(dir)) return Fail();
        return m_target.SyncFileSystem(dir);
    }
    bool SyncDirectory(const std::string& dir) override {
        nameFlushes.push_back(dir);
        if (dir == m_failNamesIn) return Fail();
        return m_target.SyncDirectory(dir);
    }

    std::vector<std::string> dataFlushes;
    std::vector<std::string> nameFlushes;

private:
    bool OnOther(const std::string& path) const { return path.starts_with(m_other); }
    static bool Fail() {
        errno = EIO;
        return false;
    }

    std::string m_other;
    bool m_failOtherData;
    std::string m_failNamesIn;
};

struct FlushCase {
    const char* name;
    bool failOtherData;         // the data flush of the second file system fails
    const char* failNamesIn;    // the folder (below the run's folder) whose name flush fails; "" none
    std::vector<std::string> events;  // per row, in row order
};

void PrintTo(const FlushCase& c, std::ostream* os) { *os << c.name; }

class CopyFlush : public testing::TestWithParam<FlushCase> {};

// Five new files in one batch: three folders of B (two of them made by the
// run), and one folder of D, which lies on another file system.
TEST_P(CopyFlush, OneDataFlushPerFileSystemAndNoFailureReportedAsCopied) {
    const FlushCase& c = GetParam();
    TempDir t;
    const std::vector<std::string> rows = {"d1/f", "d1/g", "d2/h", "new/sub/i", "e/j"};
    for (const char* folder : {"A/d1", "A/d2", "A/new", "A/new/sub", "B", "B/d1", "B/d2", "C", "C/e", "D",
                                      "D/e"})
        t.MakeDir(folder);
    CopyTables tables;
    tables.AddPair(t / "A", t / "B");
    tables.AddPair(t / "C", t / "D");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int pair = r == 4 ? 1 : 0;
        WriteFile(t / ((pair == 0 ? "A/" : "C/") + rows[r]), rows[r], kNew);
        tables.AddEntry(pair, rows[r], kNew, 0);
    }
    TwoFileSystems fs(t / "D", c.failOtherData, *c.failNamesIn ? t / c.failNamesIn : "");
    RecordingObserver observer;
    CopyOptions options;
    options.durability = Durability::FileSystem;

    tables.CopyAll(fs, observer, options);

    std::vector<std::string> results;
    for (const std::string& e : observer.events)
        if (!e.starts_with("start ")) results.push_back(e);
    EXPECT_EQ(results, c.events);
    for (const int error : observer.errors) EXPECT_EQ(error, EIO);
    EXPECT_EQ(fs.dataFlushes.size(), 2u) << "one for B's file system, one for D's";
    std::vector<std::string> named = fs.nameFlushes;
    std::sort(named.begin(), named.end());
    std::vector<std::string> changed = {t / "B", t / "B/d1", t / "B/d2", t / "B/new", t / "B/new/sub"};
    if (!c.failOtherData) changed.push_back(t / "D/e");
    EXPECT_EQ(named, changed) << "the folders whose entries changed, each once";
    // A file whose data was not flushed never replaces anything.
    EXPECT_EQ(FileExists(t / "D/e/j"), !c.failOtherData);
    EXPECT_EQ(TempLeftovers(t / "D/e"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CopyFlush,
    testing::Values(
        FlushCase{"NothingFails", false, "", {"copied 0", "copied 1", "copied 2", "copied 3", "copied 4"}},
        FlushCase{"DataOfTheOtherFileSystem", true, "", {"copied 0", "copied 1", "copied 2", "copied 3", "failed 4"}},
        FlushCase{"NamesOfOneFolder", false, "B/d2", {"copied 0", "copied 1", "failed 2", "copied 3", "copied 4"}},
        // The folder made for the file has its entry in B/new.
        FlushCase{"NamesAboveAFolderMade", false, "B/new",
                  {"copied 0", "copied 1", "copied 2", "failed 3", "copied 4"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FailedFlushAbove, OnlyTheFolderItselfAndThoseAboveIt) {
    const FlushFailures failures = {{"/x/b/new", EIO}, {"/y/", ENOSPC}};
    EXPECT_EQ(FailedFlushAbove(failures, "/x/b/new"), EIO);
    EXPECT_EQ(FailedFlushAbove(failures, "/x/b/new/sub"), EIO);
    EXPECT_EQ(FailedFlushAbove(failures, "/x/b/newer"), 0) << "a sibling with the same beginning";
    EXPECT_EQ(FailedFlushAbove(failures, "/x/b"), 0);
    EXPECT_EQ(FailedFlushAbove(failures, "/y/z"), ENOSPC);
}

}  // namespace
