// The copy of the selected rows from the main dialog: the confirmation, the
// progress window, failure messages, and the list afterwards; the progress
// window on its own.
#include <gtest/gtest.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "cli/failure_text.h"
#include "core/copy_file.h"
#include "dialogs/copy_progress_dlg.h"
#include "dialogs/run_texts.h"
#include "gui/main_window_test_helpers.h"
#include "res/dialog_resources.h"
#include "support/forwarding_fs.h"
#include "support/gate.h"

namespace {

constexpr FileTime kOld = 1700000000;  // 2023-11-14
constexpr FileTime kNew = 1710000000;  // 2024-03-09
constexpr const char* kProgressTitle = "Zoruna[ｺﾋﾟｰ中]";
constexpr const char* kCopyingText = "ただいまコピー中です。少々お待ちください。";

// The progress window while it exists.
wxDialog* FindProgressWindow() { return FindDialogTitled(kProgressTitle); }

// What a line of the progress window shows.
std::string Line(wxWindow* progress, int id) {
    auto* text = dynamic_cast<wxStaticText*>(progress->FindWindow(id));
    return text ? U8(text->GetLabelText()) : "<missing>";
}

struct Lines {
    std::string file, from, to, message;
};

Lines ReadLines(wxWindow* progress) {
    return {Line(progress, IDC_COPY_FILE), Line(progress, IDC_COPY_FROM), Line(progress, IDC_COPY_TO),
            Line(progress, IDC_COPY_MESSAGE)};
}

wxGauge* FindGauge(wxWindow* progress) {
    for (wxWindow* child : progress->GetChildren())
        if (auto* gauge = dynamic_cast<wxGauge*>(child)) return gauge;
    return nullptr;
}

TEST(CopyProgressDlg, StartsEmptyKeepsItsLinesAndShowsNamesVerbatim) {
    wxFrame parent(nullptr, wxID_ANY, "parent");
    CCopyProgressDlg dlg;
    ASSERT_TRUE(dlg.Create(&parent, true));
    wxDialog* w = dlg.GetWindow();
    EXPECT_TRUE(w->IsShown());
    EXPECT_EQ(U8(w->GetTitle()), kProgressTitle);
    EXPECT_EQ(w->GetParent(), &parent);

    // Every line empty, the message line included, until the first file.
    const Lines empty = ReadLines(w);
    EXPECT_EQ(empty.file, "");
    EXPECT_EQ(empty.from, "");
    EXPECT_EQ(empty.to, "");
    EXPECT_EQ(empty.message, "");

    // The lines stay where the layout puts them; the bar lies below them,
    // inside the grown window.
    for (const ControlTemplate& c : kCopyProgressDialog.controls) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(dlg.GetDlgItem(c.id)->GetPosition(), w->ConvertDialogToPixels(wxPoint(c.x, c.y)));
    }
    EXPECT_EQ(w->GetClientSize(), w->ConvertDialogToPixels(wxSize(159, 77 + CCopyProgressDlg::kGrowHeight)));
    // Cancel ("中止") below the bar, inside the window.
    wxWindow* stop = dlg.StopButton();
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(U8(stop->GetLabel()), "中止");
    wxGauge* gauge = dlg.Gauge();
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->GetRange(), CCopyProgressDlg::kGaugeRange);
    EXPECT_EQ(gauge->GetValue(), 0);
    const wxRect lastLine = dlg.GetDlgItem(IDC_COPY_TO)->GetRect();
    EXPECT_GE(gauge->GetRect().GetTop(), lastLine.GetBottom());
    EXPECT_LE(gauge->GetRect().GetBottom(), w->GetClientSize().y);
    EXPECT_GT(stop->GetRect().GetTop(), gauge->GetRect().GetBottom());
    EXPECT_LE(stop->GetRect().GetBottom(), w->GetClientSize().y);

    // Names with '&' show as they are, not as mnemonics.
    dlg.m_strFile = "R&D 報告書.txtを";
    dlg.m_strFrom = "/home/a&bから";
    dlg.m_strTo = "/mnt/バックアップへ";
    dlg.m_strMessage = kCopyingText;
    dlg.UpdateControls();
    const Lines shown = ReadLines(w);
    EXPECT_EQ(shown.file, dlg.m_strFile);
    EXPECT_EQ(shown.from, dlg.m_strFrom);
    EXPECT_EQ(shown.to, dlg.m_strTo);
    EXPECT_EQ(shown.message, kCopyingText);

    // The close box asks the copy to stop, once; the window stays up until
    // the copy has ended.
    int stops = 0;
    dlg.SetStopHandler([&stops] { ++stops; });
    EXPECT_FALSE(dlg.StopRequested());
    w->Close();
    PumpEvents();
    PressStopButton(dlg);
    EXPECT_TRUE(dlg.StopRequested());
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(w->IsShown());
    dlg.DestroyWindow();
}

