// The list of registered directory pairs: Register (add or edit one pair),
// Delete (the selected pairs), Close. Every change goes straight into the
// table handed over with SetPairTable.
#pragma once

#include <wx/listbox.h>

#include <vector>

#include "ui/grow_layout.h"
#include "ui/resource_dialog.h"
#include "core/records.h"
#include "dialogs/dir_input_dlg.h"
#include "res/dialog_resources.h"

class CDirListDlg : public ResourceDialog {
public:
    CDirListDlg() : ResourceDialog(kDirListDialog) {}

    void SetPairTable(DirPairTable* table) { m_pPairTable = table; }

protected:
    bool OnInitDialog() override;
    // Register; the dialog stays open.
    void OnOK() override;

private:
    void FillPairList();
    void UpdateButtons();
    std::vector<int> SelectedLines() const;
    void OnSelChangePairList(wxCommandEvent& event);
    // The status line shows the focused line's pair with both full folders.
    void ShowFocusedPair();
    void OnMotionPairList(wxMouseEvent& event);
    // Line's pair number and folders (two lines: for the tooltip); empty for
    // no such line.
    std::string PairPaths(int line, bool twoLines) const;
    void OnDelete(wxCommandEvent& event);

public:
    // Runs Register: adds a pair or edits the one selected pair.
    CDirInputDlg m_dlgDirInput;

private:
    DirPairTable* m_pPairTable = nullptr;

public:
    // Set by every completed Register and Delete; never reset. The caller
    // reads it after each run.
    bool m_bModified = false;

private:
    wxListBox* m_listPairs = nullptr;    // valid while the window exists
    wxStaticText* m_statusLine = nullptr;  // valid while the window exists
    int m_tipLine = wxNOT_FOUND;           // the line whose folders the tooltip shows
    GrowLayout m_layout;
};
