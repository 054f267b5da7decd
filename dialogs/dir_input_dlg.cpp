#include "dialogs/dir_input_dlg.h"

#include <wx/dirdlg.h>
#include <wx/filefn.h>
#include <wx/utils.h>

#include <cstring>
#include <string>

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

}  // namespace

bool CDirInputDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    m_editDirB = Item<wxTextCtrl>(IDC_DIR_B);
    m_editDirA = Item<wxTextCtrl>(IDC_DIR_A);
    m_checkSubdirs = Item<wxCheckBox>(IDC_SUBDIRS);
    wnd->Bind(wxEVT_BUTTON, &CDirInputDlg::OnBrowseA, this, IDC_BROWSE_A);
    wnd->Bind(wxEVT_BUTTON, &CDirInputDlg::OnBrowseB, this, IDC_BROWSE_B);
    wnd->Bind(wxEVT_BUTTON, &CDirInputDlg::OnMask, this, IDC_MASK);

    if (m_pPair) {
        m_editDirA->ChangeValue(ToWx(FieldText(m_pPair->dirA)));
        m_editDirB->ChangeValue(ToWx(FieldText(m_pPair->dirB)));
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
    if (BrowseForDirectory(buffer, edit->GetValue())) edit->ChangeValue(ToWx(FieldText(buffer)));
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
