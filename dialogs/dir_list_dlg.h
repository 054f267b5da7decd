// The list of registered directory pairs: Register (add or edit one pair),
// Delete (the selected pairs), Close.
#pragma once

#include "app/resource_dialog.h"
#include "core/records.h"
#include "res/dialog_resources.h"

class CDirListDlg : public ResourceDialog {
public:
    CDirListDlg() : ResourceDialog(kDirListDialog) {}

    void SetPairTable(DirPairTable* table) { m_pPairTable = table; }

    // Set by every completed Register and Delete; never reset.
    bool m_bModified = false;

private:
    DirPairTable* m_pPairTable = nullptr;
};
