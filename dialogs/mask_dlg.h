// The exclusion masks of one pair, edited as one comma-separated line.
#pragma once

#include <string>

#include "ui/resource_dialog.h"
#include "core/records.h"
#include "res/dialog_resources.h"

class CMaskDlg : public ResourceDialog {
public:
    CMaskDlg() : ResourceDialog(kMaskDialog) {}

    // The mask list text shown in the edit; OK takes the edited text back.
    std::string m_strMasks;
    // The working copy of one pair's masks; the input dialog loads it from the
    // pair and stores it back on its own OK.
    char m_masks[MAX_MASKS][MASK_LEN] = {};

protected:
    bool OnInitDialog() override;
    // Takes the text only when every mask it gives can be stored whole.
    void OnOK() override;
};
