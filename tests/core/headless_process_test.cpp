// The headless options of the real zoruna executable, run as a child process
// without any window system, in a folder that holds its settings file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/temp_name.h"
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

// Runs exe with option in dir without a display, with the shell's
// redirections; out is what reaches the shell's stdout.
ChildResult RunRedirected(const std::string& dir, const std::string& exe, const std::string& option,
                          const std::string& redirections) {
    const std::string command =
        "cd '" + dir + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" + exe + "' " + option + " " + redirections;
    ChildResult r{-1, {}};
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int wait = pclose(p);
    r.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    return r;
}

// Runs exe with option in dir without a display; stderr is dropped unless
// withErrors, which puts it after stdout in out.
ChildResult RunIn(const std::string& dir, const std::string& exe, const std::string& option,
                  bool withErrors = false) {
    return RunRedirected(dir, exe, option, withErrors ? "2>&1" : "2>/dev/null");
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
    EXPECT_EQ(version.out, "Zoruna Version " ZORUNA_VERSION "\n");

    const ChildResult pairs = RunIn(t.path(), exe, "--pairs");
    EXPECT_EQ(pairs.status, 0);
    EXPECT_EQ(pairs.out, "1\t" + a + "\t" + b + "\tobj\t\n");

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

class OutputOnAFullDisk : public testing::TestWithParam<const char*> {};

// Output that cannot be written never passes for success: every option that
// prints fails with 2 and says why on stderr, whatever it did besides.
TEST_P(OutputOnAFullDisk, ExitsWith2AndSaysSo) {
    const std::string exe = ZorunaExecutable();
    if (exe.empty() || access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << exe;
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full to write to";
    TempDir t;
    const std::string a = t.MakeDir("a");
    const std::string b = t.MakeDir("b");
    WriteFile(a + "/f", "", 1000);
    WriteFile(t / "zoruna.INI", "[DIR0]\r\nDIRA=" + a + "\r\nDIRB=" + b + "\r\n\r\n");
    // stderr to the pipe, stdout to the full device.
    const ChildResult r = RunRedirected(t.path(), exe, GetParam(), "2>&1 >/dev/full");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("zoruna: the output could not be written\n"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Options, OutputOnAFullDisk,
                         testing::Values("--pairs", "--report", "--sync", "--help", "--version"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param + 2);
                         });

// Whether process pid has a handler of its own for sig.
bool CatchesSignal(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

// Polls cond every millisecond for at most a minute; false when it never held.
template <class Cond>
bool WaitFor(Cond cond) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        usleep(1000);
    }
    return true;
}

// Size of the first temporary file of a copy in dir, -1 when there is none.
long long CopyTempSize(const std::string& dir) {
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (IsCopyTempName(e.path().filename().string())) return static_cast<long long>(e.file_size());
    return -1;
}

// Ctrl+C asks --sync to stop cleanly; a second one, while that stop is still
// under way, ends the process by the signal at once. The file being copied
// keeps its old content either way. The child's stderr is a pipe that is
// already full, so the child cannot finish its last line and is still
// running when the second signal comes.
TEST(ZorunaProcess, SecondInterruptEndsTheSyncByTheSignal) {
    const std::string exe = ZorunaExecutable();
    if (exe.empty() || access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << exe;
    if (access("/proc/self/status", R_OK) != 0) GTEST_SKIP() << "no /proc to see the child's signal handlers in";
    constexpr FileTime kOld = 1500000000, kNew = 1600000000;
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    // 4 GiB whose blocks are reserved but never written: quick to make, and
    // the copy (which keeps holes, so a sparse file would take no time) is
    // still under way when stopped.
    const int fd = open((a + "/big").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const int reserved = posix_fallocate(fd, 0, off_t{4} << 30);
    close(fd);
    if (reserved != 0) GTEST_SKIP() << "cannot reserve 4 GiB here: " << std::strerror(reserved);
    const struct timespec times[2] = {{kNew, 0}, {kNew, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (a + "/big").c_str(), times, 0), 0);
    WriteFile(b + "/big", "old", kOld);
    WriteFile(t / "zoruna.INI", "[DIR0]\r\nDIRA=" + a + "\r\nDIRB=" + b + "\r\n\r\n");

    int errPipe[2];
    ASSERT_EQ(pipe(errPipe), 0);
    // Fill the pipe to the last byte; then writing to it blocks.
    ASSERT_EQ(fcntl(errPipe[1], F_SETFL, O_NONBLOCK), 0);
    const std::string page(4096, 'x');
    while (write(errPipe[1], page.data(), page.size()) > 0) {}
    while (write(errPipe[1], "x", 1) > 0) {}
    ASSERT_EQ(fcntl(errPipe[1], F_SETFL, 0), 0);
    const int devNull = open("/dev/null", O_WRONLY);
    ASSERT_GE(devNull, 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(t.path().c_str()) != 0 || dup2(devNull, 1) < 0 || dup2(errPipe[1], 2) < 0) _exit(126);
        execl(exe.c_str(), "zoruna", "--sync", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(devNull);
    close(errPipe[1]);
    int status = 0;
    bool exited = false;
    const auto ended = [&] { return exited || (exited = waitpid(child, &status, WNOHANG) == child); };
    const bool copying = WaitFor([&] { return ended() || CopyTempSize(b) > 0; }) && !exited;
    bool firstTaken = false;
    if (copying) {
        kill(child, SIGINT);
        // The first signal's handler is reset once it has been delivered.
        firstTaken = WaitFor([&] { return ended() || !CatchesSignal(child, SIGINT); });
    }
    if (!exited) {
        kill(child, firstTaken ? SIGINT : SIGKILL);
        waitpid(child, &status, 0);
    }
    close(errPipe[0]);

    ASSERT_TRUE(copying) << "the copy ended or never began before it could be interrupted";
    ASSERT_TRUE(firstTaken) << "SIGINT was still caught after the first one";
    ASSERT_TRUE(WIFSIGNALED(status)) << "ended by itself with " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_EQ(ReadFile(b + "/big"), "old");
    EXPECT_EQ(ModTime(b + "/big"), kOld);
    // What the killed process may have left never takes part, and a
    // comparison changes nothing: it stays for the next copy to remove.
    const std::string before = ListNames(b);
    const ChildResult report = RunIn(t.path(), exe, "--report");
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(report.out.find(".zoruna~"), std::string::npos) << report.out;
    EXPECT_EQ(ListNames(b), before);
    for (const auto& e : std::filesystem::directory_iterator(b)) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "big" || IsCopyTempName(name)) << name;
    }
}

// A copy of the built executable alone in a folder, without the window
// module beside it or installed.
struct LoneCopy {
    TempDir dir;
    std::string exe;
    explicit LoneCopy(const std::string& built) : exe(dir.MakeDir("bin") + "/zoruna") {
        std::filesystem::copy_file(built, exe);
        std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
        WriteFile(dir / "zoruna.INI", "");
    }
};

struct OptionCase {
    const char* name;
    const char* option;
    const char* outputStart;
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class DashOption : public testing::TestWithParam<OptionCase> {};

// The -- options print the same from the built tree and from a lone copy:
// they need neither the window module nor a display.
TEST_P(DashOption, RunsFromTheBuiltTreeAndWithoutTheWindowModule) {
    const OptionCase& c = GetParam();
    const std::string built = ZorunaExecutable();
    if (built.empty() || access(built.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << built;
    const LoneCopy lone(built);
    const ChildResult fromTree = RunIn(lone.dir.path(), built, c.option, true);
    EXPECT_EQ(fromTree.status, 0) << fromTree.out;
    EXPECT_EQ(fromTree.out.rfind(c.outputStart, 0), 0u) << fromTree.out;
    const ChildResult alone = RunIn(lone.dir.path(), lone.exe, c.option, true);
    EXPECT_EQ(alone.status, 0) << alone.out;
    EXPECT_EQ(alone.out, fromTree.out);
}

INSTANTIATE_TEST_SUITE_P(Table, DashOption,
                         testing::Values(OptionCase{"version", "--version", "Zoruna Version 0.98.03\n"},
                                         OptionCase{"help", "--help", "Usage: zoruna [option]\n"}),
                         [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

struct LanguageCase {
    const char* name;
    const char* lang;  // LANG; LANGUAGE, LC_ALL and LC_MESSAGES unset
    bool lone;         // a copy of zoruna without the catalogs of the build folder
    const char* failureStart;
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class DashOptionLanguage : public testing::TestWithParam<LanguageCase> {};

// The window's failure texts that --report prints come in the locale's
// language from the build folder's catalog; under C, Japanese, or without a
// catalog, in the Japanese of the window.
TEST_P(DashOptionLanguage, PrintsTheListingFailureInTheLocalesLanguage) {
    const LanguageCase& c = GetParam();
    const std::string built = ZorunaExecutable();
    if (built.empty() || access(built.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << built;
    const LoneCopy lone(built);
    const std::string b = lone.dir.MakeDir("b");
    WriteFile(lone.dir / "zoruna.INI",
              "[DIR0]\r\nDIRA=" + (lone.dir / "missing") + "\r\nDIRB=" + b + "\r\nMASK=\r\n\r\n");
    const std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=" + std::string(c.lang) + " '" +
                                (c.lone ? lone.exe : built) + "'";
    const ChildResult r = RunRedirected(lone.dir.path(), "sh", "-c \"" + command + " --report\"", "2>&1");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_EQ(r.out.rfind(c.failureStart, 0), 0u) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DashOptionLanguage,
    testing::Values(LanguageCase{"English", "en_US.UTF-8", false, "The directory \""},
                    LanguageCase{"German", "de_DE.UTF-8", false, "The directory \""},
                    LanguageCase{"C", "C", false, "ﾃﾞｨﾚｸﾄﾘ \""},
                    LanguageCase{"Japanese", "ja_JP.UTF-8", false, "ﾃﾞｨﾚｸﾄﾘ \""},
                    LanguageCase{"EnglishWithoutCatalog", "en_US.UTF-8", true, "ﾃﾞｨﾚｸﾄﾘ \""}),
    [](const testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

// Where the window module can lie relative to the executable that is run.
enum class ModuleAt { Beside, Installed, BesideTheLinkTarget, Nowhere, Broken };

struct LayoutCase {
    const char* name;
    ModuleAt module;
    bool loads;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class WindowModule : public testing::TestWithParam<LayoutCase> {};

// A start without an option loads the window module from the build folder,
// from an installation's library folder, or beside the real file of a
// symbolic link; without a loadable module it says so and fails instead of
// crashing. Run without a display, a loaded module gets as far as the window
// system's own refusal.
TEST_P(WindowModule, IsFoundWhereItIsBuiltOrInstalled) {
    const LayoutCase& c = GetParam();
    const std::string built = ZorunaExecutable();
    const std::string module = built.substr(0, built.rfind('/') + 1) + "zoruna-gui.so";
    if (built.empty() || access(built.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << built;
    if (access(module.c_str(), R_OK) != 0) GTEST_SKIP() << "no window module at " << module << " (built without it)";

    const LoneCopy lone(built);
    const std::string bin = lone.exe.substr(0, lone.exe.rfind('/'));
    std::string exe = lone.exe;
    switch (c.module) {
        case ModuleAt::Beside:
            std::filesystem::copy_file(module, bin + "/zoruna-gui.so");
            break;
        case ModuleAt::Installed:
            std::filesystem::create_directories(bin + "/" ZORUNA_GUI_MODULE_RELDIR);
            std::filesystem::copy_file(module, bin + "/" ZORUNA_GUI_MODULE_RELDIR "/zoruna-gui.so");
            break;
        case ModuleAt::BesideTheLinkTarget:
            exe = lone.dir / "link-to-zoruna";
            std::filesystem::create_symlink(built, exe);
            break;
        case ModuleAt::Nowhere:
            break;
        case ModuleAt::Broken:
            WriteFile(bin + "/zoruna-gui.so", "not a shared object");
            break;
    }

    const ChildResult r = RunIn(lone.dir.path(), exe, "", true);
    EXPECT_EQ(r.status, 1);
    if (c.loads) {
        EXPECT_EQ(r.out.find("zoruna: the window part"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Unable to initialize GTK"), std::string::npos) << r.out;
    } else {
        EXPECT_EQ(r.out.rfind("zoruna: the window part ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("zoruna-gui.so cannot be loaded"), std::string::npos) << r.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WindowModule,
                         testing::Values(LayoutCase{"beside", ModuleAt::Beside, true},
                                         LayoutCase{"installed", ModuleAt::Installed, true},
                                         LayoutCase{"beside_the_link_target", ModuleAt::BesideTheLinkTarget, true},
                                         LayoutCase{"nowhere", ModuleAt::Nowhere, false},
                                         LayoutCase{"broken", ModuleAt::Broken, false}),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(ZorunaProcess, LinksNoWindowSystemLibrary) {
    const std::string exe = ZorunaExecutable();
    if (exe.empty() || access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "no zoruna executable at " << exe;
    // What the dynamic loader would map at start (as ldd lists it).
    TempDir t;
    const ChildResult r = RunIn(t.path(), "env", "LD_TRACE_LOADED_OBJECTS=1 '" + exe + "'");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("libc.so"), std::string::npos) << r.out;
    for (const char* lib : {"libwx_", "libgtk", "libX11"}) EXPECT_EQ(r.out.find(lib), std::string::npos) << r.out;
}

}  // namespace
