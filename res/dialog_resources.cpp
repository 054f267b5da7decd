#include "res/dialog_resources.h"

#include "res/resource.h"

namespace {

using K = ControlKind;
using T = TextId;

const ControlTemplate kAboutControls[] = {
    {IDC_ABOUT_ICON, K::Icon, T::None, 11, 17, 18, 20, CS_NONE},
    // The version line comes from CAboutDlg, which knows the version.
    {IDC_ABOUT_TEXT, K::Static, T::None, 40, 10, 119, 8, CS_NOPREFIX},
    {IDOK, K::DefPushButton, T::OkButton, 160, 7, 32, 14, CS_NONE},
};

const ControlTemplate kDirCompareControls[] = {
    {IDCANCEL, K::DefPushButton, T::QuitButton, 198, 132, 30, 14, CS_NONE},
    {IDC_RESULT_LIST, K::ListView, T::None, 7, 7, 221, 120, CS_REPORT | CS_BORDER},
    {IDC_SECRET, K::PushButton, T::SecretButton, 7, 132, 30, 14, CS_NONE},
    {IDOK, K::PushButton, T::CompareButton, 165, 132, 30, 14, CS_NONE},
    {IDC_DIRS, K::PushButton, T::PairsButton, 42, 132, 30, 14, CS_NONE},
};

const ControlTemplate kDirListControls[] = {
    {IDCANCEL, K::PushButton, T::CloseButton, 179, 104, 30, 14, CS_NONE},
    {IDOK, K::DefPushButton, T::RegisterButton, 7, 104, 30, 14, CS_NONE},
    {IDC_DELETE, K::PushButton, T::DeleteButton, 42, 104, 30, 14, CS_NONE},
    {IDC_PAIR_LIST, K::ListBox, T::None, 7, 7, 202, 88, CS_MULTIPLESEL | CS_VSCROLL | CS_BORDER},
};

const ControlTemplate kDirInputControls[] = {
    {IDC_DIR_A, K::Edit, T::None, 14, 18, 100, 14, CS_BORDER | CS_AUTOHSCROLL},
    {IDC_DIR_B, K::Edit, T::None, 14, 47, 100, 14, CS_BORDER | CS_AUTOHSCROLL},
    {IDC_BROWSE_A, K::PushButton, T::BrowseButton, 115, 18, 20, 14, CS_NONE},
    {IDC_BROWSE_B, K::PushButton, T::BrowseButton, 115, 47, 20, 14, CS_NONE},
    // One row below directory B; the buttons and the dialog moved down by it.
    {IDC_SUBDIRS, K::CheckBox, T::SubdirsCheck, 14, 66, 121, 10, CS_NONE},
    {IDOK, K::DefPushButton, T::OkButton, 70, 86, 30, 14, CS_NONE},
    {IDCANCEL, K::PushButton, T::CancelButton, 105, 86, 30, 14, CS_NONE},
    {IDC_STATIC, K::Static, T::DirALabel, 7, 7, 44, 8, CS_NONE},
    {IDC_STATIC, K::Static, T::DirBLabel, 7, 36, 44, 8, CS_NONE},
    {IDC_MASK, K::PushButton, T::MaskButton, 11, 86, 30, 14, CS_NONE},
};

const ControlTemplate kConfirmCopyControls[] = {
    {IDC_STATIC, K::Static, T::ConfirmCopyQuestion, 14, 21, 156, 8, CS_NONE},
    {IDOK, K::DefPushButton, T::OkButton, 115, 40, 30, 14, CS_NONE},
    {IDCANCEL, K::PushButton, T::CancelButton, 150, 40, 30, 14, CS_NONE},
};

const ControlTemplate kMaskControls[] = {
    {IDC_MASK_TEXT, K::Edit, T::None, 7, 25, 136, 14, CS_BORDER | CS_AUTOHSCROLL},
    {IDOK, K::DefPushButton, T::OkButton, 78, 50, 30, 14, CS_NONE},
    {IDCANCEL, K::PushButton, T::CancelButton, 113, 50, 30, 14, CS_NONE},
    {IDC_STATIC, K::Static, T::MaskLabel, 7, 13, 96, 8, CS_NONE},
};

const ControlTemplate kCopyProgressControls[] = {
    {IDC_COPY_MESSAGE, K::Static, T::CopyingMessage, 14, 15, 128, 8, CS_NOPREFIX},
    {IDC_COPY_FILE, K::Static, T::None, 20, 34, 130, 8, CS_NOPREFIX},
    {IDC_COPY_FROM, K::Static, T::None, 20, 44, 130, 8, CS_NOPREFIX},
    {IDC_COPY_TO, K::Static, T::None, 20, 54, 130, 8, CS_NOPREFIX},
};

}  // namespace

const DialogTemplate kAboutDialog = {IDD_ABOUTBOX, T::AboutTitle, 199, 55, kProportionalFace, 9,
                                     kAboutControls};
const DialogTemplate kDirCompareDialog = {IDD_DIRCOMPARE_DIALOG, T::ProductName, 235, 153, kProportionalFace, 9,
                                          kDirCompareControls, true};
const DialogTemplate kDirListDialog = {IDD_DIRLIST, T::PairListTitle, 216, 125, kFixedPitchFace, 9,
                                      kDirListControls, true};
const DialogTemplate kDirInputDialog = {IDD_DIRINPUT, T::PairInputTitle, 142, 107, kProportionalFace, 9,
                                       kDirInputControls};
const DialogTemplate kConfirmCopyDialog = {IDD_CONFIRM_COPY, T::ConfirmCopyTitle, 187, 61,
                                          kProportionalFace, 9, kConfirmCopyControls};
const DialogTemplate kMaskDialog = {IDD_MASK, T::MaskTitle, 150, 71, kProportionalFace, 9, kMaskControls};
const DialogTemplate kCopyProgressDialog = {IDD_COPY_PROGRESS, T::CopyProgressTitle, 159, 77, kProportionalFace, 9,
                                           kCopyProgressControls};
