// Copies while the folders change under them: a folder swapped for a link, a
// file restored from an old backup or edited after the comparison, a copy
// killed halfway. Nothing may be written, changed or read outside the pair's
// folders, and only the file that the user was shown is copied.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "copy_test_helpers.h"
#include "core/compare.h"
#include "support/handle_forwarding_fs.h"
#include "support/run_observers.h"

namespace {

constexpr FileTime kBackup = 1400000000;
constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;

struct World {
    TempDir t;
    std::string a = t.MakeDir("A");
    std::string b = t.MakeDir("B");
    std::string outside = t.MakeDir("outside");
    CopyTables tables;

    World() {
        tables.AddPair(a, b);
        tables.pairs->pairs[0].subdirs = true;
    }
    void Compare() { CompareAll(*tables.pairs, *tables.diffs, RealFileSystem(), Unobserved()); }
    // Moves the folder at rel away (to rel.away) and puts a link to target in its place.
    void SwapForLink(const std::string& rel, const std::string& target) const {
        const std::string path = t / rel;
        ASSERT_EQ(rename(path.c_str(), (path + ".away").c_str()), 0);
        ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    }
};

// Does `act` once, when the file of row `row` starts (or, with afterCopy,
// once that file is in place).
class ActingObserver : public RecordingObserver {
public:
    ActingObserver(int row, bool afterCopy, std::function<void()> act)
        : m_row(row), m_afterCopy(afterCopy), m_act(std::move(act)) {}
    void OnFileStart(int row, const DiffEntry& entry, const char* fromDir, const char* toDir) override {
        if (!m_afterCopy && row == m_row) Act();
        RecordingObserver::OnFileStart(row, entry, fromDir, toDir);
    }
    void OnCopied(int row, const DiffEntry& entry) override {
        RecordingObserver::OnCopied(row, entry);
        if (m_afterCopy && row == m_row) Act();
    }

private:
    void Act() {
        if (m_act) std::exchange(m_act, nullptr)();
    }
    int m_row;
    bool m_afterCopy;
    std::function<void()> m_act;
};

struct SwapCase {
    const char* label;
    std::function<void(World&)> setUp;  // before the comparison
    int row;
    bool afterCopy;
    std::function<void(World&)> act;
    std::function<void(const World&, const RecordingObserver&)> check;
};

void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.label; }

class FolderSwapped : public testing::TestWithParam<SwapCase> {};

TEST_P(FolderSwapped, NothingOutsideThePairsFoldersIsWrittenChangedOrRead) {
    const SwapCase& c = GetParam();
    World w;
    c.setUp(w);
    const std::string outsideBefore = ListNames(w.outside);
    w.Compare();
    ActingObserver obs(c.row, c.afterCopy, [&] { c.act(w); });

    w.tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(ListNames(w.outside), outsideBefore);
    c.check(w, obs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderSwapped,
    testing::Values(
        SwapCase{"destination_folder_before_its_first_file",
                 [](World& w) {
                     w.t.MakeDir("A/sub");
                     w.t.MakeDir("B/sub");
                     WriteFile(w.a + "/sub/f", "new", kNew);
                 },
                 0, false, [](World& w) { w.SwapForLink("B/sub", w.outside); },
                 [](const World& w, const RecordingObserver& obs) {
                     EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::DestinationProtected});
                     EXPECT_EQ(ListNames(w.b + "/sub.away"), "");
                 }},
        SwapCase{"destination_folder_between_two_files",
                 [](World& w) {
                     w.t.MakeDir("A/sub/deeper");
                     w.t.MakeDir("B/sub");
                     WriteFile(w.a + "/sub/f1", "new", kNew);
                     WriteFile(w.a + "/sub/deeper/f2", "new", kNew);
                 },
                 1, false, [](World& w) { w.SwapForLink("B/sub", w.outside); },
                 [](const World& w, const RecordingObserver&) {
                     EXPECT_EQ(ReadFile(w.b + "/sub.away/f1"), "new");
                     EXPECT_FALSE(FileExists(w.outside + "/deeper"));
                 }},
        SwapCase{"made_folder_swapped_for_a_link_to_a_file",
                 [](World& w) {
                     w.t.MakeDir("A/new");
                     WriteFile(w.a + "/new/f", "new", kNew);
                     chmod((w.a + "/new").c_str(), 0555);
                     WriteFile(w.outside + "/key", "private");
                     chmod((w.outside + "/key").c_str(), 0600);
                 },
                 0, true, [](World& w) { w.SwapForLink("B/new", w.outside + "/key"); },
                 [](const World& w, const RecordingObserver&) {
                     EXPECT_EQ(ModeOf(w.outside + "/key"), 0600u);
                     EXPECT_EQ(ReadFile(w.b + "/new.away/f"), "new");
                 }},
        SwapCase{"source_folder_swapped_for_a_secret_folder",
                 [](World& w) {
                     w.t.MakeDir("A/sub");
                     w.t.MakeDir("B/sub");
                     WriteFile(w.a + "/sub/f", "new", kNew);
                     WriteFile(w.b + "/sub/f", "old", kOld);
                     WriteFile(w.outside + "/f", "secret", kNew);
                 },
                 0, false, [](World& w) { w.SwapForLink("A/sub", w.outside); },
                 [](const World& w, const RecordingObserver& obs) {
                     EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::SourceUnavailable});
                     EXPECT_EQ(ReadFile(w.b + "/sub/f"), "old");
                 }}),
    [](const auto& info) { return std::string(info.param.label); });

