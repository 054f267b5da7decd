// The pair list dialog driven through its controls: Register, edit in place,
// Delete, the button states and the change flag.
#include <gtest/gtest.h>

#include "dialogs/dir_list_dlg.h"
#include "gui/pair_test_helpers.h"
#include "res/resource.h"

namespace {

constexpr const char* kListTitle = "Zoruna［比較ﾃﾞｨﾚｸﾄﾘ一覧］";

// Runs the list dialog on table; body drives it while it is open.
template <class Body>
int RunList(CDirListDlg& dlg, DirPairTable& table, Body body) {
    dlg.SetPairTable(&table);
    ExpectModal([body](wxDialog* d, const ModalSeen& seen) {
        EXPECT_EQ(seen.title, kListTitle);
        body(d);
        Press(d, IDCANCEL);
        return d->GetReturnCode();
    });
    return dlg.DoModal();
}

TEST(PairList, RegisterOnEmptyTableAddsTheFirstPair) {
    DirPairTable table = MakeTable(0);
    CDirListDlg dlg;
    RunList(dlg, table, [](wxDialog* d) {
        EXPECT_TRUE(Lines(d).empty());
        EXPECT_FALSE(Enabled(d, IDC_DELETE));
        EXPECT_TRUE(Enabled(d, IDOK));
        ExpectModal(TypeInput("/data/work", "/backup/work"));
        Press(d, IDOK);
        ASSERT_EQ(Lines(d).size(), 1u);
        EXPECT_EQ(Lines(d)[0].rfind(" 1 /data/work ", 0), 0u) << Lines(d)[0];
        // The refill clears the selection.
        EXPECT_FALSE(Enabled(d, IDC_DELETE));
        EXPECT_TRUE(Enabled(d, IDOK));
    });
    EXPECT_EQ(table.count, 1);
    EXPECT_STREQ(table.pairs[0].dirA, "/data/work");
    EXPECT_STREQ(table.pairs[0].dirB, "/backup/work");
    EXPECT_TRUE(dlg.m_bModified);
}

TEST(PairList, RegisterWithOneLineSelectedEditsThatPairInPlace) {
    DirPairTable table = MakeTable(3);
    CDirListDlg dlg;
    RunList(dlg, table, [](wxDialog* d) {
        SelectLines(d, {1});
        ExpectModal([](wxDialog* input, const ModalSeen&) {
            EXPECT_EQ(Text(input, IDC_DIR_A), "/a1");
            EXPECT_EQ(Text(input, IDC_DIR_B), "/b1");
            SetText(input, IDC_DIR_A, "/edited");
            Press(input, IDOK);
            return input->GetReturnCode();
        });
        Press(d, IDOK);
        ASSERT_EQ(Lines(d).size(), 3u);
        EXPECT_EQ(Lines(d)[1].rfind(" 2 /edited ", 0), 0u) << Lines(d)[1];
    });
    EXPECT_EQ(table.count, 3);
    EXPECT_STREQ(table.pairs[1].dirA, "/edited");
    EXPECT_STREQ(table.pairs[1].masks[0], "m1");
    EXPECT_STREQ(table.pairs[2].dirA, "/a2");
}

// The check box's value reaches the pair and its line: a new pair with the
// flag, then the same pair edited without it.
TEST(PairList, SubdirsFlagIsStoredAndShownInTheLine) {
    DirPairTable table = MakeTable(1);
    CDirListDlg dlg;
    RunList(dlg, table, [&table](wxDialog* d) {
        for (const bool on : {true, false}) {
            SCOPED_TRACE(on ? "turned on" : "turned off");
            if (!on) SelectLines(d, {1});
            ExpectModal([on](wxDialog* input, const ModalSeen&) {
                EXPECT_EQ(SubdirsBox(input)->GetValue(), !on) << "the box shows the pair's flag";
                SetText(input, IDC_DIR_A, "/new/a");
                SetText(input, IDC_DIR_B, "/new/b");
                SubdirsBox(input)->SetValue(on);
                Press(input, IDOK);
                return input->GetReturnCode();
            });
            Press(d, IDOK);
            ASSERT_EQ(Lines(d).size(), 2u);
            EXPECT_EQ(table.pairs[1].subdirs, on);
            EXPECT_EQ(Lines(d)[1], " 2 /new/a" + std::string(14, ' ') + " と /new/b" + (on ? " +" : "  ") +
                                       std::string(12, ' '));
        }
    });
    EXPECT_FALSE(table.pairs[0].subdirs);
}

struct ButtonCase {
    const char* name;
    int count;
    std::vector<int> selected;
    bool deleteEnabled;
    bool registerEnabled;
};

void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.name; }

class PairListButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(PairListButtons, FollowSelectionAndCount) {
    const ButtonCase& c = GetParam();
    DirPairTable table = MakeTable(c.count);
    const DirPairTable before = table;
    CDirListDlg dlg;
    RunList(dlg, table, [&c](wxDialog* d) {
        wxListBox* list = PairList(d);
        for (int line : c.selected) list->SetSelection(line);
        wxCommandEvent change(wxEVT_LISTBOX, list->GetId());
        list->GetEventHandler()->ProcessEvent(change);
        EXPECT_EQ(Enabled(d, IDC_DELETE), c.deleteEnabled);
        EXPECT_EQ(Enabled(d, IDOK), c.registerEnabled);
        // Enter reaches OnOK even when the button is disabled: nothing may
        // happen then (an input dialog would be an unexpected modal).
        if (!c.registerEnabled) Press(d, IDOK);
    });
    EXPECT_TRUE(SameBytes(table, before));
    EXPECT_FALSE(dlg.m_bModified);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairListButtons,
    ::testing::Values(ButtonCase{"empty_table", 0, {}, false, true},
                      ButtonCase{"none_selected", 3, {}, false, true},
                      ButtonCase{"one_selected", 3, {1}, true, true},
                      ButtonCase{"two_selected", 3, {0, 2}, true, false},
                      ButtonCase{"all_selected", 3, {0, 1, 2}, true, false},
                      ButtonCase{"nine_pairs_last_selected", 9, {8}, true, true},
                      ButtonCase{"ten_pairs_none_selected", 10, {}, false, false},
                      ButtonCase{"ten_pairs_one_selected", 10, {4}, true, false},
                      ButtonCase{"ten_pairs_two_selected", 10, {1, 2}, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PairList, DeletingLinesThreeAndSixOfSevenKeepsTheOthersInOrder) {
    DirPairTable table = MakeTable(7);
    CDirListDlg dlg;
    RunList(dlg, table, [](wxDialog* d) {
        SelectLines(d, {2, 5});
        Press(d, IDC_DELETE);  // no question is asked
        const std::vector<std::string> lines = Lines(d);
        ASSERT_EQ(lines.size(), 5u);
        const char* expected[] = {" 1 /a0 ", " 2 /a1 ", " 3 /a3 ", " 4 /a4 ", " 5 /a6 "};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
        EXPECT_FALSE(Enabled(d, IDC_DELETE));
    });
    ASSERT_EQ(table.count, 5);
    const char* kept[] = {"m0", "m1", "m3", "m4", "m6"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(table.pairs[i].masks[0], kept[i]);
    const DirPairTable zero = MakeTable(0);
    for (int i = 5; i < MAX_DIR_PAIRS; ++i)
        EXPECT_EQ(std::memcmp(&table.pairs[i], &zero.pairs[i], sizeof(DirPair)), 0) << "slot " << i;
    EXPECT_TRUE(dlg.m_bModified);
}

TEST(PairList, DeletingOneOfTenPairsEnablesRegisterAgain) {
    DirPairTable table = MakeTable(10);
    CDirListDlg dlg;
    RunList(dlg, table, [](wxDialog* d) {
        EXPECT_FALSE(Enabled(d, IDOK));
        SelectLines(d, {0});
        Press(d, IDC_DELETE);
        EXPECT_TRUE(Enabled(d, IDOK));
        ExpectModal(TypeInput("/new/a", "/new/b"));
        Press(d, IDOK);
        EXPECT_EQ(Lines(d).back().rfind("10 /new/a ", 0), 0u) << Lines(d).back();
    });
    EXPECT_EQ(table.count, 10);
    EXPECT_STREQ(table.pairs[0].dirA, "/a1");
    EXPECT_STREQ(table.pairs[9].dirA, "/new/a");
}

TEST(PairList, CancelInTheInputDialogChangesNothing) {
    for (const bool edit : {false, true}) {
        SCOPED_TRACE(edit ? "edit" : "add");
        DirPairTable table = MakeTable(2);
        const DirPairTable before = table;
        CDirListDlg dlg;
        RunList(dlg, table, [edit](wxDialog* d) {
            if (edit) SelectLines(d, {0});
            ExpectModal(TypeInput("/typed/a", "/typed/b", IDCANCEL));
            Press(d, IDOK);
            EXPECT_EQ(Lines(d).size(), 2u);
            EXPECT_EQ(PairList(d)->IsSelected(0), edit);
        });
        EXPECT_TRUE(SameBytes(table, before));
        EXPECT_FALSE(dlg.m_bModified);
    }
}

TEST(PairList, ChangeFlagSurvivesLaterRunsWithoutChanges) {
    DirPairTable table = MakeTable(2);
    CDirListDlg dlg;
    RunList(dlg, table, [](wxDialog*) {});
    EXPECT_FALSE(dlg.m_bModified);
    RunList(dlg, table, [](wxDialog* d) {
        SelectLines(d, {1});
        Press(d, IDC_DELETE);
    });
    EXPECT_TRUE(dlg.m_bModified);
    RunList(dlg, table, [](wxDialog* d) { EXPECT_EQ(Lines(d).size(), 1u); });
    EXPECT_TRUE(dlg.m_bModified);
}

TEST(PairList, EachClickTogglesOneLine) {
    DirPairTable table = MakeTable(3);
    CDirListDlg dlg;
    RunList(dlg, table, [](wxDialog* d) {
        d->Show();
        PumpEvents();
        wxListBox* list = PairList(d);
        // A point inside each line, found by scanning down the list.
        std::vector<wxPoint> inside(3, wxDefaultPosition);
        for (int y = 0; y < list->GetClientSize().y; ++y) {
            const int line = list->HitTest(wxPoint(10, y));
            if (line >= 0 && line < 3 && inside[line] == wxDefaultPosition) inside[line] = wxPoint(10, y + 2);
        }
        auto click = [list](wxPoint at) {
            wxMouseEvent press(wxEVT_LEFT_DOWN);
            press.SetPosition(at);
            press.SetEventObject(list);
            list->GetEventHandler()->ProcessEvent(press);
        };
        ASSERT_NE(inside[2], wxDefaultPosition);
        click(inside[0]);
        click(inside[2]);
        EXPECT_TRUE(list->IsSelected(0));
        EXPECT_TRUE(list->IsSelected(2));
        EXPECT_FALSE(Enabled(d, IDOK));  // two lines: no Register
        click(inside[0]);
        EXPECT_FALSE(list->IsSelected(0));
        EXPECT_TRUE(list->IsSelected(2));
        EXPECT_TRUE(Enabled(d, IDOK));
        d->Hide();
    });
}

}  // namespace
