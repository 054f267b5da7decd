#include "ui/resource_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "ui/button_row.h"
#include "ui/dialog_font.h"
#include "ui/toggle_list.h"
#include "ui/window_focus.h"
#include "ui/wx_text.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "texts/translation.h"

namespace {

// Controls that the Tab key reaches; labels and pictures are skipped.
bool IsTabStop(ControlKind kind) { return kind != ControlKind::Static && kind != ControlKind::Icon; }

bool IsButton(ControlKind kind) { return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton; }

// The width at which a button shows its whole caption. wx's best size of a
// button is never below the platform's default button width, which would
// widen every button of a layout.
int CaptionWidth(wxWindow* button) {
#ifdef __WXGTK__
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(button->GetHandle(), &minimum, &natural);
    return natural;
#else
    return button->GetTextExtent(wxControl::RemoveMnemonics(button->GetLabel())).x + 2 * button->GetCharWidth();
#endif
}

struct BuiltControl {
    wxWindow* window;
    const ControlTemplate* tmpl;
};

// Gives every button of a row whose translated caption does not fit the
// width it needs (FitButtonRow); the rows are the controls of one top edge.
// The layouts were drawn for the Japanese captions, which keep their sizes.
void FitButtonRows(const std::vector<BuiltControl>& controls, int dialogWidth) {
    std::map<int, std::vector<BuiltControl>> rows;
    for (const BuiltControl& control : controls) rows[control.window->GetPosition().y].push_back(control);
    for (const auto& [top, members] : rows) {
        std::vector<RowControl> row;
        bool tooNarrow = false;
        for (const auto& [w, tmpl] : members) {
            // A button with the Japanese caption moves along but keeps its width.
            int need = 0;
            if (IsButton(tmpl->kind)) need = IsTranslated(tmpl->text) ? CaptionWidth(w) : w->GetSize().x;
            tooNarrow = tooNarrow || need > w->GetSize().x;
            row.push_back({w->GetPosition().x, w->GetSize().x, need});
        }
        if (!tooNarrow) continue;
        const std::vector<RowControl> fitted = FitButtonRow(row, dialogWidth);
        for (std::size_t i = 0; i < members.size(); ++i) {
            wxWindow* w = members[i].window;
            w->SetSize(fitted[i].x, top, fitted[i].width, w->GetSize().y);
        }
    }
}

void PressButton(wxWindow* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

}  // namespace

ResourceDialog::ResourceDialog(const DialogTemplate& tmpl) : m_tmpl(tmpl) {}

ResourceDialog::~ResourceDialog() { DestroyWindow(); }

int ResourceDialog::WxId(int resourceId) {
    switch (resourceId) {
        case IDOK: return wxID_OK;
        case IDCANCEL: return wxID_CANCEL;
        case IDC_STATIC: return wxID_ANY;
        default: return resourceId;
    }
}

wxWindow* ResourceDialog::GetDlgItem(int id) const {
    return m_wnd ? m_wnd->FindWindow(WxId(id)) : nullptr;
}

void ResourceDialog::BuildWindow(wxWindow* parent) {
    DestroyWindow();
    m_wnd = new wxDialog(parent, wxID_ANY, ToWx(Text(m_tmpl.title)), wxDefaultPosition, wxDefaultSize,
                         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX |
                             (m_tmpl.resizable ? wxRESIZE_BORDER | wxMAXIMIZE_BOX | wxMINIMIZE_BOX : 0));
    const wxFont font = MakeDialogFont(m_tmpl.fontFace, m_tmpl.fontPoints);
    m_wnd->SetFont(font);
    m_wnd->SetClientSize(m_wnd->ConvertDialogToPixels(wxSize(m_tmpl.cx, m_tmpl.cy)));

    std::vector<BuiltControl> built;
    for (const ControlTemplate& c : m_tmpl.controls) {
        const wxPoint pos = m_wnd->ConvertDialogToPixels(wxPoint(c.x, c.y));
        const wxSize size = m_wnd->ConvertDialogToPixels(wxSize(c.cx, c.cy));
        const int id = WxId(c.id);
        const long border = (c.style & CS_BORDER) ? wxBORDER_SUNKEN : 0;
        wxWindow* w = nullptr;
        switch (c.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefPushButton: {
                auto* b = new wxButton(m_wnd, id, ToWx(Text(c.text)), pos, size);
                if (c.kind == ControlKind::DefPushButton) b->SetDefault();
                w = b;
                break;
            }
            case ControlKind::ListView:
                w = new wxListCtrl(m_wnd, id, pos, size, wxLC_REPORT | border);
                break;
            case ControlKind::ListBox: {
                long style = border;
                style |= (c.style & CS_MULTIPLESEL) ? wxLB_MULTIPLE : wxLB_SINGLE;
                if (c.style & CS_VSCROLL) style |= wxLB_NEEDED_SB;
                auto* list = new wxListBox(m_wnd, id, pos, size, 0, nullptr, style);
                if (c.style & CS_MULTIPLESEL) UseToggleSelection(list);
                w = list;
                break;
            }
            case ControlKind::Edit:
                w = new wxTextCtrl(m_wnd, id, wxString(), pos, size, border);
                break;
            case ControlKind::CheckBox:
                w = new wxCheckBox(m_wnd, id, ToWx(Text(c.text)), pos, size);
                break;
            case ControlKind::Static: {
                auto* s = new wxStaticText(m_wnd, id, wxString(), pos, size, wxST_NO_AUTORESIZE);
                if (c.style & CS_NOPREFIX)
                    s->SetLabelText(ToWx(Text(c.text)));
                else
                    s->SetLabel(ToWx(Text(c.text)));
                w = s;
                break;
            }
            case ControlKind::Icon:
                w = new wxStaticBitmap(m_wnd, id, wxNullBitmap, pos, size);
                break;
        }
        if (!w) continue;
        w->SetFont(font);
        built.push_back({w, &c});
        // A label laid out for the Windows face can be wider in the face that
        // stands in for it: it grows to the right, within the dialog, rather
        // than lose its end (TextId::DirALabel would lose its full-width A).
        if ((c.kind == ControlKind::Static || c.kind == ControlKind::CheckBox) && c.text != TextId::None) {
            const int room = m_wnd->GetClientSize().x - pos.x;
            const int need = std::min(w->GetBestSize().x, room);
            if (need > size.x) w->SetSize(wxSize(need, size.y));
        }
        // GTK's check mark is taller than a Windows check box row: the box
        // grows to hold it, centred on its row.
        if (c.kind == ControlKind::CheckBox) {
            const int extra = w->GetBestSize().y - size.y;
            if (extra > 0) w->SetSize(pos.x, pos.y - extra / 2, w->GetSize().x, size.y + extra);
        }
    }
    FitButtonRows(built, m_wnd->GetClientSize().x);

    m_wnd->Bind(wxEVT_BUTTON, &ResourceDialog::OnButtonOK, this, wxID_OK);
    m_wnd->Bind(wxEVT_BUTTON, &ResourceDialog::OnButtonCancel, this, wxID_CANCEL);
    m_wnd->Bind(wxEVT_CLOSE_WINDOW, &ResourceDialog::OnClose, this);
    m_wnd->Bind(wxEVT_CHAR_HOOK, &ResourceDialog::OnCharHook, this);
    if (parent)
        m_wnd->CentreOnParent();
    else
        m_wnd->CentreOnScreen();
}

void ResourceDialog::Initialize(wxWindow* parent) {
    BuildWindow(parent);
    m_endedInInit = false;
    m_initializing = true;
    const bool focusFirst = OnInitDialog();
    m_initializing = false;
    if (focusFirst && !m_endedInInit) GotoDlgCtrl(NextTabStop(nullptr));
}

int ResourceDialog::DoModal(wxWindow* parent) {
    Initialize(parent);
    // A dialog that ended itself while initialising is never shown.
    const int code = m_endedInInit ? m_wnd->GetReturnCode() : m_wnd->ShowModal();
    DestroyWindow();
    return code;
}

bool ResourceDialog::Create(wxWindow* parent, bool show) {
    Initialize(parent);
    if (show && !m_endedInInit) m_wnd->Show();
    return true;
}

void ResourceDialog::DestroyWindow() {
    if (!m_wnd) return;
    wxDialog* wnd = m_wnd;
    m_wnd = nullptr;
    // Not called from the window's own handlers, so it can go at once; a
    // delayed Destroy() could deliver events to handlers of a gone object.
    delete wnd;
}

void ResourceDialog::EndDialog(int code) {
    if (!m_wnd) return;
    if (m_initializing) m_endedInInit = true;
    m_wnd->SetReturnCode(code);
    if (m_wnd->IsModal())
        m_wnd->EndModal(code);
    else
        m_wnd->Hide();
}

void ResourceDialog::OnButtonOK(wxCommandEvent&) { OnOK(); }

void ResourceDialog::OnButtonCancel(wxCommandEvent&) { OnCancel(); }

void ResourceDialog::OnClose(wxCloseEvent& event) {
    // The close box runs the same path as the Cancel button.
    if (event.CanVeto()) event.Veto();
    OnCancel();
}

void ResourceDialog::EnableDlgItem(int id, bool enable) {
    wxWindow* item = GetDlgItem(id);
    if (!item || item->IsThisEnabled() == enable) return;
    // Asked before disabling: GTK then drops the focus of the window, and a
    // window without a focused control hears neither Escape nor Enter.
    const bool passFocus = !enable && HoldsWindowFocus(item);
    item->Enable(enable);
    if (passFocus) GotoDlgCtrl(NextTabStop(item));
}

void ResourceDialog::GotoDlgCtrl(wxWindow* control) {
    if (!control) return;
    control->SetFocus();
    // The whole text selected, with the cursor at its end: typing replaces
    // it, and a long path shows its end rather than its common start.
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) edit->SetSelection(edit->GetLastPosition(), 0);
}

