// The results list of the main dialog: Compare over real directories, the
// rows with their images and dates, the listing failure message, the context
// menu, Select all, Secret and About.
#include <gtest/gtest.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>

#include "cli/failure_text.h"
#include "core/compare.h"
#include "core/date_text.h"
#include "gui/main_window_test_helpers.h"
#include "res/icons.h"
#include "zoruna_version.h"

namespace {

constexpr FileTime kOld = 1700000000;  // 2023-11-14
constexpr FileTime kNew = 1710000000;  // 2024-03-09

class ResultList : public MainWindowFixture {
protected:
    std::string dirA = tmp.MakeDir("A");
    std::string dirB = tmp.MakeDir("B");

    // One file of every kind, a Japanese name among them, and one file that
    // agrees on both sides (no row).
    void MakeDifferences() {
        WriteFile(dirA + "/only_a.txt", "a", kOld);
        WriteFile(dirB + "/only_b.txt", "b", kNew);
        WriteFile(dirA + "/a_newer.txt", "a", kNew);
        WriteFile(dirB + "/a_newer.txt", "b", kOld);
        WriteFile(dirA + "/b_newer.txt", "a", kOld);
        WriteFile(dirB + "/b_newer.txt", "b", kNew);
        WriteFile(dirA + "/報告書.txt", "a", kNew);
        WriteFile(dirA + "/same.txt", "x", kOld);
        WriteFile(dirB + "/same.txt", "x", kOld);
        WriteSettings(SettingsText({{dirA, dirB}}));
    }
};

TEST_F(ResultList, CompareShowsEveryKindWithImageAndDates) {
    MakeDifferences();
    auto dlg = Open();
    EXPECT_TRUE(Rows(*dlg).empty()) << "no comparison before Compare";

    Press(*dlg, IDOK);
    EXPECT_TRUE(dlg->GetWindow()->IsShown()) << "Compare keeps the dialog open";

    const std::string oldText = FormatDateText(kOld), newText = FormatDateText(kNew);
    const std::map<std::string, Row> expected = {
        {"only_a.txt", {"only_a.txt", IDI_ONLY_A, oldText, ""}},
        {"only_b.txt", {"only_b.txt", IDI_ONLY_B, "", newText}},
        {"a_newer.txt", {"a_newer.txt", IDI_A_NEWER, newText, oldText}},
        {"b_newer.txt", {"b_newer.txt", IDI_B_NEWER, oldText, newText}},
        {"報告書.txt", {"報告書.txt", IDI_ONLY_A, newText, ""}},
    };
    const std::vector<Row> rows = Rows(*dlg);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        // Row i shows entry i of the result table (the copy relies on it).
        EXPECT_EQ(row.name, dlg->Diffs().entries[i].name);
        auto it = expected.find(row.name);
        ASSERT_NE(it, expected.end());
        EXPECT_EQ(row.icon, it->second.icon);
        EXPECT_EQ(row.dateA, it->second.dateA);
        EXPECT_EQ(row.dateB, it->second.dateB);
    }
    dlg->DestroyWindow();
}

TEST_F(ResultList, FileOnlyInAWithTimeZeroShowsAsOnlyA) {
    // A file dated 1 January 1970 is still a file: which sides have it does
    // not depend on its time.
    WriteFile(dirA + "/epoch.txt", "a");
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dirA + "/epoch.txt").c_str(), times, 0), 0);
    WriteSettings(SettingsText({{dirA, dirB}}));
    auto dlg = Open();
    Press(*dlg, IDOK);
    const std::vector<Row> rows = Rows(*dlg);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].icon, IDI_ONLY_A);
    EXPECT_EQ(rows[0].dateA, FormatDateText(0));
    EXPECT_EQ(rows[0].dateB, "");
    dlg->DestroyWindow();
}

