#include "dialogs/mask_dlg.h"

#include <wx/textctrl.h>

#include "ui/message_box.h"
#include "ui/wx_text.h"
#include "core/mask_list.h"
#include "res/resource.h"

namespace {

// The settings file keeps at most this many bytes of a pair's mask list.
constexpr std::size_t kSavedMaskListBytes = 255;

constexpr const char* kMaskTooLong = "ﾏｽｸが長すぎます。\n1つのﾏｽｸは63ﾊﾞｲﾄ以内で入力して下さい。";
constexpr const char* kMaskListTooLong =
    "ﾏｽｸの合計が長すぎます。\nｶﾝﾏを含めて255ﾊﾞｲﾄ以内で入力して下さい。";
constexpr const char* kMaskLineBreak = "ﾏｽｸに改行は使えません。";

// Why a confirmed text cannot be stored as it is, or nullptr when it can.
const char* MaskTextProblem(const std::string& text) {
    char masks[MAX_MASKS][MASK_LEN];
    if (ParseMaskList(text, masks) > 0) return kMaskTooLong;
    const std::string stored = JoinMaskList(masks);
    if (stored.find_first_of("\r\n") != std::string::npos) return kMaskLineBreak;
    if (stored.size() > kSavedMaskListBytes) return kMaskListTooLong;
    return nullptr;
}

}  // namespace

bool CMaskDlg::OnInitDialog() {
    Item<wxTextCtrl>(IDC_MASK_TEXT)->ChangeValue(ToWx(m_strMasks));
    return true;
}

void CMaskDlg::OnOK() {
    auto* edit = Item<wxTextCtrl>(IDC_MASK_TEXT);
    const std::string text = FromWx(edit->GetValue());
    if (const char* problem = MaskTextProblem(text)) {
        ShowMessage(GetWindow(), problem, wxOK | wxICON_QUESTION);
        GotoDlgCtrl(edit);
        return;
    }
    m_strMasks = text;
    EndDialog(wxID_OK);
}
