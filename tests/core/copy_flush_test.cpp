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
// in their status). Every flush is written down as "fs <folder>" or
// "dir <folder>" (below root); the one named `fail` fails with EIO.
class TwoFileSystems : public ForwardingFileSystem {
public:
    TwoFileSystems(std::string root, std::string other, std::string fail)
        : m_root(std::move(root)), m_other(std::move(other)), m_fail(std::move(fail)) {}

    bool GetStatus(const std::string& path, FileStatus& st) override {
        if (!m_target.GetStatus(path, st)) return false;
        if (st.isDirectory && path.starts_with(m_other)) st.device = kOtherDevice;
        return true;
    }
    bool SyncFileSystem(const std::string& dir) override {
        return Flush("fs ", dir) && m_target.SyncFileSystem(dir);
    }
    bool SyncDirectory(const std::string& dir) override {
        return Flush("dir ", dir) && m_target.SyncDirectory(dir);
    }

    std::vector<std::string> flushes;

private:
    bool Flush(const std::string& kind, const std::string& dir) {
        std::string name = dir.substr(m_root.size() + 1);
        std::replace(name.begin(), name.end(), kPathSeparator, '/');  // the cases are written with '/'
        flushes.push_back(kind + name);
        if (flushes.back() != m_fail) return true;
        errno = EIO;
        return false;
    }

    std::string m_root;
    std::string m_other;
    std::string m_fail;
};

struct FlushCase {
    const char* name;
    Durability durability;
    const char* fail;                  // the flush that fails; "" none
    std::vector<std::string> events;   // per row, in row order
    std::vector<std::string> flushes;  // sorted
};

void PrintTo(const FlushCase& c, std::ostream* os) { *os << c.name; }

class CopyFlush : public testing::TestWithParam<FlushCase> {};

// Five new files in one batch: three folders of B (two of them made by the
// run), and one folder of D, which lies on another file system. A file is
// reported copied only when its data and its name (and the entry of a
// folder made for it) were flushed.
TEST_P(CopyFlush, AsFewFlushesAsTheFileSystemsAllowAndNoFailureReportedAsCopied) {
    const FlushCase& c = GetParam();
    TempDir t;
    const std::vector<std::string> rows = {"d1/f", "d1/g", "d2/h", "new/sub/i", "e/j"};
    for (const char* folder : {"A/d1", "A/d2", "A/new", "A/new/sub", "B", "B/d1", "B/d2", "C", "C/e", "D", "D/e"})
        t.MakeDir(folder);
    CopyTables tables;
    tables.AddPair(t / "A", t / "B");
    tables.AddPair(t / "C", t / "D");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int pair = r == 4 ? 1 : 0;
        WriteFile(t / ((pair == 0 ? "A/" : "C/") + rows[r]), rows[r], kNew);
        tables.AddEntry(pair, rows[r], kNew, 0);
    }
    TwoFileSystems fs(t.path(), t / "D", c.fail);
    RecordingObserver observer;
    CopyOptions options;
    options.durability = c.durability;

    tables.CopyAll(fs, observer, options);

    std::vector<std::string> results;
    for (const std::string& e : observer.events)
        if (!e.starts_with("start ")) results.push_back(e);
    EXPECT_EQ(results, c.events);
    for (const int error : observer.errors) EXPECT_EQ(error, EIO);
    std::vector<std::string> flushes = fs.flushes;
    std::sort(flushes.begin(), flushes.end());
    EXPECT_EQ(flushes, c.flushes);
    // A file whose data was not flushed never replaces anything.
    EXPECT_EQ(FileExists(t / "D/e/j"), c.fail != std::string("fs D/e"));
    EXPECT_EQ(TempLeftovers(t / "D/e"), "");
}

const std::vector<std::string> kAllCopied = {"copied 0", "copied 1", "copied 2", "copied 3", "copied 4"};
// Data: one flush per file system, named by its first folder. Names: one
// flush for B's file system (five folders changed), D's one folder alone.
const std::vector<std::string> kGrouped = {"dir D/e", "fs B", "fs B/d1", "fs D/e"};
const std::vector<std::string> kEachFolder = {"dir B",     "dir B/d1",      "dir B/d2",
                                              "dir B/new", "dir B/new/sub", "dir D/e"};

INSTANTIATE_TEST_SUITE_P(
    Failures, CopyFlush,
    testing::Values(
        FlushCase{"FileSystemsNothingFails", Durability::FileSystem, "", kAllCopied, kGrouped},
        FlushCase{"DataOfTheOtherFileSystem", Durability::FileSystem, "fs D/e",
                  {"copied 0", "copied 1", "copied 2", "copied 3", "failed 4"}, {"fs B", "fs B/d1", "fs D/e"}},
        FlushCase{"NamesOfAFileSystem", Durability::FileSystem, "fs B",
                  {"failed 0", "failed 1", "failed 2", "failed 3", "copied 4"}, kGrouped},
        FlushCase{"NamesOfALoneFolder", Durability::FileSystem, "dir D/e",
                  {"copied 0", "copied 1", "copied 2", "copied 3", "failed 4"}, kGrouped},
        FlushCase{"EachFileNothingFails", Durability::EachFile, "", kAllCopied, kEachFolder},
        FlushCase{"EachFileNamesOfOneFolder", Durability::EachFile, "dir B/d2",
                  {"copied 0", "copied 1", "failed 2", "copied 3", "copied 4"}, kEachFolder},
        // The folder made for the file has its entry in B/new.
        FlushCase{"EachFileNamesAboveAFolderMade", Durability::EachFile, "dir B/new",
                  {"copied 0", "copied 1", "copied 2", "failed 3", "copied 4"}, kEachFolder}),
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
