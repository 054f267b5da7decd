// Long folders in the pair dialogs: the pair list shows the full folders of
// the focused line under it and of the line under the mouse in its tooltip,
// and grows with its window; the input dialog shows the end of a long path
// and names its controls for screen readers.
#include <gtest/gtest.h>
#include <wx/stattext.h>
#include <wx/tooltip.h>

#include <string>

#include "dialogs/dir_input_dlg.h"
#include "dialogs/dir_list_dlg.h"
#include "gui/pair_test_helpers.h"
#include "res/resource.h"
#include "ui/accessible_name.h"

namespace {

// Folders far longer than the list's columns.
const std::string kLongA = "/home/user/プロジェクト/2024年度/第3四半期/報告書_最終版/添付資料/A側";
const std::string kLongB = "/mnt/backup/プロジェクト/2024年度/第3四半期/報告書_最終版/添付資料/B側";

DirPairTable LongTable() {
    DirPairTable t = MakeTable(3);
    t.pairs[1] = MakePair(kLongA, kLongB);
    return t;
}

wxStaticText* StatusLineOf(wxDialog* d) {
    for (wxWindow* child : d->GetChildren())
        if (auto* line = dynamic_cast<wxStaticText*>(child)) return line;
    return nullptr;
}

TEST(PairListPaths, FocusedLineAndLineUnderTheMouseShowTheFullFolders) {
    DirPairTable table = LongTable();
    CDirListDlg dlg;
    dlg.SetPairTable(&table);
    ExpectModal([](wxDialog* d, const ModalSeen&) {
        wxStaticText* status = StatusLineOf(d);
        EXPECT_NE(status, nullptr);
        if (!status) return wxID_CANCEL;
        ShowForKeys(d, PairList(d));
        EXPECT_EQ(U8(status->GetLabelText()), "1 A: /a0   B: /b0") << "the focus arrives on the first line";
        PressKey(WXK_DOWN);
        EXPECT_EQ(U8(status->GetLabelText()), "2 A: " + kLongA + "   B: " + kLongB);

        // The mouse over the third line: both folders, one per line.
        wxListBox* list = PairList(d);
        wxPoint over;
        for (int y = 0; y < list->GetClientSize().y && list->HitTest(wxPoint(10, y)) != 2; ++y) over = wxPoint(10, y + 1);
        wxMouseEvent move(wxEVT_MOTION);
        move.SetPosition(over);
        move.SetEventObject(list);
        list->GetEventHandler()->ProcessEvent(move);
        EXPECT_NE(list->GetToolTip(), nullptr);
        if (list->GetToolTip()) {
            EXPECT_EQ(U8(list->GetToolTip()->GetTip()), "3 A: /a2\n3 B: /b2");
        }
        return wxID_CANCEL;
    });
    dlg.DoModal();
    VerifyModalsShown();
}

TEST(PairListPaths, TheListGrowsWithTheWindow) {
    DirPairTable table = LongTable();
    CDirListDlg dlg;
    dlg.SetPairTable(&table);
    ExpectModal([](wxDialog* d, const ModalSeen&) {
        EXPECT_TRUE(d->HasFlag(wxRESIZE_BORDER));
        wxListBox* list = PairList(d);
        wxStaticText* status = StatusLineOf(d);
        const wxSize least = d->GetClientSize(), listBefore = list->GetSize();
        const wxRect closeBefore = Control(d, IDCANCEL)->GetRect();
        EXPECT_EQ(d->GetMinClientSize(), least) << "never smaller than its layout";
        d->SetClientSize(least + wxSize(300, 120));
        wxSizeEvent resized(d->GetSize(), d->GetId());
        d->GetEventHandler()->ProcessEvent(resized);
        EXPECT_EQ(list->GetSize(), listBefore + wxSize(300, 120));
        EXPECT_GT(status->GetRect().y, list->GetRect().GetBottom()) << "the line stays under the list";
        EXPECT_EQ(Control(d, IDCANCEL)->GetRect().GetPosition(), closeBefore.GetPosition() + wxPoint(300, 120));
        return wxID_CANCEL;
    });
    dlg.DoModal();
    VerifyModalsShown();
}

TEST(PairInputPaths, LongPathsShowTheirEndAndControlsAreNamed) {
    DirPair pair = MakePair(kLongA, kLongB);
    CDirInputDlg dlg;
    dlg.SetDirPair(&pair);
    ExpectModal([](wxDialog* d, const ModalSeen&) {
        for (int id : {IDC_DIR_A, IDC_DIR_B})
            EXPECT_EQ(Edit(d, id)->GetInsertionPoint(), Edit(d, id)->GetLastPosition()) << id;
        EXPECT_EQ(U8(AccessibleName(Control(d, IDC_DIR_A))), "比較ﾃﾞｨﾚｸﾄﾘＡ");
        EXPECT_EQ(U8(AccessibleName(Control(d, IDC_DIR_B))), "比較ﾃﾞｨﾚｸﾄﾘＢ");
        EXPECT_EQ(U8(AccessibleName(Control(d, IDC_BROWSE_A))), "比較ﾃﾞｨﾚｸﾄﾘＡを参照");
        EXPECT_EQ(U8(AccessibleName(Control(d, IDC_BROWSE_B))), "比較ﾃﾞｨﾚｸﾄﾘＢを参照");
        return wxID_CANCEL;
    });
    dlg.DoModal();
    VerifyModalsShown();
}

}  // namespace
