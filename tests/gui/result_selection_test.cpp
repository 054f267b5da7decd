// What the results list holds selected after it has been filled anew: a copy
// acts on the selection, so a row the user did not choose must never come up
// selected, however the earlier selection was made.
#include <gtest/gtest.h>

#include <string>

#include "gui/main_window_test_helpers.h"

namespace {

constexpr FileTime kOld = 1700000000;

struct RefillCase {
    const char* name;
    int files;        // files only in A
    bool copyFirst;   // copy the selection (the list is then filled again)
    int rowsAfter;    // rows of the fresh comparison
};

void PrintTo(const RefillCase& c, std::ostream* os) { *os << c.name; }

class Refill : public MainWindowFixture, public ::testing::WithParamInterface<RefillCase> {
protected:
    std::string dirA = tmp.MakeDir("A");
    std::string dirB = tmp.MakeDir("B");
};

TEST_P(Refill, NoRowComesUpSelectedAfterSelectAll) {
    const RefillCase& c = GetParam();
    for (int i = 0; i < c.files; ++i) WriteFile(dirA + "/f" + std::to_string(100000 + i), "", kOld);
    WriteSettings(SettingsText({{dirA, dirB}}));
    auto dlg = Open();
    // More differences than the list holds: a notice says how many are left out.
    if (c.files > MAX_DIFFS) ExpectMessageBox();
    Press(*dlg, IDOK);
    VerifyModalsShown();
    Command(*dlg, ID_SELECT_ALL);
    ASSERT_EQ(SelectedRows(dlg->ResultList()).size(), static_cast<std::size_t>(dlg->ResultList()->RowCount()));

    if (c.copyFirst) {
        ExpectModal([](wxDialog*, const ModalSeen&) { return wxID_OK; });  // the confirmation
        ExpectModal([](wxDialog*, const ModalSeen&) { return wxID_OK; });  // the summary
        Command(*dlg, ID_COPY_SELECTED);
    } else {
        Press(*dlg, IDOK);
    }
    VerifyModalsShown();

    ASSERT_EQ(dlg->ResultList()->RowCount(), c.rowsAfter);
    EXPECT_TRUE(SelectedRows(dlg->ResultList()).empty());
    EXPECT_EQ(dlg->ResultList()->SelectedRowCount(), 0);
    EXPECT_EQ(dlg->ResultList()->FocusedRow(), -1);
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refill,
    ::testing::Values(RefillCase{"CompareAgain", 3, false, 3},
                      // The copy takes the first 5000; the other 100 are listed next.
                      RefillCase{"CopyOfMoreThanTheListHolds", MAX_DIFFS + 100, true, 100}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
