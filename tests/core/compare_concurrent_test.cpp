// The comparison with its listing spread over threads gives exactly what one
// thread gives: the same entries in the same order, the same failures in pair
// order, reported on the calling thread.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/compare.h"
#include "support/temp_dir.h"
#include "support/run_observers.h"

namespace {

struct Outcome {
    std::vector<std::string> entries;   // every field of every entry, in order
    std::vector<std::string> failures;  // in the order reported
    CompareSummary summary;
};

Outcome CompareWith(const DirPairTable& table, int workers) {
    const auto diffs = std::make_unique<DiffTable>();
    Outcome o;
    const std::thread::id caller = std::this_thread::get_id();
    FailureCollector observer([&](const ListingFailure& f) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        o.failures.push_back(std::to_string(f.pairIndex) + (f.failedSide == PairSide::A ? " A " : " B ") +
                             f.failedDir + " | " + f.otherDir + " | " + std::to_string(f.error));
    });
    CompareOptions options;
    options.workers = workers;
    o.summary = CompareAll(table, *diffs, RealFileSystem(), observer, options);
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

}  // namespace
