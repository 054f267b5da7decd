#include "app/dir_compare_dlg.h"

// The Directories button: runs the pair list dialog on m_pairs.
void CDirCompareDlg::OnDirs(wxCommandEvent&) {
    m_dlgDirList.SetPairTable(&m_pairs);
    m_dlgDirList.DoModal(GetWindow());
    m_bPairsModified = m_dlgDirList.m_bModified;
}
