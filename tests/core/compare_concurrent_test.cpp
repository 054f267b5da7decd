// The comparison with its listing spread over threads gives exactly what one
// thread gives: the same entries in the same order, the same failures in pair
// order, reported on the calling thread.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/compare.h"
#include "core/temp_name.h"
#include "support/handle_forwarding_fs.h"
#include "support/temp_dir.h"

namespace {

struct Outcome {
    std::vector<std::string> entries;    // every field of every entry, in order
    std::vector<std::string> failures;   // in the order reported
    std::vector<std::string> leftovers;  // in the order found
    ListingProgress last;                // the last progress report
    CompareSummary summary;
};

// Keeps the failures as text and the last progress report, and checks that
// both come on the comparison's thread.
class OutcomeObserver : public RunObserver {
public:
    explicit OutcomeObserver(Outcome& o) : m_outcome(o) {}
    void OnListingFailure(const ListingFailure& f) override {
        EXPECT_EQ(std::this_thread::get_id(), m_caller);
        m_outcome.failures.push_back(std::to_string(f.pairIndex) + (f.failedSide == PairSide::A ? " A " : " B ") +
                                     f.failedDir + " | " + f.otherDir + " | " + std::to_string(f.error));
    }
    void OnListingProgress(const ListingProgress& progress) override {
        EXPECT_EQ(std::this_thread::get_id(), m_caller);
        m_outcome.last = progress;
    }

private:
    Outcome& m_outcome;
    const std::thread::id m_caller = std::this_thread::get_id();
};

Outcome CompareWith(const DirPairTable& table, int workers, FileSystem& fs = RealFileSystem()) {
    const auto diffs = std::make_unique<DiffTable>();
    Outcome o;
    OutcomeObserver observer(o);
    CompareOptions options;
    options.workers = workers;
    o.summary = CompareAll(table, *diffs, fs, observer, options);
    for (const CopyLeftover& l : o.summary.leftovers)
        o.leftovers.push_back(std::to_string(l.pairIndex) + (l.side == PairSide::A ? " A " : " B ") + l.rel + "|" +
                              l.name);
    for (int i = 0; i < diffs->count; ++i) {
        const DiffEntry& e = diffs->entries[i];
        o.entries.push_back(std::to_string(e.pairIndex) + "|" + e.name + "|" + e.nameB + "|" + std::to_string(e.inA) +
                            std::to_string(e.inB) + "|" + std::to_string(e.timeA) + "|" + std::to_string(e.timeB));
    }
    return o;
}

void Touch(const std::string& path, FileTime mtime) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    const struct timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    futimens(fd, times);
    close(fd);
}

