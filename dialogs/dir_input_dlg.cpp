#include "dialogs/dir_input_dlg.h"

#include <wx/dirdlg.h>
#include <wx/filefn.h>
#include <wx/utils.h>

#include <cstring>
#include <string>
#include <string_view>

#include "ui/accessible_name.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"
#include "core/mask_list.h"
#include "core/mbtext.h"
#include "core/pair_ops.h"
#include "res/resource.h"
#include "texts/texts.h"

namespace {

constexpr long kInputMessageStyle = wxOK | wxICON_QUESTION;

std::string RefusalText(DirInputProblem problem) {
    switch (problem) {
        case DirInputProblem::Missing: return Text(TextId::DirMissing);
        case DirInputProblem::Same: return Text(TextId::DirSame);
        case DirInputProblem::LineBreak: return Text(TextId::DirLineBreak);
        case DirInputProblem::TooLong: return FormatText(TextId::DirTooLong, {MAX_DIR_BYTES});
        case DirInputProblem::None: break;
    }
    return {};
}

// A label's text as a name: without its closing colon.
wxString LabelName(TextId label) {
    wxString name = ToWx(Text(label));
    name.Trim();
    if (name.EndsWith(":")) name.RemoveLast();
    return name;
}

// Fills edit with path, scrolled to its end: the last folders tell a long
// path from its neighbours, the start is mostly the same.
void ShowPath(wxTextCtrl* edit, std::string_view path) {
    edit->ChangeValue(ToWx(path));
    edit->SetInsertionPointEnd();
    edit->ShowPosition(edit->GetLastPosition());
}

}  // namespace

bool CDirInputDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    m_editDirB = Item<wxTextCtrl>(IDC_DIR_B);
    m_editDirA = Item<wxTextCtrl>(IDC_DIR_A);
    m_checkSubdirs = Item<wxCheckBox>(IDC_SUBDIRS);
    wnd->Bind(wxEVT_BUTTON, &CDirInputDlg::OnBrowseA, this, IDC_BROWSE_A);
    wnd->Bind(wxEVT_BUTTON, &CDirInputDlg::OnBrowseB, this, IDC_BROWSE_B);
    wnd->Bind(wxEVT_BUTTON, &CDirInputDlg::OnMask, this, IDC_MASK);

    // A screen reader names the edits by their labels and tells the two
    // Browse buttons apart by the side they fill.
    SetAccessibleName(m_editDirA, LabelName(TextId::DirALabel));
    SetAccessibleName(m_editDirB, LabelName(TextId::DirBLabel));
    SetAccessibleName(GetDlgItem(IDC_BROWSE_A), ToWx(Text(TextId::BrowseAName)));
    SetAccessibleName(GetDlgItem(IDC_BROWSE_B), ToWx(Text(TextId::BrowseBName)));

    if (m_pPair) {
        ShowPath(m_editDirA, FieldText(m_pPair->dirA));
        ShowPath(m_editDirB, FieldText(m_pPair->dirB));
        m_checkSubdirs->SetValue(m_pPair->subdirs);
        std::memcpy(m_dlgMask.m_masks, m_pPair->masks, sizeof m_dlgMask.m_masks);
    } else {
        std::memset(m_dlgMask.m_masks, 0, sizeof m_dlgMask.m_masks);
    }
    return true;  // the focus goes to the first tab stop, the edit for A
}

wxString CDirInputDlg::ChooserStartFolder(const wxString& editText) {
    const wxString folder = ToWx(TrimBlanks(FromWx(editText)));
    return !folder.empty() && wxDirExists(folder) ? folder : wxGetHomeDir();
}

bool CDirInputDlg::BrowseForDirectory(char (&buffer)[MAX_PATH], const wxString& startDir) {
    wxDirDialog chooser(GetWindow(), ToWx(Text(TextId::BrowseTitle)), ChooserStartFolder(startDir),
                        wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (chooser.ShowModal() != wxID_OK) return false;
    const std::string path = FromWx(chooser.GetPath());
    if (path.empty()) return false;
    if (const DirInputProblem problem = CheckDirText(path); problem != DirInputProblem::None) {
        ShowMessage(GetWindow(), RefusalText(problem), kInputMessageStyle);
        return false;
    }
    CopyText(buffer, MAX_PATH, path);
    return true;
}

void CDirInputDlg::BrowseInto(wxTextCtrl* edit) {
    char buffer[MAX_PATH];
    if (BrowseForDirectory(buffer, edit->GetValue())) ShowPath(edit, FieldText(buffer));
}

void CDirInputDlg::OnBrowseA(wxCommandEvent&) { BrowseInto(m_editDirA); }

void CDirInputDlg::OnBrowseB(wxCommandEvent&) { BrowseInto(m_editDirB); }

void CDirInputDlg::OnMask(wxCommandEvent&) {
    m_dlgMask.m_strMasks = JoinMaskList(m_dlgMask.m_masks);
    if (m_dlgMask.DoModal(GetWindow()) != wxID_OK) return;
    // The mask dialog has already refused items that would not fit a slot.
    ParseMaskList(m_dlgMask.m_strMasks, m_dlgMask.m_masks);
}

void CDirInputDlg::OnOK() {
    const std::string typedA = FromWx(m_editDirA->GetValue());
    const std::string typedB = FromWx(m_editDirB->GetValue());
    const DirInputCheck check = CheckDirInput(typedA, typedB);
    if (check.problem != DirInputProblem::None) {
        ShowMessage(GetWindow(), RefusalText(check.problem), kInputMessageStyle);
        GotoDlgCtrl(check.inB ? m_editDirB : m_editDirA);
        return;
    }
    if (!m_pPair) {
        EndDialog(wxID_CANCEL);
        return;
    }
    CopyText(m_pPair->dirA, MAX_PATH, check.dirA);
    CopyText(m_pPair->dirB, MAX_PATH, check.dirB);
    m_pPair->subdirs = m_checkSubdirs->GetValue();
    std::memcpy(m_pPair->masks, m_dlgMask.m_masks, sizeof m_pPair->masks);
    EndDialog(wxID_OK);
}
