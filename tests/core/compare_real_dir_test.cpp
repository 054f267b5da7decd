// The comparison over real directories: what the POSIX listing delivers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/compare.h"
#include "support/temp_dir.h"

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
    CompareAll(table, *diffs, RealFileSystem(), [&](const ListingFailure& f) {
        run.messages.push_back(f.failedDir + " | " + f.otherDir + " | " + std::strerror(f.error));
    });
    for (int i = 0; i < diffs->count; ++i) {
        const DiffEntry& e = diffs->entries[i];
        run.entries.push_back(std::string(e.name) + "|" + e.nameB + "|" + std::to_string(e.timeA) + "|" +
                              std::to_string(e.timeB));
    }
    // The order of a real listing is the file system's own.
    std::sort(run.entries.begin(), run.entries.end());
    return run;
}

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

// On a case-sensitive file system B may hold README and readme. The file of A
// named Readme is paired with whichever of them the listing delivers first;
// the other one is listed as only in B. nameB tells the copy which file of B
// the entry means.
TEST(CompareRealDirs, NamesDifferingOnlyInCaseOnACaseSensitiveFileSystem) {
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    WriteFile(a + "/Readme", "", 100);
    WriteFile(b + "/README", "", 200);
    WriteFile(b + "/readme", "", 300);
    if (ListNames(b) != "README readme") GTEST_SKIP() << "file system ignores case";

    const RealRun run = CompareDirs(a, b);
    const std::vector<std::string> firstUpper{"README||0|200", "Readme|readme|100|300"};
    const std::vector<std::string> firstLower{"Readme|README|100|200", "readme||0|300"};
    EXPECT_TRUE(run.entries == firstUpper || run.entries == firstLower) << ::testing::PrintToString(run.entries);
}

}  // namespace