// Ten pairs over a few thousand files: names only in A, only in B, in both
// with equal and with other times, in other case, masked; pairs that compare
// trees; and pairs whose A or B is missing or is a file.
TEST(CompareConcurrent, SameEntriesAndFailuresAsOneThread) {
    TempDir t;
    std::mt19937 rng(2026);
    DirPairTable table{};
    table.count = MAX_DIR_PAIRS;
    for (int p = 0; p < MAX_DIR_PAIRS; ++p) {
        DirPair& pair = table.pairs[p];
        const std::string a = t.MakeDir("a" + std::to_string(p));
        const std::string b = t.MakeDir("b" + std::to_string(p));
        std::strcpy(pair.dirA, a.c_str());
        std::strcpy(pair.dirB, b.c_str());
        std::strcpy(pair.masks[0], ".bak");
        // Every third pair compares trees: its files lie in folders of two
        // levels, some of them on one side only.
        pair.subdirs = p % 3 == 1;
        for (int i = 0; i < 400; ++i) {
            std::string folder;
            if (pair.subdirs) {
                folder = "s" + std::to_string(i % 6) + "/";
                mkdir((a + "/" + folder).c_str(), 0755);
                folder += "t" + std::to_string(i % 4) + "/";
                mkdir((a + "/" + folder).c_str(), 0755);
            }
            const std::string name = folder + "f" + std::to_string(i) + (i % 50 == 0 ? ".BAK" : ".txt");
            const FileTime time = 1600000000 + static_cast<FileTime>(rng() % 4);
            if (pair.subdirs && i % 6 == 5) {  // a folder that B lacks
                Touch(a + "/" + name, time);
                continue;
            }
            if (pair.subdirs) {
                mkdir((b + "/" + folder.substr(0, 3)).c_str(), 0755);
                mkdir((b + "/" + folder).c_str(), 0755);
            }
            switch (rng() % 5) {
                case 0: Touch(a + "/" + name, time); break;
                case 1: Touch(b + "/" + name, time); break;
                case 2:
                    Touch(a + "/" + name, time);
                    Touch(b + "/" + name, time);
                    break;
                case 3:
                    Touch(a + "/" + name, time);
                    Touch(b + "/" + name, time + 1);
                    break;
                default:
                    Touch(a + "/" + name, time);
                    Touch(b + "/" + folder + "F" + name.substr(folder.size() + 1), time + 2);
                    break;
            }
        }
    }
    std::strcpy(table.pairs[2].dirA, (t / "missing").c_str());
    std::strcpy(table.pairs[5].dirB, (t / "missing").c_str());
    Touch(t / "plain", 1);
    std::strcpy(table.pairs[7].dirA, (t / "plain").c_str());
    std::strcpy(table.pairs[8].dirB, (t / "plain").c_str());

    // A folder of a tree whose paths are too long for a row is reported.
    const std::string tooDeep = std::string(table.pairs[4].dirA) + "/" + std::string(200, 'x');
    mkdir(tooDeep.c_str(), 0755);
    Touch(tooDeep + "/" + std::string(100, 'y'), 1);

    const Outcome one = CompareWith(table, 1);
    ASSERT_GT(one.entries.size(), 1500u);
    ASSERT_EQ(one.failures.size(), 5u);
    for (const int workers : {2, 4, 12}) {
        const Outcome many = CompareWith(table, workers);
        EXPECT_EQ(many.entries, one.entries) << workers << " workers";
        EXPECT_EQ(many.failures, one.failures) << workers << " workers";
        EXPECT_EQ(many.summary.TotalOmitted(), one.summary.TotalOmitted());
    }
    // The default number of workers is the concurrent engine too.
    const Outcome automatic = CompareWith(table, 0);
    EXPECT_EQ(automatic.entries, one.entries);
    EXPECT_EQ(automatic.failures, one.failures);
}

// More differences than the table holds: the same first MAX_DIFFS entries and
// the same count of what was left out, per pair.
TEST(CompareConcurrent, FullTableCountsTheSameLeftOvers) {
    TempDir t;
    DirPairTable table{};
    table.count = 3;
    for (int p = 0; p < 3; ++p) {
        const std::string a = t.MakeDir("a" + std::to_string(p));
        const std::string b = t.MakeDir("b" + std::to_string(p));
        std::strcpy(table.pairs[p].dirA, a.c_str());
        std::strcpy(table.pairs[p].dirB, b.c_str());
        for (int i = 0; i < 2200; ++i) Touch((i % 2 ? a : b) + "/n" + std::to_string(i), 1000 + i);
    }
    const Outcome one = CompareWith(table, 1);
    const Outcome many = CompareWith(table, 3);
    ASSERT_EQ(one.entries.size(), static_cast<std::size_t>(MAX_DIFFS));
    EXPECT_EQ(many.entries, one.entries);
    EXPECT_EQ(one.summary.omitted[0], 0);
    EXPECT_EQ(one.summary.omitted[1], 0);
    EXPECT_EQ(one.summary.omitted[2], 3 * 2200 - MAX_DIFFS);
    for (int p = 0; p < MAX_DIR_PAIRS; ++p) EXPECT_EQ(many.summary.omitted[p], one.summary.omitted[p]) << p;
}