// Changes between the comparison and the copy of A/doc (newer) onto B/doc.
struct ChangeCase {
    const char* label;
    std::function<void(const World&)> change;
    FileCopyResult reason;
    const char* contentB;  // B/doc afterwards
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.label; }

class ChangedSinceTheComparison : public testing::TestWithParam<ChangeCase> {};

TEST_P(ChangedSinceTheComparison, OnlyTheFileTheUserWasShownIsCopied) {
    const ChangeCase& c = GetParam();
    World w;
    WriteFile(w.a + "/doc", "2025", kNew);
    WriteFile(w.b + "/doc", "2024", kOld);
    w.Compare();
    ASSERT_EQ(w.tables.diffs->count, 1);
    ASSERT_EQ(KindOf(w.tables.diffs->entries[0]), DiffKind::ANewer);
    c.change(w);

    RecordingObserver obs;
    w.tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{c.reason});
    EXPECT_EQ(ReadFile(w.b + "/doc"), c.contentB);
    EXPECT_EQ(TempLeftovers(w.b), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangedSinceTheComparison,
    testing::Values(
        ChangeCase{"source_restored_from_an_old_backup",
                   [](const World& w) { WriteFile(w.a + "/doc", "2019", kBackup); }, FileCopyResult::SourceChanged,
                   "2024"},
        ChangeCase{"source_replaced_by_a_file_of_the_same_time_and_size",
                   [](const World& w) {
                       WriteFile(w.a + "/doc.new", "2026", kNew);
                       rename((w.a + "/doc.new").c_str(), (w.a + "/doc").c_str());
                   },
                   FileCopyResult::SourceChanged, "2024"},
        ChangeCase{"destination_edited_within_the_same_second",
                   [](const World& w) { WriteFile(w.b + "/doc", "edit", kOld); }, FileCopyResult::DestinationChanged,
                   "edit"},
        ChangeCase{"destination_restored_to_a_newer_version",
                   [](const World& w) { WriteFile(w.b + "/doc", "2030", kNew + 100); },
                   FileCopyResult::DestinationChanged, "2030"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CopyDirection, ATableNotMadeByTheComparisonNeverCopiesOlderOverNewer) {
    World w;
    WriteFile(w.a + "/doc", "2019", kBackup);
    WriteFile(w.b + "/doc", "2024", kOld);
    // The table says A is newer; the files say otherwise.
    w.tables.AddEntry(0, "doc", kNew, kOld, "doc");

    RecordingObserver obs;
    w.tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::DestinationChanged});
    EXPECT_EQ(ReadFile(w.b + "/doc"), "2024");
}

// Stops the copy for good in the middle of its first chunk: the child that
// runs it tells the parent through a pipe, then waits to be killed.
class StallingFileSystem : public HandleForwardingFileSystem {
public:
    explicit StallingFileSystem(int ready) : m_ready(ready) {}
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override { return Stall(in, out, n); }
    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        m_target.Write(h, buf, n);
        return Stall(kInvalidHandle, kInvalidHandle, 0);
    }

private:
    long long Stall(FileHandle in, FileHandle out, std::size_t n) {
        if (in != kInvalidHandle) m_target.CopyChunk(in, out, n);
        const char c = 1;
        (void)!write(m_ready, &c, 1);
        for (;;) pause();
    }
    int m_ready;
};

TEST(CopyKilled, ItsLeftoverNeverTakesPartAndTheNextCopyRemovesIt) {
    World w;
    WriteFile(w.a + "/doc", std::string(100000, 'x'), kNew);
    WriteFile(w.b + "/doc", "old", kOld);
    w.Compare();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        StallingFileSystem fs(ready[1]);
        RecordingObserver obs;
        w.tables.CopyAll(fs, obs);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    const std::string leftover = TempLeftovers(w.b);
    ASSERT_NE(leftover, "") << "the killed copy left its temporary file";

    CompareSummary summary = CompareAll(*w.tables.pairs, *w.tables.diffs, RealFileSystem(), Unobserved());
    ASSERT_EQ(w.tables.diffs->count, 1);
    EXPECT_STREQ(w.tables.diffs->entries[0].name, "doc");
    EXPECT_EQ(TempLeftovers(w.b), leftover) << "a comparison changes nothing";
    if (summary.leftovers.empty()) GTEST_SKIP() << "this file system keeps no extended attributes to mark the file";
    RecordingObserver obs;
    w.tables.CopyAll(RealFileSystem(), obs);
    EXPECT_EQ(RemoveCopyLeftovers(*w.tables.pairs, summary.leftovers, RealFileSystem()), 1);
    EXPECT_EQ(TempLeftovers(w.b), "");
    EXPECT_EQ(ReadFile(w.b + "/doc"), std::string(100000, 'x'));
}

}  // namespace
