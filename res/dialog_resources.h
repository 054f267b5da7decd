// The dialog layouts of the program.
#pragma once

#include "res/dialog_template.h"
#include "texts/font_faces.h"

extern const DialogTemplate kAboutDialog;          // IDD_ABOUTBOX
extern const DialogTemplate kDirCompareDialog;     // IDD_DIRCOMPARE_DIALOG
extern const DialogTemplate kDirListDialog;        // IDD_DIRLIST
extern const DialogTemplate kDirInputDialog;       // IDD_DIRINPUT
extern const DialogTemplate kConfirmCopyDialog;    // IDD_CONFIRM_COPY
extern const DialogTemplate kMaskDialog;           // IDD_MASK
extern const DialogTemplate kCopyProgressDialog;   // IDD_COPY_PROGRESS
