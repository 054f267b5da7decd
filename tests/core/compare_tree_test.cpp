// Pairs that compare whole trees: the order and naming of the rows over a
// scripted tree, and real trees on disk (masks, links, unreadable folders,
// case-only differences, paths too long for a row).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/compare.h"
#include "support/forwarding_fs.h"
#include "support/memory_fs.h"
#include "support/temp_dir.h"
#include "support/run_observers.h"

namespace {

using Kind = MemoryFileSystem::Kind;

struct TreeRun {
    std::vector<std::string> rows;      // "name|nameB|sides", sides "A", "B" or "AB"
    std::vector<std::string> failures;  // "side failedDir | otherDir | errno"
};

TreeRun CompareTree(FileSystem& fs, const std::string& a, const std::string& b, bool subdirs = true,
                    const std::vector<std::string>& masks = {}) {
    DirPairTable table{};
    table.count = 1;
    DirPair& pair = table.pairs[0];
    std::strcpy(pair.dirA, a.c_str());
    std::strcpy(pair.dirB, b.c_str());
    pair.subdirs = subdirs;
    for (std::size_t i = 0; i < masks.size(); ++i) std::strcpy(pair.masks[i], masks[i].c_str());
    const auto diffs = std::make_unique<DiffTable>();
    TreeRun run;
    FailureCollector observer([&](const ListingFailure& f) {
        run.failures.push_back(std::string(f.failedSide == PairSide::A ? "A " : "B ") + f.failedDir + " | " +
                               f.otherDir + " | " + std::to_string(f.error));
    });
    CompareAll(table, *diffs, fs, observer);
    for (int i = 0; i < diffs->count; ++i) {
        const DiffEntry& e = diffs->entries[i];
        run.rows.push_back(std::string(e.name) + "|" + e.nameB + "|" + (e.inA ? "A" : "") + (e.inB ? "B" : ""));
    }
    return run;
}

// CompareTree on the real file system; as root, in a child process that
// runs as the user nobody and sends its rows and failures back through a pipe.
// Nothing when nobody cannot reach the folders at all.
std::optional<TreeRun> CompareAsOtherUser(const std::string& a, const std::string& b) {
    if (geteuid() != 0) return CompareTree(RealFileSystem(), a, b);
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        if (access(a.c_str(), R_OK | X_OK) != 0 || access(b.c_str(), R_OK | X_OK) != 0) _exit(4);
        const TreeRun run = CompareTree(RealFileSystem(), a, b);
        std::string text;
        for (const std::string& row : run.rows) text += "R" + row + "\n";
        for (const std::string& failure : run.failures) text += "F" + failure + "\n";
        _exit(write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 3);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 4) return std::nullopt;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child as nobody: " << status;
    TreeRun run;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        (text[at] == 'R' ? run.rows : run.failures).push_back(text.substr(at + 1, end - at - 1));
    return run;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// The rows come directory by directory, depth first: a directory's files (A's
// in listing order, then those only in B), then its subdirectories (A's, then
// those only in B). Folders that differ only in case are one folder; a row
// keeps B's spelling wherever it differs, since the copy writes there.
TEST(CompareTree, RowsComeDepthFirstWithRelativeNames) {
    MemoryFileSystem fs;
    fs.Add("/a", "top", 5);
    fs.Add("/a", "sub", 0, Kind::Directory);
    fs.Add("/a", "Docs", 0, Kind::Directory);
    fs.Add("/a", "newA", 0, Kind::Directory);
    fs.Add("/a/sub", "x", 9);
    fs.Add("/a/sub", "same", 1);
    fs.Add("/a/sub", "deep", 0, Kind::Directory);
    fs.Add("/a/sub/deep", "y", 3);
    fs.Add("/a/Docs", "d1", 2);
    fs.Add("/a/newA", "n", 4);
    fs.Add("/a/newA", "empty", 0, Kind::Directory);
    fs.AddDir("/a/newA/empty");

    fs.Add("/b", "top", 5);
    fs.Add("/b", "onlyB", 0, Kind::Directory);
    fs.Add("/b", "docs", 0, Kind::Directory);
    fs.Add("/b", "sub", 0, Kind::Directory);
    fs.Add("/b/sub", "z", 7);
    fs.Add("/b/sub", "same", 1);
    fs.Add("/b/sub", "x", 8);
    fs.Add("/b/sub", "deep", 0, Kind::Directory);
    fs.Add("/b/sub/deep", "y", 6);
    fs.Add("/b/docs", "d2", 2);
    fs.Add("/b/onlyB", "o", 1);

    const TreeRun run = CompareTree(fs, "/a", "/b");
    EXPECT_EQ(run.rows, (std::vector<std::string>{
                            "sub/x|sub/x|AB",
                            "sub/z||B",
                            "sub/deep/y|sub/deep/y|AB",
                            "Docs/d1|docs/d1|A",
                            "Docs/d2|docs/d2|B",
                            "newA/n||A",
                            "onlyB/o||B",
                        }));
    EXPECT_TRUE(run.failures.empty());

    // Without the option the same pair compares its top level alone.
    EXPECT_TRUE(CompareTree(fs, "/a", "/b", false).rows.empty());
}

// A folder that cannot be listed is reported with its counterpart, and the
// rest of the pair is compared; failures come in the order of the rows.
TEST(CompareTree, UnlistableFolderIsReportedAndSkipped) {
    MemoryFileSystem fs;
    fs.Add("/a", "one", 0, Kind::Directory);
    fs.Add("/a", "two", 0, Kind::Directory);
    fs.Add("/a", "three", 0, Kind::Directory);
    fs.Add("/a/one", "f", 1);  // /a/two is never registered: it cannot be listed
    fs.Add("/a/three", "g", 1);
    fs.Add("/b", "one", 0, Kind::Directory);
    fs.Add("/b", "two", 0, Kind::Directory);
    fs.Add("/b", "three", 0, Kind::Directory);
    fs.Add("/b/two", "h", 1);
    fs.Add("/b/three", "g", 2);  // /b/one cannot be listed either

    const TreeRun run = CompareTree(fs, "/a", "/b");
    EXPECT_EQ(run.rows, std::vector<std::string>{"three/g|three/g|AB"});
    EXPECT_EQ(run.failures, (std::vector<std::string>{"B /b/one | /a/one | " + std::to_string(ENOENT),
                                                      "A /a/two | /b/two | " + std::to_string(ENOENT)}));
}

class TreeOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        m_a = m_t.MakeDir("a");
        m_b = m_t.MakeDir("b");
    }
    void File(const std::string& path, FileTime time) {
        const std::size_t slash = path.rfind('/');
        if (slash != std::string::npos) MakeDirs(path.substr(0, slash));
        WriteFile(m_t / path, "content of " + path, time);
    }
    void MakeDirs(const std::string& rel) {
        for (std::size_t at = rel.find('/'); ; at = rel.find('/', at + 1)) {
            mkdir((m_t / rel.substr(0, at)).c_str(), 0755);
            if (at == std::string::npos) break;
        }
    }

    TempDir m_t;
    std::string m_a, m_b;
};

