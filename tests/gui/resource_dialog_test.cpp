#include "ui/resource_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/textctrl.h>

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

}  // namespace
