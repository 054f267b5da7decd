// Entry of one directory pair: directories A and B, typed or chosen with the
// folder chooser, whether their whole trees are compared, and the pair's masks
// through the MASK button. The pair is written only on OK.
#pragma once

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "ui/resource_dialog.h"
#include "core/records.h"
#include "dialogs/mask_dlg.h"
#include "res/dialog_resources.h"

class CDirInputDlg : public ResourceDialog {
public:
    CDirInputDlg() : ResourceDialog(kDirInputDialog) {}

    // The slot that this run edits; set before every DoModal.
    void SetDirPair(DirPair* pair) { m_pPair = pair; }

    // Runs the folder chooser (existing folders only), opened at
    // ChooserStartFolder(startDir). True when a folder was chosen; its path is
    // then in buffer. Cancelling writes nothing; a folder that a pair cannot
    // hold (CheckDirText) is refused with a message.
    bool BrowseForDirectory(char (&buffer)[MAX_PATH], const wxString& startDir = wxString());
    // The folder in an edit's text (blanks around it ignored) when it exists,
    // else the user's home.
    static wxString ChooserStartFolder(const wxString& editText);

protected:
    bool OnInitDialog() override;
    // Validates both directories and stores them with the flag and the masks.
    void OnOK() override;

private:
    void OnBrowseA(wxCommandEvent& event);
    void OnBrowseB(wxCommandEvent& event);
    void OnMask(wxCommandEvent& event);
    void BrowseInto(wxTextCtrl* edit);

    DirPair* m_pPair = nullptr;
    CMaskDlg m_dlgMask;
    wxTextCtrl* m_editDirB = nullptr;  // valid while the window exists
    wxTextCtrl* m_editDirA = nullptr;
    wxCheckBox* m_checkSubdirs = nullptr;
};
