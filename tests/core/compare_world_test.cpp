// The comparison over real folders that change or mislead: a subfolder swapped
// for a link while the tree is listed, files of the same time and another
// size, folders too deep to name, and files that only look like the copy's.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/headless_common.h"
#include "copy_test_helpers.h"
#include "core/compare.h"
#include "core/reached_directory.h"
#include "support/handle_forwarding_fs.h"
#include "support/run_observers.h"

namespace {

constexpr FileTime kTime = 1600000000;
// The longest path below the pair's directory that a row holds.
constexpr std::size_t kMaxPathForTest = DIFF_NAME_LEN - 1;

struct Pair {
    TempDir t;
    std::string a = t.MakeDir("A");
    std::string b = t.MakeDir("B");
    CopyTables tables;
    std::vector<ListingFailure> failures;

    explicit Pair(bool tree = false) {
        tables.AddPair(a, b);
        tables.pairs->pairs[0].subdirs = tree;
    }
    CompareSummary Compare(FileSystem& fs = RealFileSystem()) {
        failures.clear();
        FailureCollector observer([&](const ListingFailure& f) { failures.push_back(f); });
        return CompareAll(*tables.pairs, *tables.diffs, fs, observer);
    }
    const DiffEntry& Entry(int i) const { return tables.diffs->entries[i]; }
};

void SetTime(const std::string& path, FileTime sec, long nsec) {
    const struct timespec times[2] = {{sec, nsec}, {sec, nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

TEST(CompareWhileListing, ASubfolderSwappedForALinkIsReportedAndNotFollowed) {
    Pair p(true);
    p.t.MakeDir("A/sub");
    WriteFile(p.a + "/sub/mine", "mine", kTime);
    const std::string secret = p.t.MakeDir("secret");
    WriteFile(secret + "/password", "secret", kTime);
    HandleForwardingFileSystem fs;
    // Between the listing of A and that of A/sub, A/sub becomes a link.
    fs.beforeOpenBelow = [&](const std::string& rel) {
        if (rel != "sub" || FileExists(p.a + "/sub.away")) return;
        ASSERT_EQ(rename((p.a + "/sub").c_str(), (p.a + "/sub.away").c_str()), 0);
        ASSERT_EQ(symlink(secret.c_str(), (p.a + "/sub").c_str()), 0);
    };

    p.Compare(fs);

    for (int i = 0; i < p.tables.diffs->count; ++i) EXPECT_STRNE(p.Entry(i).name, "sub/password");
    ASSERT_EQ(p.failures.size(), 1u);
    EXPECT_EQ(p.failures[0].failedDir, p.a + "/sub");
    EXPECT_EQ(p.failures[0].error, ELOOP);
}

// Two files of one name whose times the file systems call equal.
struct SameTimeCase {
    const char* label;
    long nsecA, nsecB;  // within the same second
    int sizeA, sizeB;
    int granularity;    // 2: a FAT-like file system, B one second later
    std::optional<DiffKind> kind;  // nullopt: in step
};

void PrintTo(const SameTimeCase& c, std::ostream* os) { *os << c.label; }

class TimeSteps : public ForwardingFileSystem {
public:
    explicit TimeSteps(int granularity) : m_granularity(granularity) {}
    int TimeGranularity(const std::string&) override { return m_granularity; }

private:
    int m_granularity;
};

class SameTime : public testing::TestWithParam<SameTimeCase> {};

TEST_P(SameTime, AnotherSizeIsADifferenceAndTheNewerSideIsNeverGuessed) {
    const SameTimeCase& c = GetParam();
    Pair p;
    WriteFile(p.a + "/doc", std::string(static_cast<std::size_t>(c.sizeA), 'a'));
    WriteFile(p.b + "/doc", std::string(static_cast<std::size_t>(c.sizeB), 'b'));
    SetTime(p.a + "/doc", kTime, c.nsecA);
    SetTime(p.b + "/doc", kTime + (c.granularity == 2 ? 1 : 0), c.nsecB);
    TimeSteps fs(c.granularity);

    p.Compare(fs);

    if (!c.kind) {
        EXPECT_EQ(p.tables.diffs->count, 0);
        return;
    }
    ASSERT_EQ(p.tables.diffs->count, 1);
    EXPECT_EQ(KindOf(p.Entry(0)), *c.kind);
    if (*c.kind != DiffKind::Undecided) return;
    EXPECT_STREQ(KindName(p.Entry(0)), "UNDECIDED");
    // The copy refuses it and touches neither side.
    RecordingObserver obs;
    EXPECT_EQ(p.tables.CopyAll(RealFileSystem(), obs).failed, 1);
    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::DirectionUnknown});
    EXPECT_EQ(ReadFile(p.a + "/doc").size(), static_cast<std::size_t>(c.sizeA));
    EXPECT_EQ(ReadFile(p.b + "/doc").size(), static_cast<std::size_t>(c.sizeB));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SameTime,
    testing::Values(SameTimeCase{"same_size_is_in_step_whatever_the_fractions", 100, 900, 5, 5, 1, std::nullopt},
                    SameTimeCase{"fractions_tell_b_is_newer", 100, 900, 5, 7, 1, DiffKind::BNewer},
                    SameTimeCase{"fractions_tell_a_is_newer", 900, 100, 7, 5, 1, DiffKind::ANewer},
                    SameTimeCase{"whole_seconds_on_both_cannot_tell", 0, 0, 5, 7, 1, DiffKind::Undecided},
                    SameTimeCase{"whole_seconds_on_one_cannot_tell", 0, 900, 5, 7, 1, DiffKind::Undecided},
                    SameTimeCase{"equal_fractions_cannot_tell", 500, 500, 5, 7, 1, DiffKind::Undecided},
                    SameTimeCase{"two_second_steps_same_size_in_step", 0, 0, 5, 5, 2, std::nullopt},
                    SameTimeCase{"two_second_steps_another_size_cannot_tell", 0, 0, 5, 7, 2, DiffKind::Undecided}),
    [](const auto& info) { return std::string(info.param.label); });

// Creates the chain of folders `names` below dir and a file at its end,
// through descriptors: the whole path may be longer than the system takes.
void MakeDeepFile(const std::string& dir, const std::vector<std::string>& names, const std::string& file) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (const std::string& n : names) {
        ASSERT_EQ(mkdirat(fd, n.c_str(), 0755), 0) << std::strerror(errno);
        const int next = openat(fd, n.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const int f = openat(fd, file.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(f, 0);
    close(f);
    close(fd);
}

// Removes what MakeDeepFile made, deepest first, through descriptors.
void RemoveDeepFile(const std::string& dir, const std::vector<std::string>& names, const std::string& file) {
    std::vector<int> fds{open(dir.c_str(), O_RDONLY | O_DIRECTORY)};
    for (const std::string& n : names) fds.push_back(openat(fds.back(), n.c_str(), O_RDONLY | O_DIRECTORY));
    unlinkat(fds.back(), file.c_str(), 0);
    for (std::size_t i = names.size(); i > 0; --i) {
        close(fds[i]);
        unlinkat(fds[i - 1], names[i - 1].c_str(), AT_REMOVEDIR);
    }
    close(fds[0]);
}

struct DepthCase {
    const char* label;
    std::vector<std::string> folders;
    std::size_t fileName;  // bytes of the file's name
    bool listed;           // a row; otherwise one failure that says the path is too long
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.label; }

class DeepTree : public testing::TestWithParam<DepthCase> {};

TEST_P(DeepTree, AFileTooDeepToNameIsReportedNeverLeftOutSilently) {
    const DepthCase& c = GetParam();
    Pair p(true);
    const std::string file(c.fileName, 'f');
    MakeDeepFile(p.a, c.folders, file);

    p.Compare();

    if (c.listed) {
        EXPECT_TRUE(p.failures.empty());
        ASSERT_EQ(p.tables.diffs->count, 1);
        EXPECT_EQ(std::strlen(p.Entry(0).name), kMaxPathForTest);
    } else {
        EXPECT_EQ(p.tables.diffs->count, 0);
        ASSERT_EQ(p.failures.size(), 1u);
        EXPECT_EQ(p.failures[0].error, ENAMETOOLONG);
    }
    RemoveDeepFile(p.a, c.folders, file);
}

const std::string kLong(255, 'd');

INSTANTIATE_TEST_SUITE_P(
    Cases, DeepTree,
    testing::Values(
        // "dd1/" and a name of 255 bytes: 259 bytes, the most a row holds.
        DepthCase{"path_of_259_bytes_is_listed", {"dd1"}, 255, true},
        DepthCase{"path_of_260_bytes_is_reported", {"ddd1"}, 255, false},
        // Only files below a level that is already too long to name.
        DepthCase{"only_files_below_a_level_too_long", {kLong, "xyz"}, 1, false},
        // Deeper than the system's whole-path limit of 4096 bytes.
        DepthCase{"below_the_systems_path_limit",
                  {kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong, kLong,
                   kLong, kLong, kLong},
                  1, false}),
    [](const auto& info) { return std::string(info.param.label); });

// What a file of the temporary files' name form is, by mark and lock.
struct TempCase {
    const char* label;
    bool marked;
    bool lockedByACopy;
    bool shown;        // takes part as an ordinary file
    bool removedByCopy;
};

void PrintTo(const TempCase& c, std::ostream* os) { *os << c.label; }

class TempNamed : public testing::TestWithParam<TempCase> {};

TEST_P(TempNamed, OnlyAMarkedFileNobodyHoldsIsALeftoverAndOnlyACopyRemovesIt) {
    const TempCase& c = GetParam();
    Pair p;
    const std::string name = MakeCopyTempName();
    const std::string path = p.b + "/" + name;
    WriteFile(path, "partial");
    FileSystem& fs = RealFileSystem();
    const FileHandle h = fs.OpenExistingAt(DirectoryHandle(), p.b, name, true);
    ASSERT_NE(h, kInvalidHandle);
    if (c.marked && !fs.SetCopyMark(h)) {
        fs.Close(h);
        GTEST_SKIP() << "this file system keeps no extended attributes";
    }
    if (c.lockedByACopy) ASSERT_TRUE(fs.LockFile(h));
    else fs.Close(h);

    const CompareSummary summary = p.Compare();
    EXPECT_EQ(p.tables.diffs->count, c.shown ? 1 : 0);
    EXPECT_TRUE(FileExists(path)) << "a comparison never removes anything";
    RemoveCopyLeftovers(*p.tables.pairs, summary.leftovers, fs);
    EXPECT_EQ(FileExists(path), !c.removedByCopy);
    if (c.lockedByACopy) fs.Close(h);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TempNamed,
    testing::Values(TempCase{"users_own_file_of_that_name", false, false, true, false},
                    TempCase{"copy_in_progress_before_its_mark", false, true, false, false},
                    TempCase{"copy_in_progress", true, true, false, false},
                    TempCase{"leftover_of_a_copy_that_died", true, false, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
