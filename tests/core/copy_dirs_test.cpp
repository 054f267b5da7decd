// Copies into subfolders of a pair that compares whole trees: missing folders
// are made with the source's bits and times, nothing is written through a
// link or over a file in the way, and a second comparison finds nothing left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "copy_test_helpers.h"
#include "core/compare.h"
#include "core/copy_dirs.h"
#include "support/fat_image.h"
#include "support/forwarding_fs.h"
#include "support/run_observers.h"

namespace {

class CopyIntoTree : public ::testing::Test {
protected:
    void SetUp() override {
        m_a = m_t.MakeDir("a");
        m_b = m_t.MakeDir("b");
        m_tables.AddPair(m_a, m_b);
        m_tables.pairs->pairs[0].subdirs = true;
    }
    // Creates every folder of rel below the temporary directory.
    void MakeDirs(const std::string& rel, mode_t mode = 0755) {
        for (std::size_t at = rel.find('/');; at = rel.find('/', at + 1)) {
            mkdir((m_t / rel.substr(0, at)).c_str(), mode);
            if (at == std::string::npos) break;
        }
    }
    void File(const std::string& rel, FileTime time) {
        MakeDirs(rel.substr(0, rel.rfind('/')));
        WriteFile(m_t / rel, "content of " + rel, time);
    }
    // Compares the pair into the tables, then copies every row.
    CopyRunSummary CompareAndCopy(FileSystem& fs = RealFileSystem(), const CopyOptions& options = {}) {
        CompareAll(*m_tables.pairs, *m_tables.diffs, fs, Unobserved());
        return m_tables.CopyAll(fs, m_observer, options);
    }
    int RowsLeft() {
        CompareAll(*m_tables.pairs, *m_tables.diffs, RealFileSystem(), Unobserved());
        return m_tables.diffs->count;
    }

