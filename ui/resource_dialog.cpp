#include "ui/resource_dialog.h"

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "ui/dialog_font.h"
#include "ui/wx_text.h"
#include "res/resource.h"

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
    m_wnd = new wxDialog(parent, wxID_ANY, ToWx(m_tmpl.title), wxDefaultPosition, wxDefaultSize,
                         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX |
                             (m_tmpl.resizable ? wxRESIZE_BORDER | wxMAXIMIZE_BOX | wxMINIMIZE_BOX : 0));
    const wxFont font = MakeDialogFont(m_tmpl.fontFace, m_tmpl.fontPoints);
    m_wnd->SetFont(font);
    m_wnd->SetClientSize(m_wnd->ConvertDialogToPixels(wxSize(m_tmpl.cx, m_tmpl.cy)));

    for (const ControlTemplate& c : m_tmpl.controls) {
        const wxPoint pos = m_wnd->ConvertDialogToPixels(wxPoint(c.x, c.y));
        const wxSize size = m_wnd->ConvertDialogToPixels(wxSize(c.cx, c.cy));
        const int id = WxId(c.id);
        const long border = (c.style & CS_BORDER) ? wxBORDER_SUNKEN : 0;
        wxWindow* w = nullptr;
        switch (c.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefPushButton: {
                auto* b = new wxButton(m_wnd, id, ToWx(c.text), pos, size);
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
                w = new wxListBox(m_wnd, id, pos, size, 0, nullptr, style);
                break;
            }
            case ControlKind::Edit:
                w = new wxTextCtrl(m_wnd, id, wxString(), pos, size, border);
                break;
            case ControlKind::Static: {
                auto* s = new wxStaticText(m_wnd, id, wxString(), pos, size, wxST_NO_AUTORESIZE);
                if (c.style & CS_NOPREFIX)
                    s->SetLabelText(ToWx(c.text));
                else
                    s->SetLabel(ToWx(c.text));
                w = s;
                break;
            }
            case ControlKind::Icon:
                w = new wxStaticBitmap(m_wnd, id, wxNullBitmap, pos, size);
                break;
        }
        if (w) w->SetFont(font);
        // A label laid out for the Windows face can be wider in the face that
        // stands in for it: it grows to the right, within the dialog, rather
        // than lose its end ("比較ﾃﾞｨﾚｸﾄﾘＡ:" would lose the Ａ).
        if (c.kind == ControlKind::Static && *c.text) {
            const int room = m_wnd->GetClientSize().x - pos.x;
            const int need = std::min(w->GetBestSize().x, room);
            if (need > size.x) w->SetSize(wxSize(need, size.y));
        }
    }

    m_wnd->Bind(wxEVT_BUTTON, &ResourceDialog::OnButtonOK, this, wxID_OK);
    m_wnd->Bind(wxEVT_BUTTON, &ResourceDialog::OnButtonCancel, this, wxID_CANCEL);
    m_wnd->Bind(wxEVT_CLOSE_WINDOW, &ResourceDialog::OnClose, this);
    if (parent)
        m_wnd->CentreOnParent();
    else
        m_wnd->CentreOnScreen();
}

int ResourceDialog::DoModal(wxWindow* parent) {
    BuildWindow(parent);
    m_endedInInit = false;
    m_initializing = true;
    OnInitDialog();
    m_initializing = false;
    // A dialog that ended itself while initialising is never shown.
    const int code = m_endedInInit ? m_wnd->GetReturnCode() : m_wnd->ShowModal();
    DestroyWindow();
    return code;
}

bool ResourceDialog::Create(wxWindow* parent, bool show) {
    BuildWindow(parent);
    m_endedInInit = false;
    m_initializing = true;
    OnInitDialog();
    m_initializing = false;
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