TEST(CopyProgressDlg, BarShowsBytesDoneOutOfTotal) {
    constexpr std::uint64_t kHuge = UINT64_MAX;
    const struct {
        std::uint64_t done, total;
        int value;
    } cases[] = {
        {0, 0, 0},             // nothing to copy
        {0, 10, 0},
        {5, 10, 500},
        {10, 10, 1000},
        {999, 1000, 999},      // rounds down: full only when done
        {20, 10, 1000},        // never past the end
        {kHuge / 2, kHuge, 500},  // sizes beyond the bar's int range
        {kHuge, kHuge, 1000},
    };
    CCopyProgressDlg dlg;
    ASSERT_TRUE(dlg.Create(nullptr, false));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.done << " of " << c.total);
        dlg.SetProgress(c.done, c.total);
        EXPECT_EQ(dlg.Gauge()->GetValue(), c.value);
    }
    dlg.DestroyWindow();
}

// A file on either side of the pair: no content means no file.
struct Side {
    const char* content;
    FileTime mtime;
};
constexpr Side kAbsent{nullptr, 0};

struct Snapshot {
    std::string content;
    FileTime mtime;
    bool operator==(const Snapshot&) const = default;
};

// Every file of a directory with its content and time.
std::map<std::string, Snapshot> TakeSnapshot(const std::string& dir) {
    std::map<std::string, Snapshot> files;
    std::vector<DirEntry> entries;
    RealFileSystem().ListDirectory(dir, entries);
    for (const DirEntry& e : entries) files[e.name] = {ReadFile(dir + "/" + e.name), ModTime(dir + "/" + e.name)};
    return files;
}

// The file of that name in a snapshot, if any.
std::optional<Snapshot> FileIn(const std::map<std::string, Snapshot>& files, const std::string& name) {
    const auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
}

class CopySelected : public MainWindowFixture {
protected:
    std::string dirA = tmp.MakeDir("A");
    std::string dirB = tmp.MakeDir("B");
    std::unique_ptr<TestMainDialog> dlg;

    void TearDown() override {
        if (dlg) dlg->DestroyWindow();
        MainWindowFixture::TearDown();
    }

    void Put(const std::string& name, Side a, Side b) {
        if (a.content) WriteFile(dirA + "/" + name, a.content, a.mtime);
        if (b.content) WriteFile(dirB + "/" + name, b.content, b.mtime);
    }

    // Opens the main dialog on the pair A-B and compares.
    void OpenAndCompare() {
        WriteSettings(SettingsText({{dirA, dirB}}));
        dlg = Open();
        Press(*dlg, IDOK);
    }

