// The line under the results list while no row has the focus: what the
// empty list means (no pair registered, nothing differs) or that it is not
// all there is. The title keeps the row count.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "core/date_text.h"
#include "gui/main_window_test_helpers.h"
#include "texts/texts.h"

namespace {

constexpr FileTime kOld = 1700000000;

enum class Pairs { None, InStep, Differing };

struct StatusCase {
    const char* name;
    Pairs pairs;
    bool compare;       // press Compare after the start
    TextId expected;    // the line's text (the date filled in where it has one)
    const char* title;  // the window's title
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class StatusLine : public MainWindowFixture, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusLine, SaysWhatTheListCannot) {
    const StatusCase& c = GetParam();
    const std::string a = tmp.MakeDir("A"), b = tmp.MakeDir("B");
    WriteFile(a + "/same.txt", "x", kOld);
    WriteFile(b + "/same.txt", "x", kOld);
    if (c.pairs == Pairs::Differing) WriteFile(a + "/only_a.txt", "x", kOld);
    WriteSettings(c.pairs == Pairs::None ? SettingsText({}) : SettingsText({{a, b}}));
    auto dlg = Open();
    const auto before = static_cast<FileTime>(std::time(nullptr));
    if (c.compare) Press(*dlg, IDOK);
    const auto after = static_cast<FileTime>(std::time(nullptr));

    const std::string shown = U8(dlg->StatusLine()->GetLabelText());
    if (c.expected == TextId::NothingDiffersStatus) {
        // The time of the comparison, whichever second it ended in.
        EXPECT_TRUE(shown == FormatText(c.expected, {FormatDateText(before)}) ||
                    shown == FormatText(c.expected, {FormatDateText(after)}))
            << shown;
    } else if (c.expected == TextId::ProductName) {
        EXPECT_EQ(shown, "") << "the rows say it all";
    } else {
        EXPECT_EQ(shown, Text(c.expected));
    }
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), c.title);
    dlg->DestroyWindow();
}

// ProductName stands for an empty line.
INSTANTIATE_TEST_SUITE_P(
    Table, StatusLine,
    ::testing::Values(StatusCase{"NoPairAtStart", Pairs::None, false, TextId::NoPairsStatus, "Zoruna"},
                      StatusCase{"NoPairAfterCompare", Pairs::None, true, TextId::NoPairsStatus, "Zoruna"},
                      StatusCase{"PairBeforeCompare", Pairs::InStep, false, TextId::ProductName, "Zoruna"},
                      StatusCase{"NothingDiffers", Pairs::InStep, true, TextId::NothingDiffersStatus, "Zoruna"},
                      StatusCase{"Differences", Pairs::Differing, true, TextId::ProductName, "Zoruna - 1 件"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
