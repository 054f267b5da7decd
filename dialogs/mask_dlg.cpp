#include "dialogs/mask_dlg.h"

#include <wx/textctrl.h>

#include <string>

#include "ui/message_box.h"
#include "ui/wx_text.h"
#include "core/mask_list.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "texts/texts.h"

namespace {

// Why a confirmed text cannot be stored as it is, or empty when it can.
std::string MaskTextProblem(const std::string& text) {
    char masks[MAX_MASKS][MASK_LEN];
    if (ParseMaskList(text, masks) > 0) return FormatText(TextId::MaskTooLong, {MAX_MASK_BYTES});
    const std::string stored = JoinMaskList(masks);
    if (stored.find_first_of("\r\n") != std::string::npos) return Text(TextId::MaskLineBreak);
    if (stored.size() > MAX_MASK_LIST_BYTES) return FormatText(TextId::MaskListTooLong, {MAX_MASK_LIST_BYTES});
    return {};
}

}  // namespace

bool CMaskDlg::OnInitDialog() {
    Item<wxTextCtrl>(IDC_MASK_TEXT)->ChangeValue(ToWx(m_strMasks));
    return true;
}

void CMaskDlg::OnOK() {
    auto* edit = Item<wxTextCtrl>(IDC_MASK_TEXT);
    const std::string text = FromWx(edit->GetValue());
    if (const std::string problem = MaskTextProblem(text); !problem.empty()) {
        ShowMessage(GetWindow(), problem, wxOK | wxICON_QUESTION);
        GotoDlgCtrl(edit);
        return;
    }
    m_strMasks = text;
    EndDialog(wxID_OK);
}
