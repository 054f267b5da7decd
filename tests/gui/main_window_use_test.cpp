// The main window in daily use: differences left out of a full table, the
// count in the title, which pair a row belongs to, a window that grows,
// the keyboard, and where the folder chooser opens.
#include <gtest/gtest.h>
#include <wx/tooltip.h>
#include <wx/utils.h>

#include <set>
#include <string>

#include "cli/failure_text.h"
#include "core/filesystem.h"
#include "dialogs/dir_input_dlg.h"
#include "gui/main_window_test_helpers.h"
#include "res/dialog_resources.h"

namespace {

constexpr FileTime kOld = 1700000000;  // 2023-11-14
constexpr FileTime kNew = 1710000000;  // 2024-03-09

class MainWindowUse : public MainWindowFixture {
protected:
    // A pair A<n>-B<n> with the given number of files only in A.
    std::pair<std::string, std::string> PairWithFiles(int n, int files) {
        const std::string a = tmp.MakeDir("A" + std::to_string(n)), b = tmp.MakeDir("B" + std::to_string(n));
        for (int i = 0; i < files; ++i) WriteFile(a + "/f" + std::to_string(i) + ".txt", "", kOld);
        return {a, b};
    }
};

// --- a full table ---

TEST_F(MainWindowUse, FullTableSaysHowManyDifferencesAreNotShown) {
    // 5,003 differences: 5,001 in the first pair, 2 in the second, which
    // would otherwise vanish without a word.
    WriteSettings(SettingsText({PairWithFiles(0, MAX_DIFFS + 1), PairWithFiles(1, 2)}));
    auto dlg = Open();

    ModalSeen seen;
    wxWindow* owner = nullptr;
    int rowsWhenShown = -1;
    ExpectModal([&](wxDialog* box, const ModalSeen& s) {
        seen = s;
        owner = box->GetParent();
        rowsWhenShown = dlg->ResultList()->RowCount();
        return wxID_OK;
    });
    Press(*dlg, IDOK);
    VerifyModalsShown();

    EXPECT_EQ(dlg->LastCompare().omitted[0], 1);
    EXPECT_EQ(dlg->LastCompare().omitted[1], 2);
    EXPECT_EQ(seen.title, "Zoruna");
    EXPECT_TRUE(seen.style & wxICON_EXCLAMATION);
    // The same words as the command line's notice.
    EXPECT_EQ(seen.message, FormatOmittedNotice(3));
    EXPECT_EQ(owner, dlg->GetWindow());
    EXPECT_EQ(rowsWhenShown, MAX_DIFFS) << "shown after the list was filled";
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), "Zoruna - 5000 件");

    // Once everything fits, no message (an unexpected box fails the test).
    WriteSettings(SettingsText({PairWithFiles(2, 3)}));
    dlg->DestroyWindow();
    dlg = Open();
    Press(*dlg, IDOK);
    EXPECT_EQ(dlg->LastCompare().TotalOmitted(), 0);
    EXPECT_EQ(Rows(*dlg).size(), 3u);
    dlg->DestroyWindow();
}

// --- the count in the title ---

TEST_F(MainWindowUse, TitleCountsTheRowsOfTheLastComparison) {
    const auto [a, b] = PairWithFiles(0, 0);
    WriteSettings(SettingsText({{a, b}}));
    auto dlg = Open();
    const struct {
        int files;
        const char* title;
    } steps[] = {{2, "Zoruna - 2 件"}, {0, "Zoruna"}, {1, "Zoruna - 1 件"}};
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), "Zoruna");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.title);
        for (const auto& name : {"x.txt", "y.txt"}) std::remove((a + "/" + name).c_str());
        for (int i = 0; i < step.files; ++i) WriteFile(a + (i ? "/y.txt" : "/x.txt"), "", kOld);
        Press(*dlg, IDOK);
        EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), step.title);
    }
    dlg->DestroyWindow();
}

// --- which pair a row belongs to ---