TEST_F(TreeOnDisk, NewerFilesAtDepthThreeOnEitherSide) {
    File("a/p/q/r/newer_in_a", 2000);
    File("b/p/q/r/newer_in_a", 1000);
    File("a/p/q/r/newer_in_b", 1000);
    File("b/p/q/r/newer_in_b", 3000);
    File("a/p/q/r/equal", 1000);
    File("b/p/q/r/equal", 1000);
    File("a/p/only_a/deeper/f", 1000);
    const TreeRun run = CompareTree(RealFileSystem(), m_a, m_b);
    EXPECT_EQ(Sorted(run.rows), (std::vector<std::string>{"p/only_a/deeper/f||A", "p/q/r/newer_in_a|p/q/r/newer_in_a|AB",
                                                          "p/q/r/newer_in_b|p/q/r/newer_in_b|AB"}));
    EXPECT_TRUE(run.failures.empty());
}

// A mask leaves out files, and directories whose name ends in it with all
// they hold, at every level.
TEST_F(TreeOnDisk, MaskedDirectoryIsLeftOutWithItsTree) {
    File("a/.git/objects/ab/cdef", 1);
    File("a/web/node_modules/lib/index.js", 1);
    File("a/web/app.js", 1);
    File("a/web/app.js.bak", 1);
    File("b/.git/HEAD", 1);
    const TreeRun run = CompareTree(RealFileSystem(), m_a, m_b, true, {".git", "node_modules", ".bak"});
    EXPECT_EQ(run.rows, std::vector<std::string>{"web/app.js||A"});
}