    TempDir m_t;
    std::string m_a, m_b;
    CopyTables m_tables;
    RecordingObserver m_observer;
};

TEST_F(CopyIntoTree, MissingFoldersAreMadeOnEitherSide) {
    File("a/p/q/r/from_a", 1000);
    File("b/x/y/from_b", 2000);
    File("a/m/newer_in_a", 3000);
    File("b/m/newer_in_a", 1000);
    ASSERT_EQ(chmod((m_a + "/p/q").c_str(), 0750), 0);
    const struct timespec times[2] = {{1111, 0}, {2222, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (m_a + "/p/q").c_str(), times, 0), 0);

    const CopyRunSummary summary = CompareAndCopy();
    EXPECT_EQ(summary.copied, 3);
    EXPECT_EQ(summary.failed, 0);
    EXPECT_EQ(ReadFile(m_b + "/p/q/r/from_a"), "content of a/p/q/r/from_a");
    EXPECT_EQ(ReadFile(m_a + "/x/y/from_b"), "content of b/x/y/from_b");
    EXPECT_EQ(ReadFile(m_b + "/m/newer_in_a"), "content of a/m/newer_in_a");
    // The folder made carries its source's bits (less the umask) and times,
    // set after the files went in.
    const unsigned mask = RealFileSystem().CreationMask();
    EXPECT_EQ(StatOf(m_b + "/p/q").st_mode & 0777, 0750u & ~mask);
    EXPECT_EQ(StatOf(m_b + "/p/q").st_mtim.tv_sec, 2222);
    EXPECT_EQ(StatOf(m_b + "/p").st_mtim.tv_sec, StatOf(m_a + "/p").st_mtim.tv_sec);
    EXPECT_EQ(RowsLeft(), 0);
}

// A read-only source folder still takes its files at the destination, and is
// read-only there in the end.
TEST_F(CopyIntoTree, ReadOnlySourceFolder) {
    File("a/ro/f", 1000);
    ASSERT_EQ(chmod((m_a + "/ro").c_str(), 0555), 0);
    EXPECT_EQ(CompareAndCopy().copied, 1);
    EXPECT_EQ(ReadFile(m_b + "/ro/f"), "content of a/ro/f");
    EXPECT_EQ(StatOf(m_b + "/ro").st_mode & 0777, 0555u);
    chmod((m_a + "/ro").c_str(), 0755);
    chmod((m_b + "/ro").c_str(), 0755);
}

// Folders that differ only in case are one folder: the copy goes into the
// one that is there instead of making a twin.
TEST_F(CopyIntoTree, CopyLandsInTheFolderAsTheOtherSideSpellsIt) {
    File("a/Docs/from_a", 1000);
    File("b/docs/from_b", 1000);
    EXPECT_EQ(CompareAndCopy().copied, 2);
    EXPECT_EQ(ListNames(m_a), "Docs");
    EXPECT_EQ(ListNames(m_b), "docs");
    EXPECT_EQ(ListNames(m_a + "/Docs"), "from_a from_b");
    EXPECT_EQ(ListNames(m_b + "/docs"), "from_a from_b");
}

// Whatever stands where a folder is needed is left alone, and nothing is
// written through a link to a folder elsewhere.
TEST_F(CopyIntoTree, LinkOrFileInTheWayIsNotUsed) {
    File("a/linked/f", 1000);
    File("a/plain/g", 1000);
    File("outside/keep", 1);
    ASSERT_EQ(symlink((m_t / "outside").c_str(), (m_b + "/linked").c_str()), 0);
    WriteFile(m_b + "/plain", "a file", 1);

    // B's file "plain" is a row of its own, and A's folder of that name is
    // just as much in its way.
    const CopyRunSummary summary = CompareAndCopy();
    EXPECT_EQ(summary.copied, 0);
    EXPECT_EQ(summary.failed, 3);
    EXPECT_EQ(m_observer.reasons, (std::vector<FileCopyResult>(3, FileCopyResult::DestinationProtected)));
    EXPECT_EQ(ListNames(m_t / "outside"), "keep");
    EXPECT_EQ(ReadFile(m_b + "/plain"), "a file");
    EXPECT_EQ(ListNames(m_a + "/plain"), "g");
}

// A folder that cannot be made fails its file with the reason; the new
// folder's parent is flushed before a file in it is reported copied.
TEST_F(CopyIntoTree, FolderCreationFailsOrIsFlushed) {
    File("a/full/f", 1000);
    File("a/ok/sub/g", 1000);
    struct Recording : ForwardingFileSystem {
        std::vector<std::string> synced;
        bool CreateDirectory(const std::string& path, unsigned mode) override {
            if (path.ends_with("/full")) {
                errno = ENOSPC;
                return false;
            }
            return ForwardingFileSystem::CreateDirectory(path, mode);
        }
        bool SyncDirectory(const std::string& dir) override {
            synced.push_back(dir);
            return ForwardingFileSystem::SyncDirectory(dir);
        }
    } fs;
    // Each folder flushed on its own, so that each flush can be seen (one
    // flush for a whole file system: copy_flush_test.cpp).
    CopyOptions eachFile;
    eachFile.durability = Durability::EachFile;
    const CopyRunSummary summary = CompareAndCopy(fs, eachFile);
    EXPECT_EQ(summary.copied, 1);
    ASSERT_EQ(m_observer.errors, std::vector<int>{ENOSPC});
    EXPECT_EQ(m_observer.reasons, std::vector<FileCopyResult>{FileCopyResult::WriteFailed});
    EXPECT_FALSE(FileExists(m_b + "/full"));
    for (const std::string& dir : {m_b, m_b + "/ok", m_b + "/ok/sub"})
        EXPECT_NE(std::find(fs.synced.begin(), fs.synced.end(), dir), fs.synced.end()) << dir;
}

// A pair whose one directory lies inside the other (a backup folder kept in
// the tree it backs up, reached through a link or not): the inner one is not
// part of the outer tree, or every run would copy it into itself once more.
TEST(CopyNestedPair, InnerDirectoryIsLeftOutOfTheOuterTree) {
    for (const bool innerIsB : {true, false}) {
        TempDir t;
        const std::string outer = t.MakeDir("outer");
        const std::string inner = t.MakeDir("outer/keep/backup");
        ASSERT_EQ(symlink(outer.c_str(), (t / "link").c_str()), 0);
        WriteFile(outer + "/f", "f", 1000);
        t.MakeDir("outer/keep/sub");
        WriteFile(outer + "/keep/sub/g", "g", 1000);
        CopyTables tables;
        if (innerIsB) tables.AddPair(t / "link", inner);
        else tables.AddPair(inner, outer);
        tables.pairs->pairs[0].subdirs = true;
        for (int run = 0; run < 2; ++run) {
            CompareAll(*tables.pairs, *tables.diffs, RealFileSystem(), Unobserved());
            ASSERT_EQ(tables.diffs->count, run == 0 ? 2 : 0) << "run " << run << (innerIsB ? ", inner B" : ", inner A");
            RecordingObserver observer;
            tables.CopyAll(RealFileSystem(), observer);
        }
        EXPECT_EQ(ListNames(inner), "f keep");
        EXPECT_EQ(ListNames(inner + "/keep"), "sub");
    }
}

// FAT has no permission bits and keeps times in even seconds: the folders
// are still made and filled, and the next comparison finds the trees in step.
TEST(CopyIntoFatTree, TreeCopiedOntoFatIsInStep) {
    const FatImage fat;
    if (!fat.skipReason().empty()) GTEST_SKIP() << fat.skipReason();
    TempDir t;
    const std::string a = t.MakeDir("a");
    t.MakeDir("a/docs");
    t.MakeDir("a/docs/2024");
    WriteFile(a + "/docs/2024/report.txt", "report", 1600000011);
    WriteFile(a + "/docs/notes.txt", "notes", 1600000020);
    CopyTables tables;
    tables.AddPair(a, fat.root());
    tables.pairs->pairs[0].subdirs = true;
    CompareAll(*tables.pairs, *tables.diffs, RealFileSystem(), Unobserved());
    ASSERT_EQ(tables.diffs->count, 2);
    RecordingObserver observer;
    EXPECT_EQ(tables.CopyAll(RealFileSystem(), observer).copied, 2) << ::testing::PrintToString(observer.errors);
    EXPECT_EQ(ReadFile(fat.root() + "/docs/2024/report.txt"), "report");
    CompareAll(*tables.pairs, *tables.diffs, RealFileSystem(), Unobserved());
    EXPECT_EQ(tables.diffs->count, 0);
}

}  // namespace
