#include "dialogs/confirm_copy_dlg.h"

#include <wx/stattext.h>

#include <algorithm>

#include "res/resource.h"
#include "ui/wx_text.h"

bool CConfirmCopyDlg::OnInitDialog() {
    if (m_lines.empty()) return true;
    wxDialog* wnd = GetWindow();
    const wxSize layout = wnd->GetClientSize();
    const wxPoint origin = wnd->ConvertDialogToPixels(wxPoint(kLinesX, kLinesY));
    const int lineHeight = wnd->ConvertDialogToPixels(wxSize(0, kLineHeight)).y;
    int widest = 0;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        auto* line =
            new wxStaticText(wnd, wxID_ANY, wxString(), wxPoint(origin.x, origin.y + static_cast<int>(i) * lineHeight));
        line->SetFont(wnd->GetFont());
        line->SetLabelText(ToWx(m_lines[i]));
        line->SetSize(line->GetBestSize());
        widest = std::max(widest, line->GetBestSize().x);
    }
    // Taller by the lines, wider only where a line needs it; the buttons keep
    // their place at the bottom right.
    const int grownBy =
        static_cast<int>(m_lines.size()) * lineHeight + wnd->ConvertDialogToPixels(wxSize(0, kGapToButtons)).y;
    const int margin = origin.x;
    const int width = std::max(layout.x, origin.x + widest + margin);
    for (int id : {IDOK, IDCANCEL}) {
        if (wxWindow* button = GetDlgItem(id)) button->Move(button->GetPosition() + wxPoint(width - layout.x, grownBy));
    }
    wnd->SetClientSize(width, layout.y + grownBy);
    if (wnd->GetParent()) wnd->CentreOnParent();
    return true;
}
