#include "ui/resource_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <vector>

#include "core/mbtext.h"
#include "texts/font_faces.h"
#include "ui/dialog_font.h"
#include "ui/wx_text.h"
#include "gui/support/gui_test_main.h"
#include "res/dialog_resources.h"
#include "res/resource.h"

namespace {

TEST(WxText, RoundTripsAndShowsCutText) {
    const std::string text = "比較ﾃﾞｨﾚｸﾄﾘ";
    EXPECT_EQ(FromWx(ToWx(text)), text);
    // Cut inside the last character: the complete characters still show.
    const wxString cut = ToWx(std::string_view(text).substr(0, text.size() - 1));
    EXPECT_TRUE(cut.StartsWith(W("比較ﾃﾞｨﾚｸ")));
    EXPECT_EQ(cut.Last(), wxUniChar(0xFFFD));
}

// The program's texts are UTF-8 on every platform: decoding them in a Windows
// code page instead shows mojibake. The expected texts are code points, so
// they do not depend on how the compiler reads this file.
TEST(WxText, DecodesTheProgramsTextsAsUtf8) {
    const struct {
        std::string_view bytes;
        const wchar_t* shown;
    } cases[] = {
        {kProportionalFace, L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"},
        {"\xE6\xAF\x94\xE8\xBC\x83", L"\u6BD4\u8F03"},
        {"\xEF\xBE\x83\xEF\xBE\x9E", L"\uFF83\uFF9E"},
        {"\x82\xA0 Shift-JIS", L"\uFFFD\uFFFD Shift-JIS"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWx(c.bytes), wxString(c.shown)) << c.bytes;
        if (IsValidText(c.bytes, CodePage::Utf8)) EXPECT_EQ(FromWx(c.shown), c.bytes);
    }
}

TEST(DialogFont, FallsBackToJapaneseFaces) {
    EXPECT_EQ(ResolveFaceName(kProportionalFace), "IPAPGothic");
    EXPECT_EQ(ResolveFaceName(kFixedPitchFace), "IPAGothic");
}

TEST(ResourceDialog, BuildsControlsInDialogUnits) {
    ResourceDialog dlg(kMaskDialog);
    ASSERT_TRUE(dlg.Create(nullptr, false));
    wxDialog* w = dlg.GetWindow();
    EXPECT_EQ(U8(w->GetTitle()), "Zoruna[ﾏｽｸ]");
    EXPECT_EQ(w->GetClientSize(), w->ConvertDialogToPixels(wxSize(150, 71)));
    auto* ok = dlg.Item<wxButton>(IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetId(), wxID_OK);
    EXPECT_EQ(ok->GetPosition(), w->ConvertDialogToPixels(wxPoint(78, 50)));
    EXPECT_EQ(U8(dlg.Item<wxButton>(IDCANCEL)->GetLabel()), "ｷｬﾝｾﾙ");
    EXPECT_NE(dlg.Item<wxTextCtrl>(IDC_MASK_TEXT), nullptr);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.GetWindow(), nullptr);
}

TEST(ResourceDialog, CancelAndCloseBoxEndWithCancel) {
    ResourceDialog dlg(kMaskDialog);
    for (int way = 0; way < 2; ++way) {
        ExpectModal([way](wxDialog* d, const ModalSeen& seen) {
            EXPECT_EQ(seen.title, "Zoruna[ﾏｽｸ]");
            if (way == 0) {
                wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                d->FindWindow(wxID_CANCEL)->GetEventHandler()->ProcessEvent(click);
            } else {
                d->Close();
            }
            return d->GetReturnCode();
        });
        EXPECT_EQ(dlg.DoModal(), wxID_CANCEL);
    }
}

struct FocusPassCase {
    const char* name;
    int focus;                 // control with the focus
    std::vector<int> disable;  // disabled one after the other
    int expected;              // control with the focus afterwards
};

void PrintTo(const FocusPassCase& c, std::ostream* os) { *os << c.name; }

class FocusPass : public ::testing::TestWithParam<FocusPassCase> {};

// The input layout: A, B, Browse A, Browse B, the check box, OK, Cancel, two
// labels, MASK.
TEST_P(FocusPass, DisabledControlHandsTheFocusToTheNextEnabledTabStop) {
    const FocusPassCase& c = GetParam();
    ResourceDialog dlg(kDirInputDialog);
    ASSERT_TRUE(dlg.Create(nullptr, false));
    dlg.GetDlgItem(c.focus)->SetFocus();
    for (int id : c.disable) dlg.EnableDlgItem(id, false);
    EXPECT_EQ(wxWindow::FindFocus(), dlg.GetDlgItem(c.expected));
    for (int id : c.disable) {
        EXPECT_FALSE(dlg.GetDlgItem(id)->IsThisEnabled());
        dlg.EnableDlgItem(id, true);
    }
    // Enabling never takes the focus.
    EXPECT_EQ(wxWindow::FindFocus(), dlg.GetDlgItem(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FocusPass,
    ::testing::Values(FocusPassCase{"to_the_next", IDC_BROWSE_A, {IDC_BROWSE_A}, IDC_BROWSE_B},
                      FocusPassCase{"browse_b_to_the_check_box", IDC_BROWSE_B, {IDC_BROWSE_B}, IDC_SUBDIRS},
                      FocusPassCase{"check_box_to_ok", IDC_SUBDIRS, {IDC_SUBDIRS}, IDOK},
                      FocusPassCase{"over_disabled_ones", IDOK, {IDCANCEL, IDOK}, IDC_MASK},
                      FocusPassCase{"past_labels_and_around", IDC_MASK, {IDC_MASK}, IDC_DIR_A},
                      FocusPassCase{"edit_to_edit", IDC_DIR_A, {IDC_DIR_A}, IDC_DIR_B},
                      FocusPassCase{"other_control_keeps_it", IDC_DIR_B, {IDOK, IDC_MASK}, IDC_DIR_B}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