TEST_F(ResultList, CompareTwiceShowsEachResultOnce) {
    MakeDifferences();
    auto dlg = Open();
    Press(*dlg, IDOK);
    const std::size_t first = Rows(*dlg).size();
    Press(*dlg, IDOK);
    EXPECT_EQ(Rows(*dlg).size(), first);
    EXPECT_EQ(dlg->Diffs().count, static_cast<int>(first));

    // Once the directories agree, Compare empties the list without a word.
    for (const char* name : {"only_a.txt", "a_newer.txt", "b_newer.txt", "報告書.txt"})
        std::remove((dirA + "/" + name).c_str());
    for (const char* name : {"only_b.txt", "a_newer.txt", "b_newer.txt"}) std::remove((dirB + "/" + name).c_str());
    Press(*dlg, IDOK);
    EXPECT_TRUE(Rows(*dlg).empty());
    dlg->DestroyWindow();
}

TEST_F(ResultList, ListingFailureIsReportedAndTheNextPairStillCompared) {
    const std::string missing = tmp / "missing";
    WriteFile(dirA + "/only_a.txt", "a", kOld);
    WriteSettings(SettingsText({{missing, dirB}, {dirA, dirB}}));
    auto dlg = Open();

    wxWindow* owner = nullptr;
    ModalSeen seen;
    ExpectModal([&](wxDialog* box, const ModalSeen& s) {
        seen = s;
        owner = box->GetParent();
        return wxID_OK;
    });
    Press(*dlg, IDOK);
    VerifyModalsShown();

    EXPECT_EQ(seen.kind, "message");
    EXPECT_EQ(seen.message, FormatListingFailure(missing.c_str(), dirB.c_str()));
    EXPECT_EQ(seen.title, "Zoruna");
    EXPECT_TRUE(seen.style & wxICON_EXCLAMATION);
    EXPECT_EQ(owner, dlg->GetWindow()) << "owned by the main dialog";
    ASSERT_EQ(Rows(*dlg).size(), 1u);
    EXPECT_EQ(Rows(*dlg)[0].name, "only_a.txt");
    dlg->DestroyWindow();
}

// A right click at pos in the list's row area, through the X server: the
// native list selects and reports by itself.
void RightClick(TestMainDialog& dlg, wxPoint pos) {
    ShowForKeys(dlg.GetWindow(), dlg.ResultList()->RowWindow());
    ClickAt(dlg.ResultList()->RowWindow(), pos, wxMOUSE_BTN_RIGHT, [&dlg] { return !dlg.menusShown.empty(); });
}

// Halfway between the last row (or the header) and the list's bottom, which
// may hold a scroll bar.
wxPoint BelowTheRows(ResultListView* list) {
    wxRect last(0, 30, 0, 0);
    if (list->RowCount() != 0) list->RowRect(list->RowCount() - 1, last);
    return wxPoint(10, (last.GetBottom() + list->RowWindow()->GetClientSize().y) / 2);
}

struct MenuCase {
    const char* what;
    bool compare;     // fill the list first
    int selectRow;    // -1: no selection
    int currentRow;   // -1: no current (focused) row
    int clickRow;     // -1: click below the rows
    bool selectAllEnabled;
    bool copyEnabled;
};

void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.what; }

class ContextMenu : public ResultList, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(ContextMenu, GreysWhatCannotBeDone) {
    const MenuCase& c = GetParam();
    MakeDifferences();
    auto dlg = Open();
    ResultListView* list = dlg->ResultList();
    if (c.compare) Press(*dlg, IDOK);
    if (c.currentRow >= 0) list->FocusRow(c.currentRow);
    if (c.selectRow >= 0) list->SelectRow(c.selectRow);
    PumpEvents();

    wxPoint at = BelowTheRows(list);
    if (c.clickRow >= 0) {
        wxRect rect;
        ASSERT_TRUE(list->RowRect(c.clickRow, rect));
        at = rect.GetPosition() + wxPoint(5, rect.height / 2);
    }
    RightClick(*dlg, at);