TEST_F(MainWindowUse, StatusLineAndTooltipNameTheRowsPairAndBothPaths) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int n = 0; n < 3; ++n) {
        pairs.push_back(PairWithFiles(n, 0));
        WriteFile(pairs.back().first + "/README.md", "a", kOld);
        WriteFile(pairs.back().second + "/README.md", "b", kNew);
    }
    WriteSettings(SettingsText(pairs));
    auto dlg = Open();
    Press(*dlg, IDOK);
    ResultListView* list = dlg->ResultList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->RowCount(), 3);
    EXPECT_EQ(U8(dlg->StatusLine()->GetLabel()), "") << "no focused row yet";

    // GTK finds the row under the mouse only in a window on the screen.
    dlg->GetWindow()->Show();
    PumpEvents();
    wxWindow* rows = ListMouseWindow(list);
    for (long row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const auto& [a, b] = pairs[static_cast<std::size_t>(dlg->Diffs().entries[row].pairIndex)];
        const std::string number = std::to_string(dlg->Diffs().entries[row].pairIndex + 1);
        const std::string pathA = JoinPath(a, "README.md"), pathB = JoinPath(b, "README.md");

        list->FocusRow(row);
        PumpEvents();
        EXPECT_EQ(U8(dlg->StatusLine()->GetLabelText()), number + " A: " + pathA + "   B: " + pathB);

        // The mouse over the row: its tooltip has one line per side.
        wxRect rect;
        ASSERT_TRUE(list->RowRect(row, rect));
        wxMouseEvent move(wxEVT_MOTION);
        move.SetPosition(wxPoint(rect.x + 5, rect.y + rect.height / 2));
        move.SetEventObject(rows);
        rows->GetEventHandler()->ProcessEvent(move);
        wxToolTip* tip = rows->GetToolTip();
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(U8(tip->GetTip()), number + " A: " + pathA + "\n" + number + " B: " + pathB);
    }
    // A new comparison starts without a focused row or a tooltip.
    Press(*dlg, IDOK);
    EXPECT_EQ(U8(dlg->StatusLine()->GetLabel()), "");
    EXPECT_EQ(rows->GetToolTip(), nullptr);
    dlg->DestroyWindow();
}

// --- a window that grows ---

