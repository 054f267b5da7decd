// The comparison over real directories: what the POSIX listing delivers.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <utility>

#include "core/compare.h"
#include "core/copy.h"
#include "core/mbtext.h"
#include "support/fat_image.h"
#include "support/temp_dir.h"
#include "support/run_observers.h"

namespace {

struct RealRun {
    std::vector<std::string> entries;  // "name|nameB|timeA|timeB", sorted
    std::vector<std::string> messages;
};

RealRun CompareDirs(const std::string& a, const std::string& b) {
    DirPairTable table{};
    table.count = 1;
    std::strcpy(table.pairs[0].dirA, a.c_str());
    std::strcpy(table.pairs[0].dirB, b.c_str());
    const auto diffs = std::make_unique<DiffTable>();
    RealRun run;
    FailureCollector observer([&](const ListingFailure& f) {
        run.messages.push_back(f.failedDir + " | " + f.otherDir + " | " + std::strerror(f.error));
    });
    CompareAll(table, *diffs, RealFileSystem(), observer);
    for (int i = 0; i < diffs->count; ++i) {
        const DiffEntry& e = diffs->entries[i];
        run.entries.push_back(std::string(e.name) + "|" + e.nameB + "|" + std::to_string(e.timeA) + "|" +
                              std::to_string(e.timeB));
    }
    // The order of a real listing is the file system's own.
    std::sort(run.entries.begin(), run.entries.end());
    return run;
}

// Symbolic links and FIFOs made with the POSIX calls (the Win32 layer's links
// are in filesystem_win32_test.cpp).
#ifndef _WIN32
TEST(CompareRealDirs, OnlyRegularFilesAndLinksToThemTakePart) {
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    WriteFile(a + "/f", "x", 1000);
    t.MakeDir("a/same");
    ASSERT_EQ(symlink("f", (a + "/link").c_str()), 0);
    ASSERT_EQ(symlink("same", (a + "/dirlink").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (a + "/broken").c_str()), 0);
    ASSERT_EQ(mkfifo((a + "/pipe").c_str(), 0600), 0);
    WriteFile(b + "/same", "y", 2000);
    ASSERT_EQ(mkfifo((b + "/pipe").c_str(), 0600), 0);

    const RealRun run = CompareDirs(a, b);
    EXPECT_EQ(run.entries, (std::vector<std::string>{"f||1000|0", "link||1000|0", "same||0|2000"}));
    EXPECT_TRUE(run.messages.empty());
}
#endif

TEST(CompareRealDirs, TrailingSlashAndEmptyDirectory) {
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    WriteFile(b + "/only", "", 1234);
    const RealRun run = CompareDirs(a + "/", b + "/");
    EXPECT_EQ(run.entries, std::vector<std::string>{"only||0|1234"});
    EXPECT_TRUE(run.messages.empty());
}

TEST(CompareRealDirs, MissingDirectoryIsReported) {
    TempDir t;
    const std::string b = t.MakeDir("b");
    const RealRun run = CompareDirs(t / "missing", b);
    EXPECT_TRUE(run.entries.empty());
    EXPECT_EQ(run.messages, std::vector<std::string>{t / "missing" + " | " + b + " | " + std::strerror(ENOENT)});
}

// On a case-sensitive file system B may hold README and readme. Neither is
// the file of A named Readme: all three stay apart, so that no copy writes
// one of them over the other.
TEST(CompareRealDirs, NamesDifferingOnlyInCaseOnACaseSensitiveFileSystem) {
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    WriteFile(a + "/Readme", "", 100);
    WriteFile(b + "/README", "", 200);
    WriteFile(b + "/readme", "", 300);
    if (ListNames(b) != "README readme") GTEST_SKIP() << "file system ignores case";

    const RealRun run = CompareDirs(a, b);
    EXPECT_EQ(run.entries, (std::vector<std::string>{"README||0|200", "Readme||100|0", "readme||0|300"}));
}

struct CaseNamesCase {
    const char* name;
    std::vector<std::pair<std::string, FileTime>> a;  // created in this order
    std::vector<std::pair<std::string, FileTime>> b;
    std::vector<std::string> entries;  // sorted
};

class CaseNamesRealDirTest : public ::testing::TestWithParam<CaseNamesCase> {};

// The listing order of a real directory is the file system's own; creating
// the files in other orders must not change which files are paired.
TEST_P(CaseNamesRealDirTest, PairsExactNamesWhateverTheListingOrder) {
    const CaseNamesCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    // Both spellings must be there: a file system that ignores case keeps
    // the first one only.
    WriteFile(t / "probe", "");
    WriteFile(t / "PROBE", "");
    if (ListNames(t.path()) != "PROBE a b probe") GTEST_SKIP() << "file system ignores case";
#ifdef _WIN32
    for (const auto& side : {c.a, c.b})
        for (const auto& [name, time] : side)
            if (!IsValidText(name)) GTEST_SKIP() << "a Windows name is text: bytes that are not UTF-8 name no file";
#endif
    for (const auto& [name, time] : c.a) WriteFile(a + "/" + name, name, time);
    for (const auto& [name, time] : c.b) WriteFile(b + "/" + name, name, time);
    const RealRun run = CompareDirs(a, b);
    EXPECT_EQ(run.entries, c.entries);
    EXPECT_TRUE(run.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaseNamesRealDirTest,
    ::testing::Values(
        CaseNamesCase{"upper_first_in_a_lower_first_in_b",
                      {{"A.TXT", 100}, {"a.txt", 200}},
                      {{"a.txt", 300}, {"A.TXT", 400}},
                      {"A.TXT|A.TXT|100|400", "a.txt|a.txt|200|300"}},
        CaseNamesCase{"lower_first_in_both",
                      {{"a.txt", 200}, {"A.TXT", 100}},
                      {{"a.txt", 200}, {"A.TXT", 400}},
                      {"A.TXT|A.TXT|100|400"}},
        CaseNamesCase{"one_spelling_in_a_two_in_b",
                      {{"a.txt", 100}},
                      {{"A.TXT", 400}, {"a.txt", 100}},
                      {"A.TXT||0|400"}},
        CaseNamesCase{"unique_case_variant_still_pairs",
                      {{"Notes.txt", 100}},
                      {{"NOTES.TXT", 200}},
                      {"Notes.txt|NOTES.TXT|100|200"}},
        // Shift-JIS names on a UTF-8 system: not text, so they pair only exactly.
        CaseNamesCase{"shift_jis_bytes_pair_only_exactly",
                      {{"\x83\x41.txt", 100}, {"\x83\x61.txt", 200}},
                      {{"\x83\x61.txt", 300}},
                      {"\x83\x41.txt||100|0", "\x83\x61.txt|\x83\x61.txt|200|300"}},
        CaseNamesCase{"shift_jis_bytes_never_fold",
                      {{"\x83\x41.txt", 100}},
                      {{"\x83\x61.txt", 300}},
                      {"\x83\x41.txt||100|0", "\x83\x61.txt||0|300"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct EarlyTimeCase {
    const char* name;
    FileTime time;
    bool inA;  // the file exists in A only, otherwise in B only
};

class EarlyTimeRealDirTest : public ::testing::TestWithParam<EarlyTimeCase> {};

// A file dated 1 January 1970 00:00:00 or earlier exists all the same: it is
// reported on the side that has it and copied to the other, time and all.
TEST_P(EarlyTimeRealDirTest, IsReportedOnItsSideAndCopied) {
    const EarlyTimeCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    const std::string from = c.inA ? a : b;
    const std::string to = c.inA ? b : a;
    WriteFile(from + "/old", "content");
    SetBothTimes(from + "/old", c.time);
    WriteFile(a + "/same", "", 1000);
    WriteFile(b + "/same", "", 1000);
    ASSERT_EQ(ModTime(from + "/old"), c.time);

    DirPairTable table{};
    table.count = 1;
    std::strcpy(table.pairs[0].dirA, a.c_str());
    std::strcpy(table.pairs[0].dirB, b.c_str());
    const auto diffs = std::make_unique<DiffTable>();
    CompareAll(table, *diffs, RealFileSystem(), Unobserved());
    ASSERT_EQ(diffs->count, 1);
    const DiffEntry& e = diffs->entries[0];
    EXPECT_STREQ(e.name, "old");
    EXPECT_EQ(e.inA, c.inA);
    EXPECT_EQ(e.inB, !c.inA);
    EXPECT_EQ(c.inA ? e.timeA : e.timeB, c.time);
    EXPECT_EQ(KindOf(e), c.inA ? DiffKind::OnlyInA : DiffKind::OnlyInB);

    RunObserver quiet;
    const CopyRunSummary copy =
        CopySelectedFiles(table, *diffs, diffs->count, [](int) { return true; }, RealFileSystem(), quiet);
    EXPECT_EQ(copy.copied, 1);
    EXPECT_EQ(ReadFile(to + "/old"), "content");
    EXPECT_EQ(ModTime(to + "/old"), c.time);
    CompareAll(table, *diffs, RealFileSystem(), Unobserved());
    EXPECT_EQ(diffs->count, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, EarlyTimeRealDirTest,
                         ::testing::Values(EarlyTimeCase{"dated_zero_only_in_a", 0, true},
                                           EarlyTimeCase{"dated_zero_only_in_b", 0, false},
                                           EarlyTimeCase{"before_1970_only_in_a", -86400 * 365, true},
                                           EarlyTimeCase{"before_1970_only_in_b", -1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file copied to FAT keeps its time only to the even second below. The
// comparison must take that copy as in step, and still see a real change.
TEST(CompareRealDirs, FatTimesWithinTwoSecondsAreEqual) {
    const FatImage fat;
    if (!fat.skipReason().empty()) GTEST_SKIP() << fat.skipReason();
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = fat.root();
    EXPECT_EQ(RealFileSystem().TimeGranularity(b), 2);
    EXPECT_EQ(RealFileSystem().TimeGranularity(a), 1);
    for (const char* name : {"odd", "even", "edited"}) {
        WriteFile(a + "/" + name, name, 0);
        WriteFile(b + "/" + name, name, 0);
    }
    SetBothTimes(a + "/odd", 1600000011);
    SetBothTimes(b + "/odd", 1600000011);
    SetBothTimes(a + "/even", 1600000010);
    SetBothTimes(b + "/even", 1600000010);
    SetBothTimes(a + "/edited", 1600000011);
    SetBothTimes(b + "/edited", 1600000021);
    ASSERT_EQ(ModTime(b + "/odd"), 1600000010) << "the image keeps odd seconds: not FAT's rule";

    const RealRun run = CompareDirs(a, b);
    EXPECT_EQ(run.entries, std::vector<std::string>{"edited|edited|1600000011|1600000020"});
    EXPECT_TRUE(run.messages.empty());
}

}  // namespace
