#include "app/dir_compare_dlg.h"

#include <memory>

// The Directories button: runs the pair list dialog on m_pairs. Results of a
// comparison of other pairs are dropped, so that a copy can only act on the
// directories that were compared.
void CDirCompareDlg::OnDirs(wxCommandEvent&) {
    const auto before = std::make_unique<DirPairTable>(m_pairs);
    m_dlgDirList.SetPairTable(&m_pairs);
    m_dlgDirList.DoModal(GetWindow());
    m_bPairsModified = m_dlgDirList.m_bModified;
    if (!(*before == m_pairs)) ClearResults();
}