    long RowOf(const std::string& name) {
        const std::vector<Row> rows = Rows(*dlg);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].name == name) return static_cast<long>(i);
        ADD_FAILURE() << name << " not listed";
        return -1;
    }

    void Select(const std::string& name) {
        dlg->ResultList()->SelectRow(RowOf(name));
    }

    // The confirmation, owned by the main window, answered with answer.
    void ExpectConfirmation(int answer) {
        ExpectModal([this, answer](wxDialog* confirm, const ModalSeen& seen) {
            EXPECT_EQ(seen.title, "Zoruna［ほんとにいいの？］");
            EXPECT_EQ(confirm->GetParent(), dlg->GetWindow());
            EXPECT_EQ(FindProgressWindow(), nullptr) << "nothing starts before the answer";
            return answer;
        });
    }

    // Chooses the context menu's copy command.
    void ChooseCopy() {
        Command(*dlg, ID_COPY_SELECTED);
        VerifyModalsShown();
        PumpEvents();
    }

    // The main window is usable again once the copy is over.
    void ExpectUsableAfterwards() {
        EXPECT_TRUE(dlg->GetWindow()->IsEnabled());
        EXPECT_EQ(FindProgressWindow(), nullptr);
        EXPECT_TRUE(SelectedRows(dlg->ResultList()).empty());
        EXPECT_EQ(dlg->ResultList()->RowCount(), dlg->Diffs().count);
    }

    std::set<std::string> ListedNames() {
        std::set<std::string> names;
        for (const Row& row : Rows(*dlg)) names.insert(row.name);
        return names;
    }
};

TEST_F(CopySelected, CancelInTheConfirmationChangesNothing) {
    Put("only_a.txt", {"a", kOld}, kAbsent);
    Put("b_newer.txt", {"old", kOld}, {"new", kNew});
    Put("a_newer.txt", {"new", kNew}, {"old", kOld});
    OpenAndCompare();
    Select("only_a.txt");
    Select("a_newer.txt");
    const auto beforeA = TakeSnapshot(dirA), beforeB = TakeSnapshot(dirB);
    const std::vector<Row> rowsBefore = Rows(*dlg);
    const std::vector<long> selectionBefore = SelectedRows(dlg->ResultList());

    ExpectConfirmation(wxID_CANCEL);
    ChooseCopy();

    EXPECT_EQ(TakeSnapshot(dirA), beforeA);
    EXPECT_EQ(TakeSnapshot(dirB), beforeB);
    const std::vector<Row> rowsAfter = Rows(*dlg);
    ASSERT_EQ(rowsAfter.size(), rowsBefore.size());
    for (std::size_t i = 0; i < rowsAfter.size(); ++i) EXPECT_EQ(rowsAfter[i].name, rowsBefore[i].name);
    EXPECT_EQ(SelectedRows(dlg->ResultList()), selectionBefore);
    EXPECT_TRUE(dlg->GetWindow()->IsEnabled());
    EXPECT_EQ(FindProgressWindow(), nullptr);
}

TEST_F(CopySelected, CopiesSelectedRowsFromTheNewerSideAndComparesAgain) {
    const struct {
        const char* name;
        Side a, b;
        bool selected;
    } files[] = {
        {"only_a.txt", {"from A", kOld}, kAbsent, true},
        {"only_b.txt", kAbsent, {"from B", kNew}, true},
        {"a_newer.txt", {"new A", kNew}, {"older B, longer", kOld}, true},
        {"b_newer.txt", {"older A, longer", kOld}, {"new B", kNew}, true},
        {"empty.txt", {"", kNew}, kAbsent, true},
        {"報告書.txt", {"日本語", kNew}, kAbsent, true},
        {"skipped_only_a.txt", {"stays", kOld}, kAbsent, false},
        {"skipped_b_newer.txt", {"old", kOld}, {"new", kNew}, false},
    };
    for (const auto& f : files) Put(f.name, f.a, f.b);
    OpenAndCompare();
    for (const auto& f : files)
        if (f.selected) Select(f.name);
    const auto beforeA = TakeSnapshot(dirA), beforeB = TakeSnapshot(dirB);

    ExpectConfirmation(wxID_OK);  // and no failure message
    ChooseCopy();

    const auto afterA = TakeSnapshot(dirA), afterB = TakeSnapshot(dirB);
    std::set<std::string> expectedRows;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        if (!f.selected) {
            expectedRows.insert(f.name);
            EXPECT_EQ(FileIn(afterA, f.name), FileIn(beforeA, f.name));
            EXPECT_EQ(FileIn(afterB, f.name), FileIn(beforeB, f.name));
            continue;
        }
        const Side& newer = (f.b.mtime < f.a.mtime) ? f.a : f.b;
        const Snapshot expected{newer.content, newer.mtime};
        ASSERT_TRUE(afterA.count(f.name) && afterB.count(f.name));
        EXPECT_EQ(afterA.at(f.name), expected);
        EXPECT_EQ(afterB.at(f.name), expected);
    }
    // Every file is now in A and all but one in B; no temporary file stays.
    EXPECT_EQ(afterA.size(), std::size(files));
    EXPECT_EQ(afterB.size(), std::size(files) - 1);
    EXPECT_EQ(ListedNames(), expectedRows) << "the list holds a new comparison";
    ExpectUsableAfterwards();
}

