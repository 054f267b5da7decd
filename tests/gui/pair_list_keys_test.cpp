// The pair list dialog driven by real key presses: moving and toggling lines,
// the buttons that follow, and where the focus goes when a button disables
// itself.
#include <gtest/gtest.h>

#include "dialogs/dir_list_dlg.h"
#include "gui/pair_test_helpers.h"
#include "res/resource.h"
#include "ui/toggle_list.h"

namespace {

// The selected lines as "0,2" ("" for none).
std::string Selected(wxDialog* d) {
    std::string s;
    for (int i = 0; i < static_cast<int>(PairList(d)->GetCount()); ++i)
        if (PairList(d)->IsSelected(i)) s += (s.empty() ? "" : ",") + std::to_string(i);
    return s;
}

// Runs the list dialog on table, shown and with the focus on focusId; body
// presses keys and returns normally when the dialog may be closed by Close.
template <class Body>
int RunListWithKeys(CDirListDlg& dlg, DirPairTable& table, int focusId, Body body) {
    dlg.SetPairTable(&table);
    ExpectModal([focusId, body](wxDialog* d, const ModalSeen&) {
        ShowForKeys(d, Control(d, focusId));
        body(d);
        if (d->IsShown()) Press(d, IDCANCEL);
        return d->GetReturnCode();
    });
    return dlg.DoModal();
}

struct Step {
    int key;
    int caret;             // focused line afterwards
    const char* selected;  // selected lines afterwards
    bool deleteEnabled;
    bool registerEnabled;
};

struct LineKeysCase {
    const char* name;
    int pairs;
    std::vector<Step> steps;
};

void PrintTo(const LineKeysCase& c, std::ostream* os) { *os << c.name; }

class ListLineKeys : public ::testing::TestWithParam<LineKeysCase> {};

TEST_P(ListLineKeys, MoveTheCaretToggleOneLineAndUpdateTheButtons) {
    const LineKeysCase& c = GetParam();
    DirPairTable table = MakeTable(c.pairs);
    const DirPairTable before = table;
    CDirListDlg dlg;
    RunListWithKeys(dlg, table, IDC_PAIR_LIST, [&c](wxDialog* d) {
        // The focus arriving in the list shows the caret on the first line.
        EXPECT_EQ(GetCaretLine(PairList(d)), 0);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            SCOPED_TRACE("after key " + std::to_string(i + 1));
            PressKey(s.key);
            EXPECT_EQ(GetCaretLine(PairList(d)), s.caret);
            EXPECT_EQ(Selected(d), s.selected);
            EXPECT_EQ(Enabled(d, IDC_DELETE), s.deleteEnabled);
            EXPECT_EQ(Enabled(d, IDOK), s.registerEnabled);
            EXPECT_EQ(wxWindow::FindFocus(), PairList(d));
        }
    });
    EXPECT_TRUE(SameBytes(table, before));
    EXPECT_FALSE(dlg.m_bModified);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListLineKeys,
    ::testing::Values(
        LineKeysCase{"arrows_move_without_selecting",
                     3,
                     {{WXK_DOWN, 1, "", false, true},
                      {WXK_DOWN, 2, "", false, true},
                      {WXK_DOWN, 2, "", false, true},
                      {WXK_UP, 1, "", false, true}}},
        LineKeysCase{"space_toggles_the_focused_line",
                     3,
                     {{WXK_DOWN, 1, "", false, true},
                      {WXK_SPACE, 1, "1", true, true},
                      {WXK_SPACE, 1, "", false, true}}},
        LineKeysCase{"each_line_on_its_own",
                     3,
                     {{WXK_SPACE, 0, "0", true, true},
                      {WXK_DOWN, 1, "0", true, true},
                      {WXK_DOWN, 2, "0", true, true},
                      {WXK_SPACE, 2, "0,2", true, false},
                      {WXK_UP, 1, "0,2", true, false},
                      {WXK_UP, 0, "0,2", true, false},
                      {WXK_UP, 0, "0,2", true, false},
                      {WXK_SPACE, 0, "2", true, true}}},
        LineKeysCase{"home_and_end_jump",
                     5,
                     {{WXK_END, 4, "", false, true},
                      {WXK_SPACE, 4, "4", true, true},
                      {WXK_HOME, 0, "4", true, true},
                      {WXK_SPACE, 0, "0,4", true, false}}},
        LineKeysCase{"ten_pairs_register_stays_off",
                     10,
                     {{WXK_END, 9, "", false, false}, {WXK_SPACE, 9, "9", true, false}}},
        // Typing would make GTK's list search and select what it finds.
        LineKeysCase{"letters_and_shift_select_nothing",
                     3,
                     {{'a', 0, "", false, true},
                      {'2', 0, "", false, true},
                      {WXK_NUMPAD_ADD, 0, "", false, true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListPageKeys, MoveByAVisiblePageAndStopAtTheEnds) {
    DirPairTable table = MakeTable(10);
    CDirListDlg dlg;
    RunListWithKeys(dlg, table, IDC_PAIR_LIST, [](wxDialog* d) {
        wxListBox* list = PairList(d);
        const int page = list->GetCountPerPage() - 1;
        ASSERT_GE(page, 2);
        ASSERT_LT(page, 9) << "all ten lines fit: no page to turn";
        PressKey(WXK_PAGEDOWN);
        EXPECT_EQ(GetCaretLine(list), page);
        PressKey(WXK_PAGEDOWN);
        EXPECT_EQ(GetCaretLine(list), std::min(9, 2 * page));
        PressKey(WXK_END);
        PressKey(WXK_PAGEUP);
        EXPECT_EQ(GetCaretLine(list), 9 - page);
        PressKey(WXK_PAGEUP);
        EXPECT_EQ(GetCaretLine(list), std::max(0, 9 - 2 * page));
        EXPECT_EQ(Selected(d), "");
    });
}

TEST(ListFocus, DeleteHandsTheFocusToTheListAndEscapeCloses) {
    DirPairTable table = MakeTable(3);
    CDirListDlg dlg;
    const int result = RunListWithKeys(dlg, table, IDC_PAIR_LIST, [](wxDialog* d) {
        PressKey(WXK_DOWN);
        PressKey(WXK_SPACE);
        // Shift+Tab goes back from the list to Delete; Enter presses the
        // button with the focus, not the default button Register.
        PressKey(WXK_TAB, wxMOD_SHIFT);
        ASSERT_EQ(wxWindow::FindFocus(), Control(d, IDC_DELETE));
        PressKey(WXK_RETURN);
        EXPECT_EQ(Lines(d).size(), 2u);
        EXPECT_FALSE(Enabled(d, IDC_DELETE));
        EXPECT_EQ(wxWindow::FindFocus(), PairList(d));
        EXPECT_EQ(GetCaretLine(PairList(d)), 0);
        PressKey(WXK_ESCAPE);
        EXPECT_FALSE(d->IsShown());
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(table.count, 2);
    EXPECT_STREQ(table.pairs[1].dirA, "/a2");
    EXPECT_TRUE(dlg.m_bModified);
}

TEST(ListFocus, EnterAfterDeleteOnlyOpensTheInputForANewPair) {
    DirPairTable table = MakeTable(3);
    CDirListDlg dlg;
    RunListWithKeys(dlg, table, IDC_PAIR_LIST, [](wxDialog* d) {
        SelectLines(d, {0});
        Control(d, IDC_DELETE)->SetFocus();
        PressKey(WXK_SPACE);
        ASSERT_EQ(wxWindow::FindFocus(), PairList(d));
        // Nothing is selected, so Register adds: the input dialog starts
        // empty, and its Cancel registers nothing.
        ExpectModal([](wxDialog* input, const ModalSeen& seen) {
            EXPECT_EQ(seen.title, "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］");
            EXPECT_EQ(Text(input, IDC_DIR_A), "");
            EXPECT_EQ(Text(input, IDC_DIR_B), "");
            Press(input, IDCANCEL);
            return input->GetReturnCode();
        });
        PressKey(WXK_RETURN);
        VerifyModalsShown();
        EXPECT_EQ(Lines(d).size(), 2u);
        EXPECT_EQ(wxWindow::FindFocus(), PairList(d));
    });
    EXPECT_EQ(table.count, 2);
    EXPECT_STREQ(table.pairs[0].dirA, "/a1");
}

TEST(ListFocus, EnterDoesNothingWhileRegisterIsDisabled) {
    DirPairTable table = MakeTable(10);
    const DirPairTable before = table;
    CDirListDlg dlg;
    RunListWithKeys(dlg, table, IDC_PAIR_LIST, [](wxDialog* d) {
        PressKey(WXK_RETURN);  // no selection, but ten pairs
        PressKey(WXK_SPACE);
        PressKey(WXK_DOWN);
        PressKey(WXK_SPACE);
        PressKey(WXK_RETURN);  // two lines selected
        EXPECT_TRUE(d->IsShown());
        EXPECT_EQ(Selected(d), "0,1");
    });
    EXPECT_TRUE(SameBytes(table, before));
    EXPECT_FALSE(dlg.m_bModified);
}

TEST(ListFocus, RegisterThatReachesTenPairsHandsTheFocusOn) {
    DirPairTable table = MakeTable(9);
    CDirListDlg dlg;
    const int result = RunListWithKeys(dlg, table, IDCANCEL, [](wxDialog* d) {
        PressKey(WXK_TAB);
        ASSERT_EQ(wxWindow::FindFocus(), Control(d, IDOK));
        ExpectModal(TypeInput("/tenth/a", "/tenth/b"));
        PressKey(WXK_SPACE);
        EXPECT_EQ(Lines(d).size(), 10u);
        EXPECT_FALSE(Enabled(d, IDOK));
        // Delete is disabled too: the list is next.
        EXPECT_EQ(wxWindow::FindFocus(), PairList(d));
        PressKey(WXK_ESCAPE);
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(table.count, 10);
    EXPECT_STREQ(table.pairs[9].dirA, "/tenth/a");
}

TEST(ListFocus, EnterOnCloseClosesAndEnterInTheListRegisters) {
    DirPairTable table = MakeTable(1);
    CDirListDlg dlg;
    const int result = RunListWithKeys(dlg, table, IDC_PAIR_LIST, [](wxDialog* d) {
        PressKey(WXK_SPACE);
        ExpectModal([](wxDialog* input, const ModalSeen&) {
            EXPECT_EQ(Text(input, IDC_DIR_A), "/a0");  // the selected pair
            // Shown for real, the input dialog takes the activation from the
            // list; once it is gone, nothing may press Register a second time.
            input->Show();
            PumpEvents();
            SetText(input, IDC_DIR_B, "/edited");
            Press(input, IDOK);
            return input->GetReturnCode();
        });
        PressKey(WXK_RETURN);
        EXPECT_EQ(wxWindow::FindFocus(), PairList(d));
        PressKey(WXK_TAB);
        ASSERT_EQ(wxWindow::FindFocus(), Control(d, IDCANCEL));
        PressKey(WXK_RETURN);
        EXPECT_FALSE(d->IsShown());
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_STREQ(table.pairs[0].dirB, "/edited");
}

}  // namespace
