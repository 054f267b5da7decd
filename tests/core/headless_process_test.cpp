// The headless options of the real zoruna executable, run as a child process
// without any window system, in a folder that holds its settings file.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/temp_dir.h"
#include "zoruna_version.h"

namespace {

// ZORUNA_EXE, else the zoruna built next to this test program.
std::string ZorunaExecutable() {
    if (const char* exe = std::getenv("ZORUNA_EXE"); exe && *exe) return exe;
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "zoruna";
}

struct ChildResult {
    int status;
    std::string out;
};

ChildResult RunIn(const std::string& dir, const std::string& exe, const std::string& option) {
    const std::string command =
        "cd '" + dir + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" + exe + "' " + option + " 2>/dev/null";
    ChildResult r{-1, {}};
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int wait = pclose(p);
    r.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    return r;
}

TEST(ZorunaProcess, HeadlessOptionsNeedNoDisplay) {
    const std::string exe = ZorunaExecutable();
    if (exe.empty() || access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << exe;
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    WriteFile(a + "/f", "", 1000);
    WriteFile(t / "zoruna.INI", "[DIR0]\r\nDIRA=" + a + "\r\nDIRB=" + b + "\r\nMASK=obj\r\n\r\n");

    const ChildResult version = RunIn(t.path(), exe, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, ZORUNA_VERSION_TEXT "\n");

    const ChildResult pairs = RunIn(t.path(), exe, "--pairs");
    EXPECT_EQ(pairs.status, 0);
    EXPECT_EQ(pairs.out, "1\t" + a + "\t" + b + "\tobj\n");

    const ChildResult report = RunIn(t.path(), exe, "--report");
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(report.out.rfind("1\tONLY_A\tf\t", 0), 0u) << report.out;

    EXPECT_EQ(RunIn(t.path(), exe, "--no-such-option").status, 2);

    // The settings file is looked up in the current folder: none there is a
    // broken setup, and an empty one registers no pair.
    const std::string empty = t.MakeDir("empty");
    EXPECT_EQ(RunIn(empty, exe, "--report").status, 2);
    WriteFile(empty + "/zoruna.INI", "");
    EXPECT_EQ(RunIn(empty, exe, "--sync").status, 3);
    EXPECT_EQ(ReadFile(empty + "/zoruna.INI"), "") << "the headless options never write it";
}

}  // namespace