// Links to directories are never followed: no loop, and nothing outside the
// tree. A link to a file is a file, as at the top level.
TEST_F(TreeOnDisk, LinksToDirectoriesAreNotFollowed) {
    File("a/sub/f", 1);
    File("outside/secret", 1);
    ASSERT_EQ(symlink("..", (m_a + "/sub/loop").c_str()), 0);
    ASSERT_EQ(symlink(".", (m_a + "/self").c_str()), 0);
    ASSERT_EQ(symlink((m_t / "outside").c_str(), (m_a + "/out").c_str()), 0);
    ASSERT_EQ(symlink("f", (m_a + "/sub/file_link").c_str()), 0);
    const TreeRun run = CompareTree(RealFileSystem(), m_a, m_b);
    EXPECT_EQ(Sorted(run.rows), (std::vector<std::string>{"sub/file_link||A", "sub/f||A"}));
    EXPECT_TRUE(run.failures.empty());
}

// On a case-sensitive file system names that differ only in case stay apart
// inside a folder too, unless the pairing is beyond doubt.
TEST_F(TreeOnDisk, CaseOnlyCollisionsInsideAFolder) {
    File("a/s/README", 1000);
    File("a/s/readme", 1000);
    File("b/s/Readme", 2000);
    File("a/s/Unique.txt", 1000);
    File("b/s/UNIQUE.TXT", 2000);
    const TreeRun run = CompareTree(RealFileSystem(), m_a, m_b);
    EXPECT_EQ(Sorted(run.rows), (std::vector<std::string>{"s/README||A", "s/Readme||B", "s/Unique.txt|s/UNIQUE.TXT|AB",
                                                          "s/readme||A"}));
}

// A folder that cannot be read: forced through the file-system layer, and
// for real.
TEST_F(TreeOnDisk, UnreadableFolderIsReportedWhileItsSiblingsAreCompared) {
    File("a/locked/f", 1);
    File("a/open/g", 1);
    File("b/locked/f", 2);
    File("b/open/g", 2);
    struct LockedFolder : ForwardingFileSystem {
        std::string locked;
        bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
            if (dir == locked) {
                errno = EACCES;
                return false;
            }
            return ForwardingFileSystem::ListDirectory(dir, out);
        }
    } fs;
    fs.locked = m_b + "/locked";
    const std::string expected = "B " + m_b + "/locked | " + m_a + "/locked | " + std::to_string(EACCES);
    TreeRun run = CompareTree(fs, m_a, m_b);
    EXPECT_EQ(run.rows, std::vector<std::string>{"open/g|open/g|AB"});
    EXPECT_EQ(run.failures, std::vector<std::string>{expected});

    // Root reads a folder without permissions: as root, the comparison runs
    // in a child that has become another user.
    ASSERT_EQ(chmod(m_t.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((m_b + "/locked").c_str(), 0), 0);
    const std::optional<TreeRun> real = CompareAsOtherUser(m_a, m_b);
    chmod((m_b + "/locked").c_str(), 0755);
    if (!real) GTEST_SKIP() << "the user nobody cannot reach " << m_t.path() << " (a folder above it is closed)";
    run = *real;
    EXPECT_EQ(run.rows, std::vector<std::string>{"open/g|open/g|AB"});
    EXPECT_EQ(run.failures, std::vector<std::string>{expected});
}

// A row holds DIFF_NAME_LEN - 1 bytes of path. A folder whose files would not
// fit is reported instead of being cut short, which would name another file.
TEST_F(TreeOnDisk, PathsTooLongForARowAreReported) {
    const std::string level(60, 'd');
    const std::string deep = "a/" + level + "/" + level + "/" + level + "/" + level;  // 243 bytes below a
    File(deep + "/short", 1);                       // 249 bytes: fits
    File(deep + "/" + std::string(20, 'n'), 1);      // 264 bytes: does not
    File("a/" + level + "/fits", 1);
    MakeDirs("a/x/" + level + "/" + level + "/" + level + "/" + level + "/" + level);  // nothing to name: no report
    const TreeRun run = CompareTree(RealFileSystem(), m_a, m_b);
    EXPECT_EQ(run.rows, std::vector<std::string>{level + "/fits||A"});
    EXPECT_EQ(run.failures, std::vector<std::string>{"A " + (m_t / deep) + " | " + m_b + deep.substr(1) + " | " +
                                                     std::to_string(ENAMETOOLONG)});
}

}  // namespace