struct SizeCase {
    const char* name;
    wxSize asked;     // in dialog units, added to the layout's size
    wxSize expected;  // likewise
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class GrowingWindow : public MainWindowUse, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(GrowingWindow, ListGrowsAndButtonsKeepToTheirCorners) {
    const SizeCase& c = GetParam();
    auto dlg = Open();
    wxDialog* wnd = dlg->GetWindow();
    const wxSize layout = wnd->ConvertDialogToPixels(wxSize(kDirCompareDialog.cx, kDirCompareDialog.cy));
    EXPECT_EQ(wnd->GetClientSize(), layout);
    EXPECT_TRUE(wnd->HasFlag(wxRESIZE_BORDER));
    EXPECT_EQ(wnd->GetMinClientSize(), layout) << "the layout's size is the least";

    struct Before {
        int id;
        wxRect rect;
    };
    std::vector<Before> before;
    for (const int id : {IDC_RESULT_LIST, IDC_SECRET, IDC_DIRS, IDOK, IDCANCEL})
        before.push_back({id, Control(*dlg, id)->GetRect()});
    const wxRect statusBefore = dlg->StatusLine()->GetRect();
    ResultListView* list = dlg->ResultList();
    const int widths[] = {list->ColumnWidth(0), list->ColumnWidth(1), list->ColumnWidth(2)};

    // A stored size counts the frame, as the window reports its size.
    const wxSize frame = wnd->GetSize() - wnd->GetClientSize();
    const wxSize asked = layout + frame + wnd->ConvertDialogToPixels(c.asked);
    dlg->ApplyWindowSize(asked.x, asked.y);
    PumpEvents();
    const wxSize expected = layout + wnd->ConvertDialogToPixels(c.expected);
    EXPECT_EQ(wnd->GetClientSize(), expected);
    EXPECT_EQ(wnd->GetSize(), expected + frame);

    const int dw = expected.x - layout.x, dh = expected.y - layout.y;
    for (const Before& b : before) {
        SCOPED_TRACE(b.id);
        const wxRect now = Control(*dlg, b.id)->GetRect();
        wxRect want = b.rect;
        switch (b.id) {
            case IDC_RESULT_LIST: want.width += dw, want.height += dh; break;
            case IDC_SECRET:
            case IDC_DIRS: want.y += dh; break;  // left edge
            default: want.x += dw, want.y += dh; break;  // right edge
        }
        EXPECT_EQ(now, want);
    }
    EXPECT_EQ(dlg->StatusLine()->GetRect(), wxRect(statusBefore.x, statusBefore.y + dh, statusBefore.width + dw,
                                                   statusBefore.height));
    // The names take the room; the widths the user set stay as they were.
    for (int col = 0; col < 3; ++col) EXPECT_EQ(list->ColumnWidth(col), widths[col]) << col;
    const int shown = list->ShownColumnWidth(0) + list->ShownColumnWidth(1) + list->ShownColumnWidth(2);
    if (dw > 200) {
        EXPECT_GT(list->ShownColumnWidth(0), widths[0]) << "the name column grew";
        EXPECT_LE(shown, list->GetClientSize().x) << "the dates stay in view";
    }
    // The status line lies between the list and the buttons.
    EXPECT_GT(dlg->StatusLine()->GetRect().y, Control(*dlg, IDC_RESULT_LIST)->GetRect().GetBottom());
    EXPECT_LT(dlg->StatusLine()->GetRect().GetBottom(), Control(*dlg, IDOK)->GetRect().y);

    // Resizing by hand lays out the same way.
    wnd->SetClientSize(layout);
    wxSizeEvent resized(wnd->GetSize(), wnd->GetId());
    resized.SetEventObject(wnd);
    wnd->GetEventHandler()->ProcessEvent(resized);
    for (const Before& b : before) EXPECT_EQ(Control(*dlg, b.id)->GetRect(), b.rect) << b.id;
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GrowingWindow,
    ::testing::Values(SizeCase{"Larger", {200, 120}, {200, 120}}, SizeCase{"WiderOnly", {90, 0}, {90, 0}},
                      SizeCase{"SmallerThanTheLayout", {-100, -50}, {0, 0}},
                      SizeCase{"NarrowerButTaller", {-20, 60}, {0, 60}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowUse, SizeNotStoredKeepsTheLayoutSize) {
    auto dlg = Open();
    const wxSize layout = dlg->GetWindow()->GetClientSize();
    for (const wxSize& stored : {wxSize(0, 0), wxSize(0, 900), wxSize(900, -1)}) {
        dlg->ApplyWindowSize(stored.x, stored.y);
        EXPECT_EQ(dlg->GetWindow()->GetClientSize(), layout) << stored.x << "x" << stored.y;
    }
    dlg->DestroyWindow();
}

// --- the keyboard ---

struct KeyCase {
    const char* name;
    int key;
    int modifiers;
    bool onList;  // to the list's row window, else to the dialog
    bool menu;    // the context menu opens at the focused row
    bool allSelected;
    bool compared;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class Keyboard : public MainWindowUse, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Keyboard, KeysOpenTheMenuSelectAllAndCompare) {
    const KeyCase& c = GetParam();
    const auto pair = PairWithFiles(0, 3);
    WriteSettings(SettingsText({pair}));
    auto dlg = Open();
    Press(*dlg, IDOK);
    ASSERT_EQ(Rows(*dlg).size(), 3u);
    ResultListView* list = dlg->ResultList();
    list->FocusRow(1);
    // A file that only a new comparison lists.
    WriteFile(pair.first + "/new.txt", "", kNew);

    wxWindow* target = c.onList ? ListMouseWindow(list) : dlg->GetWindow();
    target->SetFocus();
    wxKeyEvent key(c.onList ? wxEVT_KEY_DOWN : wxEVT_CHAR_HOOK);
    key.m_keyCode = c.key;
    key.m_controlDown = c.modifiers & wxMOD_CONTROL;
    key.m_shiftDown = c.modifiers & wxMOD_SHIFT;
    key.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(key);

    ASSERT_EQ(dlg->menusShown.size(), c.menu ? 1u : 0u);
    if (c.menu) {
        wxRect row;
        ASSERT_TRUE(list->RowRect(1, row));
        const wxPoint at = dlg->GetWindow()->ScreenToClient(list->ClientToScreen(row.GetBottomLeft()));
        EXPECT_EQ(dlg->menusShown[0].pos.y, at.y) << "just below the focused row";
        EXPECT_TRUE(dlg->menusShown[0].selectAllEnabled);
        EXPECT_FALSE(dlg->menusShown[0].copyEnabled);
    }
    EXPECT_EQ(SelectedRows(list).size(), c.allSelected ? static_cast<std::size_t>(list->RowCount()) : 0u);
    EXPECT_EQ(Rows(*dlg).size(), c.compared ? 4u : 3u);
    EXPECT_EQ(list->FocusedRow(), c.compared ? -1 : 1) << "keys other than F5 keep the focused row";
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Keyboard,
    ::testing::Values(KeyCase{"MenuKey", WXK_MENU, wxMOD_NONE, true, true, false, false},
                      KeyCase{"WindowsMenuKey", WXK_WINDOWS_MENU, wxMOD_NONE, true, true, false, false},
                      KeyCase{"AltAlone", WXK_ALT, wxMOD_NONE, true, false, false, false},
                      KeyCase{"ShiftF10", WXK_F10, wxMOD_SHIFT, true, true, false, false},
                      KeyCase{"F10Alone", WXK_F10, wxMOD_NONE, true, false, false, false},
                      KeyCase{"CtrlA", 'A', wxMOD_CONTROL, true, false, true, false},
                      KeyCase{"CtrlShiftA", 'A', wxMOD_CONTROL | wxMOD_SHIFT, true, false, false, false},
                      KeyCase{"F5", WXK_F5, wxMOD_NONE, false, false, false, true},
                      KeyCase{"CtrlF5", WXK_F5, wxMOD_CONTROL, false, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowUse, CtrlAOnAnEmptyListAndTheAboutItemsOwnAccessKey) {
    auto dlg = Open();
    wxWindow* rows = ListMouseWindow(dlg->ResultList());
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = 'A';
    key.m_controlDown = true;
    key.SetEventObject(rows);
    rows->GetEventHandler()->ProcessEvent(key);
    EXPECT_TRUE(SelectedRows(dlg->ResultList()).empty());

    // Every item of the context menu has an access key of its own.
    std::set<wxChar> keys;
    for (const wxMenuItem* item : dlg->PopupMenu()->GetMenuItems()) {
        if (item->IsSeparator()) continue;
        const wxString label = item->GetItemLabel();
        const int amp = label.Find('&');
        ASSERT_NE(amp, wxNOT_FOUND) << U8(label);
        EXPECT_TRUE(keys.insert(wxToupper(label[amp + 1])).second) << U8(label);
    }
    dlg->DestroyWindow();
}

// --- the folder chooser ---

TEST_F(MainWindowUse, FolderChooserOpensAtTheEditsFolderOrAtHome) {
    const std::string folder = tmp.MakeDir("比較元");
    const std::string home = FromWx(wxGetHomeDir());
    const struct {
        std::string text, opened;
    } cases[] = {
        {folder, folder},
        {"  " + folder + "\t", folder},  // blanks around the name are not part of it
        {"", home},
        {"   ", home},
        {tmp / "missing", home},
        {tmp / "zoruna.INI", home},  // a file is no folder to open at
    };
    WriteSettings("");
    for (const auto& c : cases)
        EXPECT_EQ(FromWx(CDirInputDlg::ChooserStartFolder(ToWx(c.text))), c.opened) << c.text;
}

}  // namespace
