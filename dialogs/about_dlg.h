// The About box: the application icon, the version text and OK.
#pragma once

#include "ui/resource_dialog.h"
#include "res/dialog_resources.h"

class CAboutDlg : public ResourceDialog {
public:
    CAboutDlg() : ResourceDialog(kAboutDialog) {}

protected:
    bool OnInitDialog() override;
};
