// The copy of the selected rows from the main dialog: the confirmation, the
// progress window, failure messages, and the list afterwards; the progress
// window on its own.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <sys/stat.h>

#include <algorithm>
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
#include "gui/pair_test_helpers.h"
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

// The static texts of a dialog in the order they were made (UTF-8).
std::vector<std::string> StaticTexts(wxWindow* dialog) {
    std::vector<std::string> texts;
    for (wxWindow* child : dialog->GetChildren())
        if (auto* text = dynamic_cast<wxStaticText*>(child)) texts.push_back(U8(text->GetLabelText()));
    return texts;
}

// What a failure box said, and whether it carries its warning picture.
struct FailureBoxSeen {
    std::string title, text;
    bool hasIcon = false;
    bool hasQuietBox = false;
    wxWindow* owner = nullptr;
};

FailureBoxSeen ReadFailureBox(wxDialog* box) {
    FailureBoxSeen seen;
    seen.title = U8(box->GetTitle());
    seen.owner = box->GetParent();
    if (auto* text = dynamic_cast<wxStaticText*>(box->FindWindow(IDC_FAILURE_TEXT)))
        seen.text = U8(text->GetLabelText());
    if (auto* icon = dynamic_cast<wxStaticBitmap*>(box->FindWindow(IDC_FAILURE_ICON)))
        seen.hasIcon = icon->GetBitmap().IsOk();
    if (auto* quiet = dynamic_cast<wxCheckBox*>(box->FindWindow(IDC_FAILURE_QUIET)))
        seen.hasQuietBox = U8(quiet->GetLabel()) == "以降のエラーを表示しない(&D)" && !quiet->GetValue();
    return seen;
}

// Answers a failure box: ticks "以降のエラーを表示しない" first when quiet,
// as a click does, then presses OK.
int AnswerFailureBox(wxDialog* box, bool quiet) {
    if (quiet) {
        auto* check = dynamic_cast<wxCheckBox*>(box->FindWindow(IDC_FAILURE_QUIET));
        if (!check) {
            ADD_FAILURE() << "no check box in the failure box";
            return wxID_OK;
        }
        check->SetValue(true);
        wxCommandEvent click(wxEVT_CHECKBOX, check->GetId());
        click.SetEventObject(check);
        click.SetInt(1);
        check->GetEventHandler()->ProcessEvent(click);
    }
    Press(box, IDOK);
    return box->GetReturnCode();
}

// What the summary at the end of a run showed.
struct SummarySeen {
    bool shown = false;
    wxWindow* owner = nullptr;
    std::vector<std::string> texts;  // its lines, the label of the list last
    std::vector<std::string> failures;
    bool listReadOnly = false, listTakesFocus = false;
};

