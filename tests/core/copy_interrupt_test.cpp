// A copy stopped halfway: zoruna --sync in a child process gets a real signal
// in the middle of a large file; and the names of the temporary files.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "cli/headless.h"
#include "copy_test_helpers.h"
#include "core/compare.h"
#include "settings/ini_store.h"
#include "support/test_text.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;

// A file of size bytes that is quick to make: its blocks are reserved but
// never written (they read as zeros). Every block is allocated, so a copy
// reads and writes them all; a file of holes would be copied in an instant.
// 0 or the errno of the refusal.
int MakeAllocatedFile(const std::string& path, off_t size, FileTime mtime) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    int error = posix_fallocate(fd, 0, size);
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    if (error == 0 && futimens(fd, times) != 0) error = errno;
    close(fd);
    return error;
}

// Size of the first temporary file in dir, -1 when there is none.
long long TempFileSize(const std::string& dir) {
    std::vector<DirEntry> entries;
    RealFileSystem().ListDirectory(dir, entries);
    for (const auto& e : entries)
        if (IsCopyTempName(e.name)) return static_cast<long long>(StatOf(JoinPath(dir, e.name)).st_size);
    return -1;
}

class SyncInterrupted : public testing::TestWithParam<int> {};

TEST_P(SyncInterrupted, AbandonsTheFileInProgressAndEndsWithTheSignalsStatus) {
    const int sig = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    if (const int error = MakeAllocatedFile(a + "/big", off_t{4} << 30, kNew))
        GTEST_SKIP() << "no room for a large file here: " << std::strerror(error);
    WriteFile(b + "/big", "old", kOld);
    WriteFile(t / "zoruna.INI", PairSection(0, a, b));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const SettingsStore store{t / "zoruna.INI", &RealFileSystem()};
        std::FILE* null = std::fopen("/dev/null", "w");
        char program[] = "zoruna", option[] = "--sync";
        char* argv[] = {program, option, nullptr};
        _exit(RunHeadless(2, argv, store, RealFileSystem(), null, null));
    }
    // Wait until the copy has written into its temporary file, then stop it.
    int status = 0;
    bool exited = false;
    while (TempFileSize(b) <= 0 && !exited) {
        exited = waitpid(child, &status, WNOHANG) == child;
        usleep(1000);
    }
    ASSERT_FALSE(exited) << "the copy ended before it could be interrupted";
    ASSERT_EQ(kill(child, sig), 0);
    ASSERT_EQ(waitpid(child, &status, 0), child);

    ASSERT_TRUE(WIFEXITED(status)) << "killed instead of ending cleanly";
    EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    EXPECT_EQ(TempLeftovers(b), "");
    ASSERT_EQ(StatOf(b + "/big").st_size, 3) << "the large file was put in place";
    EXPECT_EQ(ReadFile(b + "/big"), "old");
    EXPECT_EQ(ModTime(b + "/big"), kOld);
}

INSTANTIATE_TEST_SUITE_P(Signals, SyncInterrupted, testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM"); });

TEST(CopyTempNames, NameHostAndProcessAndReadBack) {
    struct Case {
        const char* name;
        bool parses;
        const char* host;
        long pid;
    };
    for (const Case& c : {Case{".zoruna~box-12-3.tmp", true, "box", 12},
                          Case{".zoruna~my-build-host-4711-1.tmp", true, "my-build-host", 4711},
                          Case{".zoruna~0123456789abcdef-1.tmp", false, "", 0},  // an older version's
                          Case{".zoruna~-12-3.tmp", false, "", 0},
                          Case{".zoruna~box-x-3.tmp", false, "", 0},
                          Case{"box-12-3.tmp", false, "", 0}}) {
        std::string host;
        long pid = 0;
        EXPECT_EQ(ParseCopyTempName(c.name, host, pid), c.parses) << c.name;
        if (c.parses) {
            EXPECT_EQ(host, c.host) << c.name;
            EXPECT_EQ(pid, c.pid) << c.name;
        }
    }
    std::string host;
    long pid = 0;
    ASSERT_TRUE(ParseCopyTempName(MakeCopyTempName(), host, pid));
    EXPECT_EQ(pid, static_cast<long>(getpid()));
}

}  // namespace