    ASSERT_EQ(dlg->menusShown.size(), 1u) << "one right click, one menu";
    EXPECT_EQ(dlg->menusShown[0].selectAllEnabled, c.selectAllEnabled);
    EXPECT_EQ(dlg->menusShown[0].copyEnabled, c.copyEnabled);
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    RightClick, ContextMenu,
    ::testing::Values(MenuCase{"EmptyList", false, -1, -1, -1, false, false},
                      MenuCase{"RowsNoSelection", true, -1, -1, -1, true, false},
                      MenuCase{"RowSelectedClickBelow", true, 2, -1, -1, true, true},
                      MenuCase{"CurrentRowClickBelow", true, -1, 1, -1, true, false},
                      MenuCase{"SelectedAndCurrentClickBelow", true, 1, 1, -1, true, true},
                      MenuCase{"ClickOnSelectedRow", true, 1, 1, 1, true, true},
                      // A right click selects the row under the cursor first.
                      MenuCase{"ClickOnUnselectedRow", true, -1, 0, 2, true, true}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ResultList, AboutEndsTheContextMenu) {
    auto dlg = Open();
    // No system menu to extend on this platform: the About item follows a
    // separator at the end of the context menu.
    const wxMenuItemList& items = dlg->PopupMenu()->GetMenuItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_TRUE(items[3]->IsSeparator());
    EXPECT_EQ(items[4]->GetId(), IDM_ABOUTBOX);
    EXPECT_EQ(U8(items[4]->GetItemLabel()), "ﾊﾞｰｼﾞｮﾝ情報(zoruna) (&V)...");
    dlg->DestroyWindow();
}

TEST_F(ResultList, SelectAllSelectsEveryRowAndKeepsTheFocus) {
    MakeDifferences();
    auto dlg = Open();
    Press(*dlg, IDOK);
    ResultListView* list = dlg->ResultList();
    list->FocusRow(1);
    const long focused = list->FocusedRow();

    for (int round = 0; round < 2; ++round) {
        Command(*dlg, ID_SELECT_ALL);
        EXPECT_EQ(SelectedRows(list).size(), static_cast<std::size_t>(list->RowCount()));
        EXPECT_EQ(list->FocusedRow(), focused);
    }
    dlg->DestroyWindow();
}

TEST_F(ResultList, SecretShowsItsNotice) {
    auto dlg = Open();
    ModalSeen seen;
    ExpectMessageBox(wxID_OK, &seen);
    Press(*dlg, IDC_SECRET);
    VerifyModalsShown();
    EXPECT_EQ(seen.message, "まだ秘密です。");
    EXPECT_EQ(seen.title, "Zoruna");
    EXPECT_TRUE(seen.style & wxICON_INFORMATION);
    EXPECT_FALSE(seen.style & (wxICON_EXCLAMATION | wxICON_QUESTION | wxICON_ERROR));
    EXPECT_TRUE(dlg->GetWindow()->IsShown());
    dlg->DestroyWindow();
}

TEST_F(ResultList, AboutShowsIconAndVersion) {
    auto dlg = Open();
    ExpectModal([](wxDialog* about, const ModalSeen& seen) {
        EXPECT_EQ(seen.title, "Zoruna［ﾊﾞｰｼﾞｮﾝ情報］");
        EXPECT_EQ(about->GetClientSize(), about->ConvertDialogToPixels(wxSize(199, 55)));
        auto* icon = dynamic_cast<wxStaticBitmap*>(about->FindWindow(IDC_ABOUT_ICON));
        EXPECT_TRUE(icon && icon->GetBitmap().IsOk() && icon->GetBitmap().GetSize() == wxSize(32, 32));
        auto* text = dynamic_cast<wxStaticText*>(about->FindWindow(IDC_ABOUT_TEXT));
        EXPECT_TRUE(text && U8(text->GetLabelText()) == "Zoruna Version " ZORUNA_VERSION);
        EXPECT_NE(about->FindWindow(wxID_OK), nullptr);
        return wxID_OK;
    });
    wxCommandEvent choose(wxEVT_MENU, IDM_ABOUTBOX);
    dlg->GetWindow()->GetEventHandler()->ProcessEvent(choose);
    VerifyModalsShown();
    dlg->DestroyWindow();
}

}  // namespace