// Compare, restore an older version from a backup, select, copy: the copy
// would put the restored old file over B's newer one.
TEST_F(CopySelected, AFileRestoredFromABackupSinceTheComparisonIsNotCopied) {
    Put("doc.txt", {"2025", kNew}, {"2024", kOld});
    OpenAndCompare();
    Select("doc.txt");
    WriteFile(dirA + "/doc.txt", "2019", kOld - 100000000);

    ExpectConfirmation(wxID_OK);
    std::string message;
    ExpectModal([&](wxDialog*, const ModalSeen& seen) {
        message = seen.message;
        return wxID_OK;
    });
    ChooseCopy();

    EXPECT_EQ(message.substr(0, message.find('\n')), "doc.txtのコピーに失敗しました。");
    EXPECT_EQ(ReadFile(dirB + "/doc.txt"), "2024");
    EXPECT_EQ(ModTime(dirB + "/doc.txt"), kOld);
    ExpectUsableAfterwards();
}

// What the screen looked like while a failure message was up.
struct FailureSeen {
    ModalSeen box;
    wxWindow* owner = nullptr;
    bool progressShown = false;
    bool mainEnabled = true;
    Lines lines;
    wxRect progressRect, mainRect;
    int gaugeValue = -1;
};

TEST_F(CopySelected, FailuresAreReportedWhileTheOtherFilesAreCopied) {
    const std::string locked = "読取専用.txt", gone = "gone&.txt";
    Put("first.txt", {"1234567890", kNew}, kAbsent);
    Put(locked, {"new content", kNew}, {"protected", kOld});
    Put(gone, {"vanishes", kOld}, kAbsent);
    Put("last.txt", {"old", kOld}, {"newer in B", kNew});
    const std::string lockedInB = dirB + "/" + locked;
    ASSERT_EQ(chmod(lockedInB.c_str(), 0444), 0);
    OpenAndCompare();
    for (const char* name : {"first.txt", locked.c_str(), gone.c_str(), "last.txt"}) Select(name);
    std::remove((dirA + "/" + gone).c_str());  // gone since the comparison

    // The bar's expected position at each failure: the sizes of the sources
    // of the rows dealt with so far, out of all (the vanished one counts 0).
    const std::map<std::string, std::uint64_t> sizes = {
        {"first.txt", 10}, {locked, 11}, {gone, 0}, {"last.txt", 10}};
    std::map<std::string, int> expectedGauge;
    std::uint64_t done = 0;
    for (const Row& row : Rows(*dlg)) {
        done += sizes.at(row.name);
        expectedGauge[row.name] = static_cast<int>(done * CCopyProgressDlg::kGaugeRange / 31);
    }

    std::map<std::string, FailureSeen> failures;
    ExpectConfirmation(wxID_OK);
    for (int i = 0; i < 2; ++i) {
        ExpectModal([&](wxDialog* box, const ModalSeen& seen) {
            EXPECT_TRUE(wxIsMainThread()) << "boxes are shown by the window thread";
            FailureSeen f;
            f.box = seen;
            f.owner = box->GetParent();
            f.mainEnabled = dlg->GetWindow()->IsEnabled();
            f.mainRect = dlg->GetWindow()->GetScreenRect();
            if (wxDialog* progress = FindProgressWindow()) {
                f.progressShown = progress->IsShown();
                f.lines = ReadLines(progress);
                f.progressRect = progress->GetScreenRect();
                if (wxGauge* gauge = FindGauge(progress)) f.gaugeValue = gauge->GetValue();
            }
            // The message names the file: the first line is "<name>の...".
            const std::string name = f.box.message.substr(0, f.box.message.find("のコピー"));
            failures[name] = f;
            return wxID_OK;
        });
    }
    ChooseCopy();

    ASSERT_EQ(failures.size(), 2u);
    for (const std::string& name : {locked, gone}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(failures.count(name));
        const FailureSeen& f = failures.at(name);
        // The second line names the folder the file was to go to.
        EXPECT_EQ(f.box.message, name + "のコピーに失敗しました。\nｺﾋﾟｰ先: " + dirB);
        EXPECT_EQ(f.box.title, "Zoruna");
        EXPECT_TRUE(f.box.style & wxICON_EXCLAMATION);
        EXPECT_EQ(f.owner, dlg->GetWindow()) << "owned by the main window";
        EXPECT_FALSE(f.mainEnabled) << "the main window is disabled during the copy";
        EXPECT_TRUE(f.progressShown);
        EXPECT_EQ(f.lines.file, name + "を");
        EXPECT_EQ(f.lines.from, dirA + "から");
        EXPECT_EQ(f.lines.to, dirB + "へ");
        EXPECT_EQ(f.lines.message, kCopyingText);
        EXPECT_EQ(f.gaugeValue, expectedGauge.at(name));
        // Centred over the main window, halves rounded down.
        const wxRect& m = f.mainRect;
        const wxRect& d = f.progressRect;
        EXPECT_EQ(d.x, m.x + m.width / 2 - d.width / 2);
        EXPECT_EQ(d.y, m.y + m.height / 2 - d.height / 2);
    }

    // The failed files are untouched, the others copied.
    EXPECT_EQ(ReadFile(lockedInB), "protected");
    EXPECT_EQ(ModTime(lockedInB), kOld);
    struct stat st;
    ASSERT_EQ(stat(lockedInB.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_FALSE(FileExists(dirB + "/" + gone));
    EXPECT_EQ(ReadFile(dirB + "/first.txt"), "1234567890");
    EXPECT_EQ(ModTime(dirB + "/first.txt"), kNew);
    EXPECT_EQ(ReadFile(dirA + "/last.txt"), "newer in B");
    EXPECT_EQ(ModTime(dirA + "/last.txt"), kNew);

    EXPECT_EQ(ListedNames(), std::set<std::string>{locked}) << "a failed file is listed again";
    ExpectUsableAfterwards();
}

// Copies through the real file system; the second chunk of data read waits
// at the gate, so the bar stands within the file until the test opens it.
// No clone: it would copy the file in one step.
class SecondChunkWaits : public ForwardingFileSystem {
public:
    long long Read(FileHandle h, void* buf, std::size_t n) override {
        PassOnSecondChunk();
        return ForwardingFileSystem::Read(h, buf, n);
    }
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        PassOnSecondChunk();
        return ForwardingFileSystem::CopyChunk(in, out, n);
    }
    bool CloneFile(FileHandle, FileHandle) override {
        errno = EOPNOTSUPP;
        return false;
    }

    Gate gate;

private:
    void PassOnSecondChunk() {
        if (++m_chunks == 2) gate.Pass();
    }
    std::atomic<int> m_chunks{0};
};

class StopCopy : public CopySelected, public ::testing::WithParamInterface<StopWay> {};

TEST_P(StopCopy, AbandonsTheFileInProgressAndRefreshesTheList) {
    // Several chunks, so that the stop comes in the middle of the file.
    const std::string big(3 * FileCopier::kChunkBytes + 100, 'n');
    Put("big.bin", {big.c_str(), kNew}, {"old", kOld});
    WriteSettings(SettingsText({{dirA, dirB}}));
    SecondChunkWaits fs;
    dlg = Open({}, fs);
    Press(*dlg, IDOK);
    Select("big.bin");
    const auto beforeA = TakeSnapshot(dirA), beforeB = TakeSnapshot(dirB);

    bool stopped = false;
    int ticks = 0;
    dlg->onCopyProgress = [&](CCopyProgressDlg& progress) {
        if (stopped) return;
        if (++ticks > 1000) {
            ADD_FAILURE() << "the copy never stood within the file";
            fs.gate.Open();
            stopped = true;
            return;
        }
        const int bar = progress.Gauge()->GetValue();
        if (!fs.gate.Waiting() || bar == 0 || bar == CCopyProgressDlg::kGaugeRange) return;
        // The window thread shows the bar while the worker stands in the file.
        EXPECT_FALSE(dlg->GetWindow()->IsEnabled());
        GetParam().stop(progress);
        EXPECT_TRUE(progress.StopRequested());
        EXPECT_FALSE(progress.StopButton()->IsEnabled()) << "asked once";
        stopped = true;
        fs.gate.Open();
    };
    ExpectConfirmation(wxID_OK);  // and no failure message
    ChooseCopy();

    ASSERT_TRUE(stopped) << "the copy never reported progress within the file";
    EXPECT_EQ(fs.gate.Passed(), 1);
    EXPECT_EQ(TakeSnapshot(dirB), beforeB) << "destination untouched, no temporary file";
    EXPECT_EQ(TakeSnapshot(dirA), beforeA);
    EXPECT_EQ(ListedNames(), std::set<std::string>{"big.bin"}) << "the list holds a new comparison";
    ExpectUsableAfterwards();
}

INSTANTIATE_TEST_SUITE_P(Ways, StopCopy, kStopWays, [](const auto& info) { return std::string(info.param.name); });

// Lists B through the real file system until armed, then fails it.
class ListingOfBFails : public ForwardingFileSystem {
public:
    explicit ListingOfBFails(std::string dirB) : m_dirB(std::move(dirB)) {}
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        if (armed && dir.rfind(m_dirB, 0) == 0) {
            errno = EIO;
            return false;
        }
        return ForwardingFileSystem::ListDirectory(dir, out);
    }
    std::atomic<bool> armed{false};

private:
    std::string m_dirB;
};