// Expects the summary, reads it and closes it with OK.
void ExpectSummary(SummarySeen& seen) {
    ExpectModal([&seen](wxDialog* dlg, const ModalSeen& modal) {
        EXPECT_EQ(modal.title, "Zoruna[ｺﾋﾟｰ結果]");
        seen.shown = true;
        seen.owner = dlg->GetParent();
        seen.texts = StaticTexts(dlg);
        if (auto* list = dynamic_cast<wxTextCtrl*>(dlg->FindWindow(IDC_SUMMARY_LIST))) {
            for (int i = 0; i < list->GetNumberOfLines(); ++i) seen.failures.push_back(U8(list->GetLineText(i)));
            seen.listReadOnly = !list->IsEditable() && list->IsMultiLine();
            seen.listTakesFocus = list->AcceptsFocusFromKeyboard();
        }
        Press(dlg, IDOK);
        return dlg->GetReturnCode();
    });
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

    // The file's and the folders' lines lose the middle of a long text, not
    // its end; the figures lie between them and the bar.
    for (const int id : {IDC_COPY_FILE, IDC_COPY_FROM, IDC_COPY_TO})
        EXPECT_TRUE(dlg.GetDlgItem(id)->HasFlag(wxST_ELLIPSIZE_MIDDLE)) << id;
    for (const int id : {IDC_COPY_FIGURES, IDC_COPY_RATE}) {
        const wxRect line = dlg.GetDlgItem(id)->GetRect();
        EXPECT_GE(line.GetTop(), lastLine.GetBottom()) << id;
        EXPECT_LT(line.GetBottom(), gauge->GetRect().GetTop()) << id;
    }

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

    // The confirmation, owned by the main window, answered with answer; its
    // lines below the question go to *lines.
    void ExpectConfirmation(int answer, std::vector<std::string>* lines = nullptr) {
        ExpectModal([this, answer, lines](wxDialog* confirm, const ModalSeen& seen) {
            EXPECT_EQ(seen.title, "Zoruna［ほんとにいいの？］");
            EXPECT_EQ(confirm->GetParent(), dlg->GetWindow());
            EXPECT_EQ(FindProgressWindow(), nullptr) << "nothing starts before the answer";
            const std::vector<std::string> texts = StaticTexts(confirm);
            EXPECT_EQ(texts.at(0), "指定されたﾌｧｲﾙのｺﾋﾟｰを行います。後悔しませんね。");
            // Every line and both buttons inside the window, the buttons
            // below the last line.
            const wxSize client = confirm->GetClientSize();
            int lastLine = 0;
            for (wxWindow* child : confirm->GetChildren()) {
                EXPECT_LE(child->GetRect().GetRight(), client.x) << U8(child->GetLabel());
                EXPECT_LE(child->GetRect().GetBottom(), client.y) << U8(child->GetLabel());
                if (dynamic_cast<wxStaticText*>(child)) lastLine = std::max(lastLine, child->GetRect().GetBottom());
            }
            for (const int button : {wxID_OK, wxID_CANCEL})
                EXPECT_GT(confirm->FindWindow(button)->GetPosition().y, lastLine);
            if (lines) *lines = std::vector<std::string>(texts.begin() + 1, texts.end());
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

    std::vector<std::string> confirmation;
    ExpectConfirmation(wxID_OK, &confirmation);  // and no failure message
    SummarySeen summary;
    ExpectSummary(summary);
    ChooseCopy();

    // Four files go to B (one of them replaces B's), two come back into A
    // (one replaces A's); the sizes are those of the six sources.
    EXPECT_EQ(confirmation,
              (std::vector<std::string>{"Ａ → Ｂ: 4 個のﾌｧｲﾙ（新規 3 個、上書き 1 個）",
                                        "Ｂ → Ａ: 2 個のﾌｧｲﾙ（新規 1 個、上書き 1 個）", "合計 31 ﾊﾞｲﾄ"}));
    EXPECT_EQ(summary.owner, dlg->GetWindow());
    EXPECT_EQ(summary.texts,
              (std::vector<std::string>{"失敗したﾌｧｲﾙはありません。", "ｺﾋﾟｰしたﾌｧｲﾙ: 6 個   失敗: 0 個"}));
    EXPECT_TRUE(summary.failures.empty());

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
    ExpectModal([&](wxDialog* box, const ModalSeen&) {
        message = ReadFailureBox(box).text;
        return AnswerFailureBox(box, false);
    });
    SummarySeen summary;
    ExpectSummary(summary);
    ChooseCopy();

    EXPECT_EQ(message,
              "doc.txtのコピーに失敗しました。\n"
              "ｺﾋﾟｰ元のﾌｧｲﾙが比較の後で変更されました。比較し直してください。\nｺﾋﾟｰ先: " +
                  dirB);
    EXPECT_EQ(summary.failures, std::vector<std::string>{"doc.txt: ｺﾋﾟｰ元のﾌｧｲﾙが比較の後で変更されました。"
                                                         "比較し直してください。（ｺﾋﾟｰ先: " +
                                                         dirB + "）"});
    EXPECT_EQ(ReadFile(dirB + "/doc.txt"), "2024");
    EXPECT_EQ(ModTime(dirB + "/doc.txt"), kOld);
    ExpectUsableAfterwards();
}

// What the screen looked like while a failure message was up.
struct FailureSeen {
    FailureBoxSeen box;
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
        ExpectModal([&](wxDialog* box, const ModalSeen&) {
            EXPECT_TRUE(wxIsMainThread()) << "boxes are shown by the window thread";
            FailureSeen f;
            f.box = ReadFailureBox(box);
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
            const std::string name = f.box.text.substr(0, f.box.text.find("のコピー"));
            failures[name] = f;
            return AnswerFailureBox(box, false);
        });
    }
    SummarySeen summary;
    ExpectSummary(summary);
    ChooseCopy();

    ASSERT_EQ(failures.size(), 2u);
    const std::map<std::string, std::string> reasons = {
        {locked, "ｺﾋﾟｰ先のﾌｧｲﾙは読み取り専用です。"},
        {gone, "ｺﾋﾟｰ元のﾌｧｲﾙがありません。比較の後で削除か移動されました。"}};
    for (const std::string& name : {locked, gone}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(failures.count(name));
        const FailureSeen& f = failures.at(name);
        // The second line says why, the third names the folder the file was
        // to go to.
        EXPECT_EQ(f.box.text, name + "のコピーに失敗しました。\n" + reasons.at(name) + "\nｺﾋﾟｰ先: " + dirB);
        EXPECT_EQ(f.box.title, "Zoruna");
        EXPECT_TRUE(f.box.hasIcon);
        EXPECT_TRUE(f.box.hasQuietBox) << "offered, not ticked";
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
    EXPECT_EQ(summary.texts.at(0), "ｺﾋﾟｰできなかったﾌｧｲﾙ:");
    EXPECT_EQ(summary.texts.at(1), "ｺﾋﾟｰしたﾌｧｲﾙ: 2 個   失敗: 2 個");
    EXPECT_EQ(summary.failures.size(), 2u);
    ExpectUsableAfterwards();
}

// Copies through the real file system, but refuses to open the sources whose
// names start with "secret" (no permission) and to create any file in B's
// folder "full" (the disk is full there).
class SomeFilesFail : public ForwardingFileSystem {
public:
    FileHandle OpenRead(const std::string& path) override {
        if (path.substr(path.rfind('/') + 1).rfind("secret", 0) == 0) {
            errno = EACCES;
            return kInvalidHandle;
        }
        return ForwardingFileSystem::OpenRead(path);
    }
    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        if (path.find("/full/") != std::string::npos) {
            errno = ENOSPC;
            return kInvalidHandle;
        }
        return ForwardingFileSystem::Create(path, exclusive, mode);
    }
};

class CopyFailures : public CopySelected {
protected:
    SomeFilesFail fs;

    // Every row selected one by one (select all is the results list's own
    // business).
    void SelectEveryRow() {
        for (long r = 0; r < dlg->ResultList()->RowCount(); ++r)
            dlg->ResultList()->SelectRow(r);
    }
    void OpenSelectAll() {
        WriteSettings(SettingsText({{dirA, dirB}}));
        dlg = Open({}, fs);
        Press(*dlg, IDOK);
        SelectEveryRow();
    }
};

TEST_F(CopyFailures, TheSummaryListsEveryFailureWithItsReasonAndWhereItWasToGo) {
    Put("a.txt", {"copied", kNew}, kAbsent);
    Put("secret.txt", {"unreadable", kNew}, kAbsent);
    Put("z.txt", {"new", kOld}, {"newer in B", kNew});
    tmp.MakeDir("A/full");
    tmp.MakeDir("B/full");
    Put("full/big.bin", {"does not fit", kNew}, {"old", kOld});
    WriteSettings(SettingsText({{dirA, dirB}}));
    // The pair compares its whole trees, so that the file in full/ is listed.
    WriteFile(settingsPath, ReadFile(settingsPath) + "SUBDIRS=1\r\n");
    dlg = Open({}, fs);
    Press(*dlg, IDOK);
    SelectEveryRow();

    ExpectConfirmation(wxID_OK);
    for (int i = 0; i < 2; ++i)
        ExpectModal([](wxDialog* box, const ModalSeen&) { return AnswerFailureBox(box, false); });
    SummarySeen summary;
    ExpectSummary(summary);
    ChooseCopy();

    ASSERT_TRUE(summary.shown);
    EXPECT_EQ(summary.owner, dlg->GetWindow());
    EXPECT_EQ(summary.texts.at(0), "ｺﾋﾟｰできなかったﾌｧｲﾙ:");
    EXPECT_EQ(summary.texts.at(1), "ｺﾋﾟｰしたﾌｧｲﾙ: 2 個   失敗: 2 個");
    std::sort(summary.failures.begin(), summary.failures.end());
    EXPECT_EQ(summary.failures,
              (std::vector<std::string>{"full/big.bin: ｺﾋﾟｰ先のﾃﾞｨｽｸがいっぱいです。（ｺﾋﾟｰ先: " + dirB + "）",
                                        "secret.txt: ｺﾋﾟｰ元のﾌｧｲﾙを読む権限がありません。（ｺﾋﾟｰ先: " + dirB + "）"}));
    // A text the keyboard reaches, that can be selected and copied but not
    // changed.
    EXPECT_TRUE(summary.listReadOnly);
    EXPECT_TRUE(summary.listTakesFocus);
    EXPECT_EQ(ReadFile(dirB + "/a.txt"), "copied");
    EXPECT_EQ(ReadFile(dirA + "/z.txt"), "newer in B");
    ExpectUsableAfterwards();
}

// "以降のエラーを表示しない" in the first box: the other 499 failures are
// collected without a box, and the summary lists all 500.
TEST_F(CopyFailures, FurtherErrorsAreNotShownOnceAskedAndStillListed) {
    constexpr int kFailing = 500;
    Put("copied.txt", {"fine", kNew}, kAbsent);
    for (int i = 0; i < kFailing; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "secret%03d.txt", i);
        Put(name, {"x", kNew}, kAbsent);
    }
    OpenSelectAll();
    ASSERT_EQ(dlg->ResultList()->RowCount(), kFailing + 1);

    ExpectConfirmation(wxID_OK);
    int boxes = 0;
    ExpectModal([&](wxDialog* box, const ModalSeen&) {
        ++boxes;
        return AnswerFailureBox(box, true);
    });
    SummarySeen summary;
    ExpectSummary(summary);
    const int modalsBefore = ModalCount();
    ChooseCopy();

    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(ModalCount() - modalsBefore, 3) << "the confirmation, one box and the summary";
    EXPECT_EQ(summary.texts.at(1), "ｺﾋﾟｰしたﾌｧｲﾙ: 1 個   失敗: 500 個");
    ASSERT_EQ(summary.failures.size(), static_cast<std::size_t>(kFailing));
    std::sort(summary.failures.begin(), summary.failures.end());
    EXPECT_EQ(summary.failures.front(), "secret000.txt: ｺﾋﾟｰ元のﾌｧｲﾙを読む権限がありません。（ｺﾋﾟｰ先: " + dirB + "）");
    EXPECT_EQ(summary.failures.back().substr(0, 14), "secret499.txt:");
    EXPECT_EQ(ReadFile(dirB + "/copied.txt"), "fine");
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
        // The window thread shows the bar while the worker stands in the file,
        // with the file's number and the bytes done of all.
        EXPECT_FALSE(dlg->GetWindow()->IsEnabled());
        const std::string figures = Line(progress.GetWindow(), IDC_COPY_FIGURES);
        EXPECT_EQ(figures.substr(0, figures.find("   ")), "1 / 1 ﾌｧｲﾙ");
        EXPECT_EQ(figures.substr(figures.find(" / ", figures.find("   "))), " / 24.0 MB");
        EXPECT_NE(Line(progress.GetWindow(), IDC_COPY_RATE), "");
        GetParam().stop(progress);
        EXPECT_TRUE(progress.StopRequested());
        EXPECT_FALSE(progress.StopButton()->IsEnabled()) << "asked once";
        stopped = true;
        fs.gate.Open();
    };
    ExpectConfirmation(wxID_OK);  // and no failure message
    SummarySeen summary;
    ExpectSummary(summary);
    ChooseCopy();

    ASSERT_TRUE(stopped) << "the copy never reported progress within the file";
    EXPECT_EQ(summary.texts, (std::vector<std::string>{"失敗したﾌｧｲﾙはありません。", "ｺﾋﾟｰしたﾌｧｲﾙ: 0 個   失敗: 0 個",
                                                       "中止したため、残りの 1 個はｺﾋﾟｰしていません。"}));
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
    SummarySeen summary;
    ExpectSummary(summary);  // before the comparison
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
