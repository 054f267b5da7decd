// zoruna --sync end to end: real directories and a settings file written by
// hand, run in-process through RunSync.
#include "cli/headless_sync.h"

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/headless_common.h"
#include "cli/stop_signals.h"
#include "settings/settings.h"
#include "support/forwarding_fs.h"
#include "support/temp_dir.h"
#include "support/test_text.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;
// A name of unusual characters that the platform allows in a file name.
#ifdef _WIN32
const std::string kOddName = "semi;colon";
#else
const std::string kOddName = "tab\tname";
#endif

class SyncTest : public testing::Test {
protected:

    struct Result {
        int status;
        std::string out;
        std::string err;
    };
    Result Sync(const std::string& settings) {
        WriteFile(m_dir / "zoruna.INI", settings);
        std::FILE* out = TempStream();
        std::FILE* err = TempStream();
        DirPairTable pairs;
        ColumnWidths widths;
        WindowSize size;
        LoadSettings({m_dir / "zoruna.INI", &RealFileSystem()}, pairs, widths, size);
        const int status = RunSync(pairs, RealFileSystem(), out, err);
        return {status, DrainStream(out), DrainStream(err)};
    }

    TempDir m_dir;
};

TEST_F(SyncTest, CopiesEveryDifferenceAndThenFindsNone) {
    const std::string a = m_dir.MakeDir("A"), b = m_dir.MakeDir("B");
    const std::string c = m_dir.MakeDir("C"), d = m_dir.MakeDir("D");
    WriteFile(a + "/only-a", "1", kNew);
    WriteFile(b + "/only-b", "2", kNew);
    WriteFile(a + "/newer-in-a", "new", kNew);
    WriteFile(b + "/newer-in-a", "old", kOld);
    WriteFile(a + "/skip.bak", "masked", kNew);
    WriteFile(c + "/" + kOddName, "3", kNew);
    WriteFile(c + "/Same.TXT", "old", kOld);
    WriteFile(d + "/SAME.txt", "new", kNew);
    const std::string settings = PairSection(0, a, b, ".bak") + PairSection(1, c, d);

    const Result r = Sync(settings);

    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "zoruna: 5 files copied, 0 failed\n");
    EXPECT_EQ(SortedLines(r.out), (std::vector<std::string>{"1\tA_NEWER\tnewer-in-a", "1\tONLY_A\tonly-a",
                                                            "1\tONLY_B\tonly-b", "2\tB_NEWER\tSame.TXT",
                                                            "2\tONLY_A\t" + EscapeField(kOddName)}));
    EXPECT_EQ(ListNames(b), "newer-in-a only-a only-b");
    EXPECT_EQ(ReadFile(b + "/newer-in-a"), "new");
    EXPECT_EQ(ListNames(c), "Same.TXT " + kOddName);
    EXPECT_EQ(ReadFile(c + "/Same.TXT"), "new");

    const Result again = Sync(settings);
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "zoruna: 0 files copied, 0 failed\n");
}

TEST_F(SyncTest, AFileThatCannotBeCopiedIsReportedAndTheRestIsCopied) {
    const std::string a = m_dir.MakeDir("A"), b = m_dir.MakeDir("B");
    WriteFile(a + "/locked", "new", kNew);
    WriteFile(b + "/locked", "protected", kOld);
    ASSERT_EQ(chmod((b + "/locked").c_str(), 0444), 0);
    WriteFile(a + "/free", "new", kNew);

    const Result r = Sync(PairSection(0, a, b));

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "1\tONLY_A\tfree\n");
    EXPECT_EQ(r.err, "lockedのコピーに失敗しました。\nｺﾋﾟｰ先のﾌｧｲﾙは読み取り専用です。\nzoruna: 1 file copied, 1 failed\n");
    EXPECT_EQ(ReadFile(b + "/locked"), "protected");
}

TEST_F(SyncTest, APairThatCannotBeListedGivesStatusTwoAndTheOthersAreSynced) {
    const std::string a = m_dir.MakeDir("A"), b = m_dir.MakeDir("B");
    WriteFile(a + "/f", "x", kNew);
    const std::string missing = m_dir / "missing";

    const Result r = Sync(PairSection(0, missing, b) + PairSection(1, a, b));

    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "2\tONLY_A\tf\n");
    const std::string message =
        "ﾃﾞｨﾚｸﾄﾘ \"" + EscapeField(missing) + "\" の参照に失敗しました。\n\"" + EscapeField(b) +
        "\" との比較は行いません。\n";
    EXPECT_EQ(r.err, message + "zoruna: 1 file copied, 0 failed\n") << "met by both comparisons, printed once";
    EXPECT_EQ(ReadFile(b + "/f"), "x");
}

// Ctrl+C as the process receives it: SIGINT, or on Windows the console's
// event.
void PressCtrlC() {
#ifdef _WIN32
    // CTRL_C_EVENT, as the console's thread passes it (<windows.h> is left
    // out: its macros would rename the file system's calls).
    HandleConsoleStop(0);
#else
    raise(SIGINT);
#endif
}

// Lists through the real file system; Ctrl+C comes during the first listing.
class InterruptedListing : public ForwardingFileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        ++listings;
        if (!m_raised.exchange(true)) PressCtrlC();
        return ForwardingFileSystem::ListDirectory(dir, out);
    }
    std::atomic<int> listings{0};

private:
    std::atomic<bool> m_raised{false};
};

// Ctrl+C while the first comparison lists: it stops, nothing is copied and
// no further comparison starts (on a slow mount that would take as long
// again), and the run ends with the signal's status.
TEST_F(SyncTest, CtrlCDuringTheComparisonStopsItAndEndsTheRun) {
    constexpr int kFolders = 20;
    const std::string a = m_dir.MakeDir("A"), b = m_dir.MakeDir("B");
    for (int i = 0; i < kFolders; ++i) {
        const std::string name = "/d" + std::to_string(i);
        m_dir.MakeDir("A" + name);
        m_dir.MakeDir("B" + name);
        WriteFile(a + name + "/f", "new", kNew);
    }
    std::string settings = PairSection(0, a, b);
    settings.insert(settings.size() - 2, "SUBDIRS=1\r\n");
    WriteFile(m_dir / "zoruna.INI", settings);
    DirPairTable pairs;
    ColumnWidths widths;
    WindowSize size;
    LoadSettings({m_dir / "zoruna.INI", &RealFileSystem()}, pairs, widths, size);
    InterruptedListing fs;
    std::FILE* out = TempStream();
    std::FILE* err = TempStream();

    const int status = RunSync(pairs, fs, out, err);

    EXPECT_EQ(status, 128 + SIGINT);
    EXPECT_EQ(DrainStream(out), "");
    EXPECT_EQ(DrainStream(err), "zoruna: 0 files copied, 0 failed\n");
    // One whole comparison lists both tops and every folder.
    EXPECT_LT(fs.listings.load(), 2 * (kFolders + 1)) << "a comparison ran to its end after the stop";
    EXPECT_EQ(ListNames(b + "/d0"), "");
}

}  // namespace
