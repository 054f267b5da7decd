#include "core/filesystem.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/copy_guards.h"
#include "core/mount_info.h"
#include "core/posix_dir.h"
#include "support/memory_fs.h"
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

// A name in a directory, asked relative to the open directory and, where
// none is open, by path: both ways must give the same answer.
struct NameCase {
    const char* label;
    const char* name;
    bool found;           // GetStatusAt (links followed)
    bool isFile;
    std::uint64_t size;
    bool linkFound;       // GetLinkStatusAt (the entry itself)
    bool isLink;
    bool writable;
    int error;            // errno of the calls that fail
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class NameInDirectory : public testing::TestWithParam<std::tuple<NameCase, bool>> {};

TEST_P(NameInDirectory, StatusAndWritabilityOfTheName) {
    const auto& [c, opened] = GetParam();
    TempDir t;
    t.MakeDir("sub");
    WriteFile(t / "plain", "abc");
    WriteFile(t / "sub/inner", "abcd");
    WriteFile(t / "readonly", "ab");
    ASSERT_EQ(chmod((t / "readonly").c_str(), 0444), 0);
    ASSERT_EQ(symlink("plain", (t / "link").c_str()), 0);
    ASSERT_EQ(symlink("sub", (t / "dirlink").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (t / "dangling").c_str()), 0);
    FileSystem& fs = RealFileSystem();
    const DirectoryHandle dir = opened ? fs.OpenDirectory(t.path()) : DirectoryHandle();
    if (opened) ASSERT_TRUE(dir);

    FileStatus st;
    errno = 0;
    ASSERT_EQ(fs.GetStatusAt(dir, t.path(), c.name, st), c.found);
    if (c.found) {
        EXPECT_EQ(st.isFile, c.isFile);
        EXPECT_EQ(st.isDirectory, !c.isFile);
        if (c.isFile) {
            EXPECT_EQ(st.size, c.size);
        }
        EXPECT_FALSE(st.isLink);
    } else {
        EXPECT_EQ(errno, c.error);
    }
    FileStatus lst;
    errno = 0;
    ASSERT_EQ(fs.GetLinkStatusAt(dir, t.path(), c.name, lst), c.linkFound);
    if (c.linkFound) {
        EXPECT_EQ(lst.isLink, c.isLink);
    } else {
        EXPECT_EQ(errno, c.error);
    }
    // An existing file that may not be written: its mode bits say so.
    if (c.found && !c.writable && geteuid() == 0) GTEST_SKIP() << "root may write to read-only files";
    EXPECT_EQ(fs.IsWritableAt(dir, t.path(), c.name), c.writable);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameInDirectory,
    testing::Combine(
        testing::Values(NameCase{"plain_file", "plain", true, true, 3, true, false, true, 0},
                        NameCase{"link_to_a_file", "link", true, true, 3, true, true, true, 0},
                        NameCase{"link_to_a_directory", "dirlink", true, false, 0, true, true, true, 0},
                        NameCase{"dangling_link", "dangling", false, false, 0, true, true, false, ENOENT},
                        NameCase{"file_in_a_subfolder", "sub/inner", true, true, 4, true, false, true, 0},
                        NameCase{"read_only_file", "readonly", true, true, 2, true, false, false, 0},
                        NameCase{"missing_name", "none", false, false, 0, false, false, false, ENOENT},
                        NameCase{"missing_subfolder", "nosub/f", false, false, 0, false, false, false, ENOENT},
                        NameCase{"below_a_file", "plain/f", false, false, 0, false, false, false, ENOTDIR}),
        testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).label) + (std::get<1>(info.param) ? "_opened" : "_by_path");
    });

// A directory stream played back from a script: each step is a name, or an
// empty text for "readdir returns NULL with this errno".
struct ScriptedDir {
    std::vector<std::string> steps;
    std::vector<int> errors;  // errno for the NULL steps, in order
    std::size_t next = 0;
    std::size_t nextError = 0;
    dirent entry{};
};

ScriptedDir* g_script = nullptr;

dirent* ScriptedReadDir(DIR*) {
    ScriptedDir& s = *g_script;
    if (s.next >= s.steps.size() || s.steps[s.next].empty()) {
        ++s.next;
        errno = s.nextError < s.errors.size() ? s.errors[s.nextError++] : 0;
        return nullptr;
    }
    std::snprintf(s.entry.d_name, sizeof s.entry.d_name, "%s", s.steps[s.next++].c_str());
    return &s.entry;
}

struct ReadEntriesCase {
    const char* name;
    std::vector<std::string> steps;
    std::vector<int> errors;
    bool complete;
    std::vector<std::string> seen;
    int error;  // errno after an incomplete walk
};

class ReadEntriesTest : public ::testing::TestWithParam<ReadEntriesCase> {};