// Folders whose name begins with "locked" cannot be listed (EACCES, which
// root would not meet through the permission bits); every listing first
// gives way a few times, so that the threads finish folders in an order of
// their own.
class ShufflingFileSystem : public HandleForwardingFileSystem {
public:
    bool ListFilesIn(const DirectoryHandle& dir, const std::string& path, FileListing& files, FileListing* subdirs,
                     const std::atomic<bool>* stop) override {
        for (std::size_t i = std::hash<std::string>{}(path) % 7; i > 0; --i) std::this_thread::yield();
        if (path.substr(path.rfind('/') + 1).starts_with("locked")) {
            errno = EACCES;
            return false;
        }
        return HandleForwardingFileSystem::ListFilesIn(dir, path, files, subdirs, stop);
    }
};

// A marked temporary file that nobody holds: a leftover of a copy that died.
bool MakeLeftover(const std::string& dir) {
    const std::string name = MakeCopyTempName();
    WriteFile(dir + "/" + name, "partial");
    FileSystem& fs = RealFileSystem();
    const FileHandle h = fs.OpenExistingAt(DirectoryHandle(), dir, name, true);
    const bool marked = h != kInvalidHandle && fs.SetCopyMark(h);
    if (h != kInvalidHandle) fs.Close(h);
    return marked;
}

// Two wide trees of three levels, spread over the pool folder by folder:
// the entries, failures (folders that cannot be listed, at every depth),
// leftovers and the counts of the last report are those of one thread, and
// what must stay out stays out: masked folders, links to folders, and the
// pair's B directory that lies inside A's tree.
TEST(CompareConcurrent, TreesSpreadOverThePoolGiveWhatOneThreadGives) {
    TempDir t;
    std::mt19937 rng(7);
    const std::string a = t.MakeDir("a"), b = a + "/keep/b";
    t.MakeDir("a/keep");
    t.MakeDir("a/keep/b");
    bool leftovers = true;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            for (int k = 0; k < 3; ++k) {
                const std::string rel = "d" + std::to_string(i) + "/e" + std::to_string(j) +
                                        (k == 2 && j == 4 ? "/locked" : "/f") + std::to_string(k);
                for (const std::string& side : {a, b}) {
                    for (std::size_t at = rel.find('/');; at = rel.find('/', at + 1)) {
                        mkdir((side + "/" + rel.substr(0, at)).c_str(), 0755);
                        if (at == std::string::npos) break;
                    }
                }
                for (int n = 0; n < 4; ++n) {
                    const std::string name = rel + "/n" + std::to_string(n);
                    const FileTime time = 1600000000 + static_cast<FileTime>(rng() % 3);
                    if (rng() % 3 != 0) Touch(a + "/" + name, time);
                    if (rng() % 3 != 0) Touch(b + "/" + name, time + static_cast<FileTime>(rng() % 2));
                }
                if (i == j && k == 0) leftovers = MakeLeftover(a + "/" + rel) && leftovers;
            }
        }
        mkdir((a + "/locked" + std::to_string(i)).c_str(), 0755);
        mkdir((a + "/d" + std::to_string(i) + "/x.bak").c_str(), 0755);
        Touch(a + "/d" + std::to_string(i) + "/x.bak/hidden", 1);
    }
    ASSERT_EQ(symlink((a + "/d1").c_str(), (a + "/d0/link").c_str()), 0);
    DirPairTable table{};
    table.count = 1;
    std::strcpy(table.pairs[0].dirA, a.c_str());
    std::strcpy(table.pairs[0].dirB, b.c_str());
    std::strcpy(table.pairs[0].masks[0], ".bak");
    table.pairs[0].subdirs = true;

    ShufflingFileSystem fs;
    const Outcome one = CompareWith(table, 1, fs);
    ASSERT_GT(one.entries.size(), 200u);
    ASSERT_EQ(one.failures.size(), 12u) << "locked0..5 in A, and d0..5/e4/locked2 (once for both sides)";
    if (leftovers) {
        EXPECT_EQ(one.leftovers.size(), 6u);
    }
    for (const std::string& e : one.entries) {
        EXPECT_EQ(e.find("hidden"), std::string::npos) << e;
        EXPECT_EQ(e.find("link/"), std::string::npos) << e;
        EXPECT_EQ(e.find("keep/b/"), std::string::npos) << e;
    }
    for (const int workers : {2, 3, 8, 16}) {
        const Outcome many = CompareWith(table, workers, fs);
        EXPECT_EQ(many.entries, one.entries) << workers << " workers";
        EXPECT_EQ(many.failures, one.failures) << workers << " workers";
        EXPECT_EQ(many.leftovers, one.leftovers) << workers << " workers";
        EXPECT_EQ(many.last.folders, one.last.folders) << workers << " workers";
        EXPECT_EQ(many.last.files, one.last.files) << workers << " workers";
    }
}

