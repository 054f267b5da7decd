#include "dialogs/mask_dlg.h"

#include <wx/textctrl.h>

#include <string>

#include "ui/message_box.h"
#include "ui/wx_text.h"
#include "core/mask_list.h"
#include "res/resource.h"
#include "settings/settings.h"

namespace {

const std::string kMaskTooLong =
    "ﾏｽｸが長すぎます。\n1つのﾏｽｸは" + std::to_string(MAX_MASK_BYTES) + "ﾊﾞｲﾄ以内で入力して下さい。";
const std::string kMaskListTooLong =
    "ﾏｽｸの合計が長すぎます。\nｶﾝﾏを含めて" + std::to_string(MAX_MASK_LIST_BYTES) + "ﾊﾞｲﾄ以内で入力して下さい。";
constexpr const char* kMaskLineBreak = "ﾏｽｸに改行は使えません。";

// Why a confirmed text cannot be stored as it is, or nullptr when it can.
const char* MaskTextProblem(const std::string& text) {
    char masks[MAX_MASKS][MASK_LEN];
    if (ParseMaskList(text, masks) > 0) return kMaskTooLong.c_str();
    const std::string stored = JoinMaskList(masks);
    if (stored.find_first_of("\r\n") != std::string::npos) return kMaskLineBreak;
    if (stored.size() > MAX_MASK_LIST_BYTES) return kMaskListTooLong.c_str();
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