wxWindow* ResourceDialog::NextTabStop(const wxWindow* from) const {
    const std::span<const ControlTemplate> controls = m_tmpl.controls;
    const std::size_t n = controls.size();
    std::size_t start = 0;
    for (std::size_t i = 0; from && i < n; ++i)
        if (IsTabStop(controls[i].kind) && GetDlgItem(controls[i].id) == from) start = i + 1;
    for (std::size_t k = 0; k < n; ++k) {
        const ControlTemplate& c = controls[(start + k) % n];
        if (!IsTabStop(c.kind)) continue;
        wxWindow* w = GetDlgItem(c.id);
        if (w && w != from && w->IsThisEnabled() && w->IsShown()) return w;
    }
    return nullptr;
}

wxWindow* ResourceDialog::DefaultButton() const {
    for (const ControlTemplate& c : m_tmpl.controls)
        if (c.kind == ControlKind::DefPushButton) return GetDlgItem(c.id);
    return nullptr;
}

void ResourceDialog::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (event.AltDown() || event.ControlDown()) {
        event.Skip();
        return;
    }
    if (key == WXK_ESCAPE) {
        OnCancel();
        return;
    }
    if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER) {
        event.Skip();
        return;
    }
    // Enter is taken here, before the control: an edit or a list would keep
    // it for itself (GTK's list would even select the line alone).
    wxWindow* focus = wxWindow::FindFocus();
    if (dynamic_cast<wxButton*>(focus) && focus->IsEnabled() && wxGetTopLevelParent(focus) == m_wnd) {
        PressButton(focus);
        return;
    }
    wxWindow* button = DefaultButton();
    if (button && button->IsEnabled()) PressButton(button);
}
