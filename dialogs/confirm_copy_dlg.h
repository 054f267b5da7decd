// The modal question before a copy: OK or Cancel, nothing else.
#pragma once

#include "ui/resource_dialog.h"
#include "res/dialog_resources.h"

class CConfirmCopyDlg : public ResourceDialog {
public:
    CConfirmCopyDlg() : ResourceDialog(kConfirmCopyDialog) {}
};
