// The native results list under real key presses (through the X server): the
// arrows move the focused row and the status line follows, typed letters
// neither search nor select, the menu key opens the menu at the focused row
// and Ctrl+A selects every row.
#include <gtest/gtest.h>

#include <string>

#include "gui/main_window_test_helpers.h"

namespace {

class ResultListKeys : public MainWindowFixture {};

TEST_F(ResultListKeys, ArrowsLettersMenuKeyAndSelectAll) {
    const std::string a = tmp.MakeDir("A"), b = tmp.MakeDir("B");
    for (int i = 0; i < 5; ++i) WriteFile(a + "/f" + std::to_string(i), "x", 1700000000);
    WriteSettings(SettingsText({{a, b}}));
    auto dlg = Open();
    Press(*dlg, IDOK);
    ResultListView* list = dlg->ResultList();
    ShowForKeys(dlg->GetWindow(), list->RowWindow());

    PressKey(WXK_DOWN);
    PressKey(WXK_DOWN);
    ASSERT_EQ(list->FocusedRow(), 1);
    EXPECT_EQ(U8(dlg->StatusLine()->GetLabelText()), list->RowPaths(1, false));
    const std::vector<long> selected = SelectedRows(list);

    PressKey('f');
    EXPECT_EQ(SelectedRows(list), selected) << "no search selects the row it finds";
    EXPECT_EQ(list->FocusedRow(), 1);

    PressKey(WXK_MENU);
    ASSERT_EQ(dlg->menusShown.size(), 1u);
    wxRect row;
    ASSERT_TRUE(list->RowRect(1, row));
    EXPECT_EQ(dlg->menusShown[0].pos.y, dlg->GetWindow()->ScreenToClient(list->ClientToScreen(row.GetBottomLeft())).y);

    PressKey('A', wxMOD_CONTROL);
    EXPECT_EQ(SelectedRows(list).size(), 5u);
    dlg->DestroyWindow();
}

}  // namespace