// Asks to stop once a number of folders have been listed, and counts the
// listings that start after that.
class StopAfterFolders : public ShufflingFileSystem {
public:
    explicit StopAfterFolders(int folders) : m_folders(folders) {}

    bool ListFilesIn(const DirectoryHandle& dir, const std::string& path, FileListing& files, FileListing* subdirs,
                     const std::atomic<bool>* stop) override {
        if (stopRequested) ++listedAfterStop;
        const bool listed = ShufflingFileSystem::ListFilesIn(dir, path, files, subdirs, stop);
        if (++m_listed == m_folders) stopRequested = true;
        return listed;
    }

    std::atomic<bool> stopRequested{false};
    std::atomic<int> listedAfterStop{0};

private:
    const int m_folders;
    std::atomic<int> m_listed{0};
};

class StopObserver : public RunObserver {
public:
    explicit StopObserver(const std::atomic<bool>& stop) : m_stop(stop) {}
    bool StopRequested() override { return m_stop.load(); }
    void OnListingFailure(const ListingFailure&) override { ++failures; }
    int failures = 0;

private:
    const std::atomic<bool>& m_stop;
};

// A stop in the middle of a tree reaches every thread between two folders:
// at most the listings already begun (one per thread) come after it, and
// nothing that was left out is reported as a failure.
TEST(CompareConcurrent, StopInATreeEndsEveryThreadBetweenFolders) {
    TempDir t;
    const std::string a = t.MakeDir("a"), b = t.MakeDir("b");
    for (int i = 0; i < 40; ++i) {
        for (const std::string& side : {a, b}) {
            mkdir((side + "/d" + std::to_string(i)).c_str(), 0755);
            for (int j = 0; j < 5; ++j) mkdir((side + "/d" + std::to_string(i) + "/e" + std::to_string(j)).c_str(), 0755);
        }
        Touch(a + "/d" + std::to_string(i) + "/e0/f", 1);
    }
    DirPairTable table{};
    table.count = 1;
    std::strcpy(table.pairs[0].dirA, a.c_str());
    std::strcpy(table.pairs[0].dirB, b.c_str());
    table.pairs[0].subdirs = true;
    for (const int workers : {1, 4}) {
        StopAfterFolders fs(30);
        StopObserver observer(fs.stopRequested);
        const auto diffs = std::make_unique<DiffTable>();
        CompareOptions options;
        options.workers = workers;
        const CompareSummary summary = CompareAll(table, *diffs, fs, observer, options);
        EXPECT_TRUE(summary.stopped) << workers << " workers";
        EXPECT_LE(fs.listedAfterStop.load(), workers) << workers << " workers";
        EXPECT_EQ(observer.failures, 0) << workers << " workers";
        EXPECT_EQ(diffs->count, 0) << "no pair was compared in full";
    }
}

}  // namespace
