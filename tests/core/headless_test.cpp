#include "cli/headless.h"

#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/failure_text.h"
#include "cli/headless_common.h"
#include "core/compare.h"
#include "support/temp_dir.h"
#include "support/test_text.h"
#include "support/time_zone.h"
#include "zoruna_version.h"

namespace {

struct EscapeCase {
    const char* name;
    std::string in;
    std::string out;
};

// gtest shows the case by its name.
void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class EscapeFieldTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeFieldTest, KeepsALineOneEntry) { EXPECT_EQ(EscapeField(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Cases, EscapeFieldTest,
    ::testing::Values(EscapeCase{"plain", "C:/work/a b.txt", "C:/work/a b.txt"},
                      EscapeCase{"backslash", "C:\\WORK\\", "C:\\\\WORK\\\\"},
                      EscapeCase{"tab_and_line_breaks", "a\tb\r\nc", "a\\x09b\\x0D\\x0Ac"},
                      EscapeCase{"nul_unit_separator_and_del", std::string("\0\x1F\x7F", 3), "\\x00\\x1F\\x7F"},
                      EscapeCase{"high_bytes_pass", "\xE3\x81\x82\xFF\x80", "\xE3\x81\x82\xFF\x80"},
                      EscapeCase{"looks_escaped_already", "\\x41", "\\\\x41"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KindName, FollowsTheListsImageRule) {
    struct Case {
        bool inA;
        FileTime a;
        bool inB;
        FileTime b;
        const char* kind;
    };
    // The sides decide presence whatever the times; 0 and earlier are real dates.
    for (const Case& c : {Case{true, 5, false, 0, "ONLY_A"}, Case{false, 0, true, 5, "ONLY_B"},
                          Case{true, 0, false, 0, "ONLY_A"}, Case{false, 0, true, 0, "ONLY_B"},
                          Case{true, 6, true, 5, "A_NEWER"}, Case{true, 5, true, 6, "B_NEWER"},
                          Case{true, 5, true, 5, "B_NEWER"}, Case{true, 0, true, -5, "A_NEWER"},
                          Case{true, -5, false, 0, "ONLY_A"}}) {
        DiffEntry e{};
        e.inA = c.inA;
        e.timeA = c.a;
        e.inB = c.inB;
        e.timeB = c.b;
        EXPECT_STREQ(KindName(e), c.kind) << c.inA << c.a << " " << c.inB << c.b;
    }
}

// Runs RunHeadless in-process on a settings file of a temporary directory.
class HeadlessTest : public ::testing::Test {
protected:
    void WriteSettings(const std::string& bytes) { WriteFile(m_dir / "zoruna.INI", bytes); }

    struct Result {
        int status;
        std::string out;
        std::string err;
    };

    Result Run(std::vector<std::string> args) {
        args.insert(args.begin(), "zoruna");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::FILE* out = TempStream();
        std::FILE* err = TempStream();
        Result r;
        r.status =
            RunHeadless(static_cast<int>(args.size()), argv.data(), {m_dir / "zoruna.INI", &RealFileSystem()}, RealFileSystem(), out, err);
        r.out = DrainStream(out);
        r.err = DrainStream(err);
        return r;
    }

    TempDir m_dir;

private:
    const ScopedTimeZone m_utc{"UTC0"};
};


TEST_F(HeadlessTest, VersionAndHelp) {
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Zoruna Version " ZORUNA_VERSION "\n");
    EXPECT_EQ(version.err, "");

    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--pairs", "--report", "--sync", "--help", "--version"})
        EXPECT_NE(help.out.find("\n  " + std::string(option) + " "), std::string::npos) << option;
    EXPECT_NE(help.out.find(m_dir / "zoruna.INI"), std::string::npos);
    EXPECT_NE(help.out.find("exit with 2 when the settings file is missing"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("3 when it registers no complete pair"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.back(), '\n');
}

TEST_F(HeadlessTest, UnknownOptionAndStrayArgumentsFail) {
    for (const auto& args : {std::vector<std::string>{"--bogus\x01"}, std::vector<std::string>{"--pairs", "x"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.find('\x01'), std::string::npos);
    }
    EXPECT_NE(Run({"--bogus\x01"}).err.find("--bogus\\x01"), std::string::npos);
}

TEST_F(HeadlessTest, PairsListsTheRegisteredSlotsEscaped) {
    WriteSettings("[SIZE]\r\nFNAME=147\r\n\r\n" + PairSection(0, "C:\\WORK", "/b\tx", "obj, bak") +
                  PairSection(1, "/c", "/d", "") + "SUBDIRS=1\r\n\r\n" + PairSection(2, "/only-a", "", "x") +
                  "SUBDIRS=1\r\n\r\n" + PairSection(3, "/e", "/f", "tmp") + "SUBDIRS=0\r\n\r\n");
    const Result r = Run({"--pairs"});
    EXPECT_EQ(r.status, 0);
    // The fifth field says whether whole trees are compared.
    EXPECT_EQ(r.out, "1\tC:\\\\WORK\t/b\\x09x\tobj,bak\t\n2\t/c\t/d\t\tsubdirs\n3\t/e\t/f\ttmp\t\n");
    EXPECT_EQ(r.err, "");
}

// A setup that cannot be right must never pass for "all in step": every
// command that needs the pairs says why on stderr and exits with 2 or 3.
struct BrokenSetup {
    const char* name;
    // Puts something (or nothing) in the place of the settings file; false
    // when this environment cannot make it.
    bool (*make)(const std::string& ini);
    int status;
    const char* reason;  // part of the message
};

void PrintTo(const BrokenSetup& c, std::ostream* os) { *os << c.name; }

class BrokenSetupTest : public HeadlessTest, public ::testing::WithParamInterface<BrokenSetup> {};

TEST_P(BrokenSetupTest, EveryCommandFailsLoudly) {
    const BrokenSetup& c = GetParam();
    const std::string ini = m_dir / "zoruna.INI";
    if (!c.make(ini)) GTEST_SKIP() << "cannot make this setup here (running as root?)";
    for (const char* option : {"--pairs", "--report", "--sync"}) {
        const Result r = Run({option});
        EXPECT_EQ(r.status, c.status) << option;
        EXPECT_EQ(r.out, "") << option;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(ini), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
    EXPECT_EQ(ListNames(m_dir.path()), c.name == std::string("missing") ? "" : "zoruna.INI")
        << "nothing is created";
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenSetupTest,
    ::testing::Values(
        BrokenSetup{"missing", [](const std::string&) { return true; }, 2, "does not exist"},
        BrokenSetup{"directory", [](const std::string& ini) { return mkdir(ini.c_str(), 0755) == 0; }, 2,
                    "is a directory"},
        BrokenSetup{"fifo", [](const std::string& ini) { return mkfifo(ini.c_str(), 0644) == 0; }, 2,
                    "not a regular file"},
        BrokenSetup{"dangling_link", [](const std::string& ini) { return symlink("nowhere.INI", ini.c_str()) == 0; },
                    2, "link to nothing"},
        BrokenSetup{"unreadable",
                    [](const std::string& ini) {
                        WriteFile(ini, PairSection(0, "/a", "/b"));
                        // root reads it all the same
                        return chmod(ini.c_str(), 0) == 0 && access(ini.c_str(), R_OK) != 0;
                    },
                    2, std::strerror(EACCES)},
        BrokenSetup{"empty_file",
                    [](const std::string& ini) {
                        WriteFile(ini, "");
                        return true;
                    },
                    3, "no complete pair"},
        BrokenSetup{"only_incomplete_pairs",
                    [](const std::string& ini) {
                        WriteFile(ini, "\xEF\xBB\xBF[DIR0]\r\nDIRA=/a\r\nMASK=\r\n\r\n[DIR1]\r\nDIRB=/b\r\n\r\n");
                        return true;
                    },
                    3, "no complete pair"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeadlessTest, SettingsFileReachedThroughALinkIsRead) {
    const std::string a = m_dir.MakeDir("a");
    WriteFile(m_dir / "real.INI", PairSection(0, a, a));
    ASSERT_EQ(symlink("real.INI", (m_dir / "zoruna.INI").c_str()), 0);
    const Result r = Run({"--pairs"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\t" + a + "\t" + a + "\t\t\n");
}

TEST_F(HeadlessTest, ReportPrintsEveryDifferenceAndExitsByWhatItFound) {
    const std::string a = m_dir.MakeDir("a");
    const std::string b = m_dir.MakeDir("b");
    WriteSettings(PairSection(0, a, b, ".o"));

    WriteFile(a + "/same", "", 1000);
    WriteFile(b + "/same", "", 1000);
    WriteFile(a + "/skip.o", "", 1000);
    const Result equal = Run({"--report"});
    EXPECT_EQ(equal.status, 0);
    EXPECT_EQ(equal.out, "");
    EXPECT_EQ(equal.err, "");

    WriteFile(a + "/only_a", "", 888933909);  // 98/03/03 14:05:09
    WriteFile(b + "/only_b", "", 946684800);  // 00/01/01 00:00:00
    WriteFile(a + "/Newer", "", 2000);
    WriteFile(b + "/NEWER", "", 1000);
    WriteFile(a + "/older", "", 1000);
    WriteFile(b + "/older", "", 3000);
    WriteFile(a + "/we\tird\\", "", 4000);
    const Result diff = Run({"--report"});
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(diff.err, "");
    EXPECT_EQ(SortedLines(diff.out), (std::vector<std::string>{
                                         "1\tA_NEWER\tNewer\t70/01/01 00:33:20\t70/01/01 00:16:40",
                                         "1\tB_NEWER\tolder\t70/01/01 00:16:40\t70/01/01 00:50:00",
                                         "1\tONLY_A\tonly_a\t98/03/03 14:05:09\t",
                                         "1\tONLY_A\twe\\x09ird\\\\\t70/01/01 01:06:40\t",
                                         "1\tONLY_B\tonly_b\t\t00/01/01 00:00:00",
                                     }));
    // Only-B entries follow the entries that come from A.
    EXPECT_NE(diff.out.rfind("ONLY_B"), std::string::npos);
    EXPECT_GT(diff.out.rfind("ONLY_B"), diff.out.rfind("ONLY_A"));
}

TEST_F(HeadlessTest, ReportGoesOnAfterAListingFailureAndExitsWith2) {
    const std::string a = m_dir.MakeDir("a");
    const std::string b = m_dir.MakeDir("b");
    const std::string missing = m_dir / "no\x01pe";
    WriteSettings(PairSection(0, missing, b, "") + PairSection(1, a, b, ""));
    WriteFile(a + "/f", "", 1000);
    const Result r = Run({"--report"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "2\tONLY_A\tf\t70/01/01 00:16:40\t\n");
    EXPECT_EQ(r.err, FormatListingFailure((m_dir / "no\\x01pe").c_str(), b.c_str()) + "\n");
}

// Names that differ only in case are separate files on Linux: --sync brings
// every one of them to both sides and no content is lost.
TEST_F(HeadlessTest, SyncKeepsEveryFileWhoseNameDiffersOnlyInCase) {
    const std::string a = m_dir.MakeDir("a");
    const std::string b = m_dir.MakeDir("b");
    WriteSettings(PairSection(0, a, b, ""));
    WriteFile(a + "/A.TXT", "A upper", 2000);
    WriteFile(a + "/a.txt", "A lower", 1000);
    WriteFile(b + "/a.txt", "B lower", 3000);
    WriteFile(b + "/A.TXT", "B upper", 500);
    WriteFile(a + "/Readme", "A readme", 1000);
    WriteFile(b + "/README", "B README", 1000);
    WriteFile(b + "/readme", "B readme", 1000);
    if (ListNames(b) != "A.TXT README a.txt readme") GTEST_SKIP() << "file system ignores case";

    const Result r = Run({"--sync"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const std::string& dir : {a, b}) {
        EXPECT_EQ(ListNames(dir), "A.TXT README Readme a.txt readme");
        EXPECT_EQ(ReadFile(dir + "/A.TXT"), "A upper");
        EXPECT_EQ(ReadFile(dir + "/a.txt"), "B lower");
        EXPECT_EQ(ReadFile(dir + "/Readme"), "A readme");
        EXPECT_EQ(ReadFile(dir + "/README"), "B README");
        EXPECT_EQ(ReadFile(dir + "/readme"), "B readme");
    }
}

// More differences than the table holds: the first MAX_DIFFS are printed, and
// one line on stderr says how many were left out; the exit status stays 1.
TEST_F(HeadlessTest, ReportSaysHowManyDifferencesDidNotFit) {
    const std::string a = m_dir.MakeDir("a");
    const std::string b = m_dir.MakeDir("b");
    const std::string c = m_dir.MakeDir("c");
    WriteSettings(PairSection(0, a, b, "") + PairSection(1, c, b, ""));
    for (int i = 0; i < MAX_DIFFS + 1; ++i) WriteFile(a + "/f" + std::to_string(i), "", 1000);
    WriteFile(c + "/g1", "", 1000);
    WriteFile(c + "/g2", "", 1000);
    const Result r = Run({"--report"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), MAX_DIFFS);
    EXPECT_EQ(r.err, FormatOmittedNotice(3) + "\n");
    EXPECT_NE(FormatOmittedNotice(3).find("5000"), std::string::npos);
    EXPECT_NE(FormatOmittedNotice(3).find("残り 3 件"), std::string::npos);
    EXPECT_EQ(FormatOmittedNotice(3).find('\n'), std::string::npos);
}

// --sync on pair 1, whose A holds `files` small files f0, f1, ... that B
// lacks, except that the first `protectedFiles` of them have an older
// read-only copy in B, which the copy always refuses to replace. With
// missingPair, pair 2 is registered with a directory A that does not exist.
struct SyncRunCase {
    const char* name;
    int files;
    int protectedFiles;
    bool missingPair;
    int status;
    int omittedAtTheEnd;  // differences the last comparison could not list
};

void PrintTo(const SyncRunCase& c, std::ostream* os) { *os << c.name; }

// Where the pairs' folders go: tmpfs when there is one, since flushing
// thousands of small copies to a shared disk takes seconds.
std::string FastTempBase() {
    struct statfs fs {};
    return statfs("/dev/shm", &fs) == 0 && fs.f_type == TMPFS_MAGIC && access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                                                                        : "";
}

class SyncRunTest : public HeadlessTest, public ::testing::WithParamInterface<SyncRunCase> {
protected:
    TempDir m_data{FastTempBase()};
};

// Every difference is tried exactly once in one run, however many rounds the
// table's size takes; stdout has a line per file copied, stderr each failure
// and each unreadable directory once, then the count of files copied and
// failed.
TEST_P(SyncRunTest, TriesEveryDifferenceOnceAndSaysHowItWent) {
    const SyncRunCase& c = GetParam();
    const std::string a = m_data.MakeDir("a");
    const std::string b = m_data.MakeDir("b");
    const std::string missing = m_data / "missing";
    WriteSettings(PairSection(0, a, b) + (c.missingPair ? PairSection(1, missing, b) : ""));
    std::vector<std::string> out, err;
    for (int i = 0; i < c.files; ++i) {
        const std::string name = "f" + std::to_string(i);
        WriteFile(a + "/" + name, "new", 2000);
        if (i < c.protectedFiles) {
            WriteFile(b + "/" + name, "old", 1000);
            ASSERT_EQ(chmod((b + "/" + name).c_str(), 0444), 0);
            err.push_back(name + "のコピーに失敗しました。");
            err.push_back("ｺﾋﾟｰ先のﾌｧｲﾙは読み取り専用です。");
        } else {
            out.push_back("1\tONLY_A\t" + name);
        }
    }
    if (c.missingPair) {
        const std::string failure = FormatListingFailure(missing.c_str(), b.c_str());
        err.push_back(failure.substr(0, failure.find('\n')));
        err.push_back(failure.substr(failure.find('\n') + 1));
    }
    if (c.omittedAtTheEnd > 0) err.push_back(FormatOmittedNotice(c.omittedAtTheEnd));
    const int copied = c.files - c.protectedFiles;
    const std::string summary = "zoruna: " + std::to_string(copied) + (copied == 1 ? " file" : " files") +
                                " copied, " + std::to_string(c.protectedFiles) + " failed";
    err.push_back(summary);

    const Result r = Run({"--sync"});
    EXPECT_EQ(r.status, c.status) << r.err.substr(0, 2000);
    std::sort(out.begin(), out.end());
    std::sort(err.begin(), err.end());
    EXPECT_EQ(SortedLines(r.out), out);
    EXPECT_EQ(SortedLines(r.err), err);
    EXPECT_TRUE(r.err.ends_with(summary + "\n")) << "the count comes last";
    for (int i = 0; i < c.protectedFiles; ++i) ASSERT_EQ(ReadFile(b + "/f" + std::to_string(i)), "old") << i;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SyncRunTest,
    ::testing::Values(SyncRunCase{"nothing_differs", 0, 0, false, 0, 0},
                      SyncRunCase{"one_copy_fails", 2, 1, false, 1, 0},
                      // More than one table: copied in rounds within one run.
                      SyncRunCase{"more_files_than_the_table_holds", MAX_DIFFS + 300, 0, false, 0, 0},
                      // Failures alone would fill every round's table: each is
                      // tried once and the files after them are still copied.
                      SyncRunCase{"failures_fill_the_table", MAX_DIFFS + 300, MAX_DIFFS + 100, false, 1, 100},
                      // Met by every round's comparison, printed once.
                      SyncRunCase{"unreadable_directory_over_rounds", MAX_DIFFS + 300, 0, true, 2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FailureText, ListingFailureIsTheTwoLineText) {
    EXPECT_EQ(FormatListingFailure("C:\\A", "D:\\B"),
              "ﾃﾞｨﾚｸﾄﾘ \"C:\\A\" の参照に失敗しました。\n\"D:\\B\" との比較は行いません。");
}

TEST(FailureText, PrintedListingFailureEscapesTheDirectoriesAndKeepsTheLineBreak) {
    const ListingFailure failure{1, PairSide::B, "/c\\", "/a\nb", ENOENT};
    EXPECT_EQ(PrintedListingFailure(failure), FormatListingFailure("/c\\\\", "/a\\x0Ab"));
}

}  // namespace
