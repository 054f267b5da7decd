#include "core/filesystem.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "support/temp_dir.h"

namespace {

std::map<std::string, std::pair<bool, bool>> Listing(const std::string& dir) {
    std::vector<DirEntry> entries;
    EXPECT_TRUE(RealFileSystem().ListDirectory(dir, entries));
    std::map<std::string, std::pair<bool, bool>> m;
    for (const auto& e : entries) m[e.name] = {e.isFile, e.isDirectory};
    return m;
}

TEST(PosixFileSystem, ListsOnlyRegularFilesAsFiles) {
    TempDir t;
    WriteFile(t / "plain", "x");
    t.MakeDir("sub");
    ASSERT_EQ(symlink("plain", (t / "link-to-file").c_str()), 0);
    ASSERT_EQ(symlink("sub", (t / "link-to-dir").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (t / "broken").c_str()), 0);
    ASSERT_EQ(mkfifo((t / "fifo").c_str(), 0600), 0);

    const auto m = Listing(t.path());
    using P = std::pair<bool, bool>;
    EXPECT_EQ(m.size(), 6u);
    EXPECT_EQ(m.at("plain"), P(true, false));
    EXPECT_EQ(m.at("link-to-file"), P(true, false));
    EXPECT_EQ(m.at("sub"), P(false, true));
    EXPECT_EQ(m.at("link-to-dir"), P(false, true));
    EXPECT_EQ(m.at("broken"), P(false, false));
    EXPECT_EQ(m.at("fifo"), P(false, false));
}

TEST(PosixFileSystem, ListingAMissingDirectoryFails) {
    TempDir t;
    std::vector<DirEntry> entries{DirEntry{"stale", true, false}};
    EXPECT_FALSE(RealFileSystem().ListDirectory(t / "missing", entries));
    EXPECT_TRUE(entries.empty());
    WriteFile(t / "file", "");
    EXPECT_FALSE(RealFileSystem().ListDirectory(t / "file", entries));
}

TEST(PosixFileSystem, StatusCarriesTimesBeyond2038) {
    TempDir t;
    const FileTime in2040 = 2208988800;  // 2040-01-01
    WriteFile(t / "f", "abc", in2040);
    FileStatus st;
    ASSERT_TRUE(RealFileSystem().GetStatus(t / "f", st));
    EXPECT_TRUE(st.isFile);
    EXPECT_EQ(st.mtime, in2040);
    EXPECT_EQ(st.size, 3u);
    EXPECT_FALSE(RealFileSystem().GetStatus(t / "none", st));
}

TEST(PosixFileSystem, ExclusiveCreateRefusesAnExistingFile) {
    TempDir t;
    WriteFile(t / "f", "keep");
    EXPECT_EQ(RealFileSystem().Create(t / "f", true), kInvalidHandle);
    EXPECT_EQ(ReadFile(t / "f"), "keep");
}

TEST(PosixFileSystem, SetTimesKeepsBothTimesToTheNanosecond) {
    TempDir t;
    FileSystem& fs = RealFileSystem();
    const FileHandle h = fs.Create(t / "f", true);
    ASSERT_NE(h, kInvalidHandle);
    EXPECT_TRUE(fs.SetTimes(h, 900000000, 5, 1000000000, 123456789));
    EXPECT_TRUE(fs.Close(h));
    FileStatus st;
    ASSERT_TRUE(fs.GetStatus(t / "f", st));
    EXPECT_EQ(st.mtime, 1000000000);
    EXPECT_EQ(st.mtimeNsec, 123456789);
    EXPECT_EQ(st.atime, 900000000);
    EXPECT_EQ(st.atimeNsec, 5);
}

TEST(JoinPath, KeepsADoubledSeparator) {
    EXPECT_EQ(JoinPath("/a/b", "c"), "/a/b/c");
    EXPECT_EQ(JoinPath("/a/b/", "c"), "/a/b//c");
}

}  // namespace