TEST_P(ReadEntriesTest, TellsTheEndFromAnError) {
    const ReadEntriesCase& c = GetParam();
    ScriptedDir script{c.steps, c.errors};
    g_script = &script;
    std::vector<std::string> seen;
    errno = EBADF;  // left over from an earlier call: must not read as an error
    const bool complete = ReadEntries(nullptr, [&](const dirent& e) { seen.push_back(e.d_name); }, ScriptedReadDir);
    const int error = errno;
    g_script = nullptr;
    EXPECT_EQ(complete, c.complete);
    EXPECT_EQ(seen, c.seen);
    if (!c.complete) {
        EXPECT_EQ(error, c.error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadEntriesTest,
    ::testing::Values(ReadEntriesCase{"end_after_entries", {".", "a", "..", "b"}, {}, true, {"a", "b"}, 0},
                      ReadEntriesCase{"empty_directory", {".", ".."}, {}, true, {}, 0},
                      ReadEntriesCase{"error_midway_is_not_the_end", {"a", "", "b"}, {EIO}, false, {"a"}, EIO},
                      ReadEntriesCase{"error_before_any_entry", {""}, {ENOENT}, false, {}, ENOENT},
                      ReadEntriesCase{"dot_names_only_skipped_exactly", {"...", ".a", "..b"}, {}, true,
                                      {"...", ".a", "..b"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PosixFileSystem, WalkClosesItsHandleOnEveryWayOut) {
    TempDir t;
    WriteFile(t / "f", "");
    const auto openFds = [] {
        std::vector<DirEntry> fds;
        RealFileSystem().ListDirectory("/proc/self/fd", fds);
        return fds.size();
    };
    const std::size_t before = openFds();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(WalkDirectory(t.path().c_str(), [](int, const dirent&) {}), 0);
        EXPECT_EQ(WalkDirectory((t / "none").c_str(), [](int, const dirent&) {}), ENOENT);
        EXPECT_EQ(WalkDirectory((t / "f").c_str(), [](int, const dirent&) {}), ENOTDIR);
    }
    EXPECT_EQ(openFds(), before);
}

// The mount table names a FUSE mount's real file system; the line is found by
// its device, whatever optional fields come before the " - ".
TEST(MountInfo, TypeOfTheDevicesMount) {
    TempDir t;
    WriteFile(t / "mountinfo",
              "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
              "44 26 0:39 / /media/my\\040stick rw,nosuid shared:7 master:2 - fuse.fusefat fusefat rw,user_id=0\n"
              "45 26 8:17 / /media/x rw - fuseblk /dev/sdb1 rw,user_id=0\n");
    const std::string table = t / "mountinfo";
    EXPECT_EQ(MountTypeOfDevice(254, 1, table.c_str()), "ext4");
    EXPECT_EQ(MountTypeOfDevice(0, 39, table.c_str()), "fuse.fusefat");
    EXPECT_EQ(MountTypeOfDevice(8, 17, table.c_str()), "fuseblk");
    EXPECT_EQ(MountTypeOfDevice(8, 1, table.c_str()), "");
    EXPECT_EQ(MountTypeOfDevice(0, 3, table.c_str()), "");  // 0:3 is no prefix match of 0:39
    EXPECT_EQ(MountTypeOfDevice(0, 39, (t / "none").c_str()), "");
    EXPECT_TRUE(IsTwoSecondFuseType("fuse.fusefat"));
    EXPECT_TRUE(IsTwoSecondFuseType("fuseblk"));
    EXPECT_FALSE(IsTwoSecondFuseType("fuse.sshfs"));
    EXPECT_FALSE(IsTwoSecondFuseType("fuse"));
}

// Hands out numbered directory handles and records which it was asked to close.
class CountingDirectories : public MemoryFileSystem {
public:
    std::vector<DirectoryHandle::Native> closed;

    DirectoryHandle OpenDirectory(const std::string& dir) override {
        return AdoptDirectory(dir.empty() ? DirectoryHandle::kNone : m_next++);
    }

private:
    void CloseDirectory(DirectoryHandle::Native dir) override { closed.push_back(dir); }
    DirectoryHandle::Native m_next = 7;
};

// Every directory opened is closed once, by whoever owns it last; an empty
// handle and one moved away close nothing.
TEST(DirectoryHandle, ClosesEachDirectoryOnceThroughItsLayer) {
    CountingDirectories fs;
    {
        DirectoryHandle first = fs.OpenDirectory("a");
        const DirectoryHandle none = fs.OpenDirectory("");
        EXPECT_FALSE(none);
        DirectoryHandle owner = std::move(first);
        EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): moved from, it is empty
        ASSERT_TRUE(owner);
        EXPECT_EQ(owner.native(), 7);
        EXPECT_TRUE(fs.closed.empty());
        owner = fs.OpenDirectory("b");  // the first one goes now
        EXPECT_EQ(fs.closed, std::vector<DirectoryHandle::Native>{7});
        EXPECT_EQ(owner.native(), 8);
    }
    EXPECT_EQ(fs.closed, (std::vector<DirectoryHandle::Native>{7, 8}));
}

TEST(JoinPath, KeepsADoubledSeparator) {
    EXPECT_EQ(JoinPath("/a/b", "c"), "/a/b/c");
    EXPECT_EQ(JoinPath("/a/b/", "c"), "/a/b//c");
}

}  // namespace