// The comparison after the copy ends with an error (here: answering its
// listing failure fails): the error is shown, not swallowed, and the list is
// empty like the table.
TEST_F(CopySelected, AnErrorOfTheComparisonAfterTheCopyIsShownAndTheListIsEmpty) {
    Put("only_a.txt", {"a", kOld}, kAbsent);
    Put("b_newer.txt", {"old", kOld}, {"new", kNew});
    WriteSettings(SettingsText({{dirA, dirB}}));
    ListingOfBFails fs(dirB);
    dlg = Open({}, fs);
    Press(*dlg, IDOK);
    Select("only_a.txt");

    ExpectModal([&](wxDialog*, const ModalSeen&) {
        fs.armed = true;  // from here on B cannot be listed
        return wxID_OK;
    });
    ExpectModal([&](wxDialog*, const ModalSeen& seen) -> int {
        EXPECT_EQ(seen.message, FormatListingFailure(dirB.c_str(), dirA.c_str()));
        throw std::runtime_error("the box could not be shown");
    });
    ModalSeen error;
    ExpectMessageBox(wxID_OK, &error);
    ChooseCopy();

    EXPECT_EQ(ReadFile(dirB + "/only_a.txt"), "a") << "the copy itself went through";
    EXPECT_EQ(error.message, CompareErrorText("the box could not be shown"));
    EXPECT_TRUE(error.style & wxICON_EXCLAMATION);
    EXPECT_EQ(dlg->Diffs().count, 0);
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), "Zoruna");
    ExpectUsableAfterwards();
}

}  // namespace
