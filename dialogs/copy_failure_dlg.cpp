#include "dialogs/copy_failure_dlg.h"

#include <wx/artprov.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "res/dialog_resources.h"
#include "res/resource.h"
#include "ui/wx_text.h"

namespace {

using K = ControlKind;

constexpr int kTextX = 40, kTextY = 12, kTextWidth = 200;
constexpr int kQuietY = 10, kButtonGap = 8, kButtonWidth = 50, kButtonHeight = 14, kMargin = 10;

// The places of the text, the check box and OK are set by OnInitDialog from
// the text's size; these are the smallest box's.
const ControlTemplate kCopyFailureControls[] = {
    {IDC_FAILURE_ICON, K::Icon, TextId::None, 12, 12, 20, 20, CS_NONE},
    {IDC_FAILURE_TEXT, K::Static, TextId::None, kTextX, kTextY, kTextWidth, 24, CS_NOPREFIX},
    {IDOK, K::DefPushButton, TextId::OkButton, 115, 70, kButtonWidth, kButtonHeight, CS_NONE},
    {IDC_FAILURE_QUIET, K::CheckBox, TextId::QuietFailuresCheck, kTextX, 50, kTextWidth, 10, CS_NONE},
};

const DialogTemplate kCopyFailureDialog = {IDD_COPY_FAILURE, TextId::ProductName, 250, 92, kProportionalFace, 9,
                                           kCopyFailureControls};

}  // namespace

CCopyFailureDlg::CCopyFailureDlg() : ResourceDialog(kCopyFailureDialog) {}

bool CCopyFailureDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    const auto px = [wnd](int x, int y) { return wnd->ConvertDialogToPixels(wxPoint(x, y)); };
    if (auto* icon = Item<wxStaticBitmap>(IDC_FAILURE_ICON))
        icon->SetBitmap(wxArtProvider::GetBitmap(wxART_WARNING, wxART_MESSAGE_BOX));

    // The text in full where it fits the widest box; each longer line loses
    // its middle, so that a path keeps both its ends.
    const wxPoint at = px(kTextX, kTextY);
    if (wxWindow* built = GetDlgItem(IDC_FAILURE_TEXT)) built->Destroy();
    auto* message = new wxStaticText(wnd, IDC_FAILURE_TEXT, wxString(), at, wxDefaultSize,
                                     wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    message->SetFont(wnd->GetFont());
    message->SetLabelText(ToWx(m_strText));
    // The text's own size, every line whole.
    wxClientDC dc(message);
    dc.SetFont(message->GetFont());
    const wxSize need = dc.GetMultiLineTextExtent(message->GetLabelText());
    const int width = std::clamp(need.x, px(kTextWidth, 0).x, px(kMaxTextWidth, 0).x);
    message->SetSize(wxSize(width, need.y));

    int y = at.y + need.y + px(0, kQuietY).y;
    auto* quiet = Item<wxCheckBox>(IDC_FAILURE_QUIET);
    if (quiet) {
        quiet->SetValue(m_bQuiet);
        quiet->Move(at.x, y);
        y += quiet->GetSize().y;
    }
    // OK at the bottom right, below the check box.
    const int margin = px(kMargin, 0).x;
    const int clientWidth = at.x + width + margin;
    const wxSize button = wnd->ConvertDialogToPixels(wxSize(kButtonWidth, kButtonHeight));
    y += px(0, kButtonGap).y;
    if (wxWindow* ok = GetDlgItem(IDOK)) ok->SetSize(clientWidth - margin - button.x, y, button.x, button.y);
    wnd->SetClientSize(clientWidth, y + button.y + px(0, kMargin).y);
    if (wnd->GetParent()) wnd->CentreOnParent();
    // OK has the focus, so that Enter and Space go on at once.
    GotoDlgCtrl(GetDlgItem(IDOK));
    return false;
}

void CCopyFailureDlg::TakeQuiet() {
    if (auto* quiet = Item<wxCheckBox>(IDC_FAILURE_QUIET)) m_bQuiet = quiet->GetValue();
}

void CCopyFailureDlg::OnOK() {
    TakeQuiet();
    EndDialog(wxID_OK);
}

void CCopyFailureDlg::OnCancel() {
    TakeQuiet();
    EndDialog(wxID_CANCEL);
}
