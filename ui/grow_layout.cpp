#include "ui/grow_layout.h"

#include <algorithm>

namespace {

// The line's height and the gap above it, in dialog units.
constexpr int kLineHeight = 8;
constexpr int kLineGap = 2;

}  // namespace

wxStaticText* AddLineBelow(wxWindow* dialog, wxWindow* list) {
    const wxRect area = list->GetRect();
    const int height = dialog->ConvertDialogToPixels(wxSize(0, kLineHeight)).y;
    const int gap = dialog->ConvertDialogToPixels(wxSize(0, kLineGap)).y;
    wxRect upper = area;
    upper.height -= height + gap;
    list->SetSize(upper);
    return new wxStaticText(dialog, wxID_ANY, wxString(), wxPoint(area.x, upper.GetBottom() + 1 + gap),
                            wxSize(area.width, height), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
}

void GrowLayout::Capture(wxWindow* dialog, wxWindow* grower, wxWindow* lineBelow) {
    m_dialog = dialog;
    m_grower = grower;
    m_lineBelow = lineBelow;
    m_layoutClientSize = dialog->GetClientSize();
    m_rects.clear();
    for (wxWindow* child : dialog->GetChildren()) m_rects.emplace_back(child, child->GetRect());
    dialog->SetMinClientSize(m_layoutClientSize);
}

wxSize GrowLayout::Apply() {
    if (!m_dialog) return wxSize();
    const wxSize now = m_dialog->GetClientSize();
    const int dw = std::max(0, now.x - m_layoutClientSize.x);
    const int dh = std::max(0, now.y - m_layoutClientSize.y);
    for (const auto& [control, rect] : m_rects) {
        wxRect to = rect;
        if (control == m_grower) {
            to.width += dw;
            to.height += dh;
        } else if (control == m_lineBelow) {
            to.y += dh;
            to.width += dw;
        } else {
            to.y += dh;
            if (rect.x + rect.width / 2 > m_layoutClientSize.x / 2) to.x += dw;
        }
        if (control->GetRect() != to) control->SetSize(to);
    }
    return wxSize(dw, dh);
}
