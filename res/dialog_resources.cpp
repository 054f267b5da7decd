#include "res/dialog_resources.h"

#include "res/resource.h"
#include "zoruna_version.h"

namespace {

using K = ControlKind;

const ControlTemplate kAboutControls[] = {
    {IDC_ABOUT_ICON, K::Icon, "", 11, 17, 18, 20, CS_NONE},
    {IDC_ABOUT_TEXT, K::Static, ZORUNA_VERSION_TEXT, 40, 10, 119, 8, CS_NOPREFIX},
    {IDOK, K::DefPushButton, "OK", 160, 7, 32, 14, CS_NONE},
};

const ControlTemplate kDirCompareControls[] = {
    {IDCANCEL, K::DefPushButton, "終了", 198, 132, 30, 14, CS_NONE},
    {IDC_RESULT_LIST, K::ListView, "", 7, 7, 221, 120, CS_REPORT | CS_BORDER},
    {IDC_SECRET, K::PushButton, "秘密", 7, 132, 30, 14, CS_NONE},
    {IDOK, K::PushButton, "比較", 165, 132, 30, 14, CS_NONE},
    {IDC_DIRS, K::PushButton, "ﾃﾞｨﾚｸﾄﾘ", 42, 132, 30, 14, CS_NONE},
};

const ControlTemplate kDirListControls[] = {
    {IDCANCEL, K::PushButton, "閉じる", 179, 104, 30, 14, CS_NONE},
    {IDOK, K::DefPushButton, "登録", 7, 104, 30, 14, CS_NONE},
    {IDC_DELETE, K::PushButton, "削除", 42, 104, 30, 14, CS_NONE},
    {IDC_PAIR_LIST, K::ListBox, "", 7, 7, 202, 88, CS_MULTIPLESEL | CS_VSCROLL | CS_BORDER},
};

const ControlTemplate kDirInputControls[] = {
    {IDC_DIR_A, K::Edit, "", 14, 18, 100, 14, CS_BORDER | CS_AUTOHSCROLL},
    {IDC_DIR_B, K::Edit, "", 14, 47, 100, 14, CS_BORDER | CS_AUTOHSCROLL},
    {IDC_BROWSE_A, K::PushButton, "参照...", 115, 18, 20, 14, CS_NONE},
    {IDC_BROWSE_B, K::PushButton, "参照...", 115, 47, 20, 14, CS_NONE},
    // One row below directory B; the buttons and the dialog moved down by it.
    {IDC_SUBDIRS, K::CheckBox, "サブディレクトリも比較する", 14, 66, 121, 10, CS_NONE},
    {IDOK, K::DefPushButton, "OK", 70, 86, 30, 14, CS_NONE},
    {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 105, 86, 30, 14, CS_NONE},
    {IDC_STATIC, K::Static, "比較ﾃﾞｨﾚｸﾄﾘＡ:", 7, 7, 44, 8, CS_NONE},
    {IDC_STATIC, K::Static, "比較ﾃﾞｨﾚｸﾄﾘＢ:", 7, 36, 44, 8, CS_NONE},
    {IDC_MASK, K::PushButton, "MASK", 11, 86, 30, 14, CS_NONE},
};

const ControlTemplate kConfirmCopyControls[] = {
    {IDC_STATIC, K::Static, "指定されたﾌｧｲﾙのｺﾋﾟｰを行います。後悔しませんね。", 14, 21, 156, 8, CS_NONE},
    {IDOK, K::DefPushButton, "OK", 115, 40, 30, 14, CS_NONE},
    {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 150, 40, 30, 14, CS_NONE},
};

const ControlTemplate kMaskControls[] = {
    {IDC_MASK_TEXT, K::Edit, "", 7, 25, 136, 14, CS_BORDER | CS_AUTOHSCROLL},
    {IDOK, K::DefPushButton, "OK", 78, 50, 30, 14, CS_NONE},
    {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 113, 50, 30, 14, CS_NONE},
    {IDC_STATIC, K::Static, "比較対照外とするﾌｧｲﾙの拡張子", 7, 13, 96, 8, CS_NONE},
};

const ControlTemplate kCopyProgressControls[] = {
    {IDC_COPY_MESSAGE, K::Static, "ただいまコピー中です。少々お待ちください。", 14, 15, 128, 8, CS_NOPREFIX},
    {IDC_COPY_FILE, K::Static, "", 20, 34, 130, 8, CS_NOPREFIX},
    {IDC_COPY_FROM, K::Static, "", 20, 44, 130, 8, CS_NOPREFIX},
    {IDC_COPY_TO, K::Static, "", 20, 54, 130, 8, CS_NOPREFIX},
};

}  // namespace

const DialogTemplate kAboutDialog = {IDD_ABOUTBOX, "Zoruna［ﾊﾞｰｼﾞｮﾝ情報］", 199, 55, kProportionalFace, 9,
                                     kAboutControls};
const DialogTemplate kDirCompareDialog = {IDD_DIRCOMPARE_DIALOG, "Zoruna", 235, 153, kProportionalFace, 9,
                                          kDirCompareControls, true};
const DialogTemplate kDirListDialog = {IDD_DIRLIST, "Zoruna［比較ﾃﾞｨﾚｸﾄﾘ一覧］", 216, 125, kFixedPitchFace, 9,
                                      kDirListControls};
const DialogTemplate kDirInputDialog = {IDD_DIRINPUT, "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］", 142, 107, kProportionalFace, 9,
                                       kDirInputControls};
const DialogTemplate kConfirmCopyDialog = {IDD_CONFIRM_COPY, "Zoruna［ほんとにいいの？］", 187, 61,
                                          kProportionalFace, 9, kConfirmCopyControls};
const DialogTemplate kMaskDialog = {IDD_MASK, "Zoruna[ﾏｽｸ]", 150, 71, kProportionalFace, 9, kMaskControls};
const DialogTemplate kCopyProgressDialog = {IDD_COPY_PROGRESS, "Zoruna[ｺﾋﾟｰ中]", 159, 77, kProportionalFace, 9,
                                           kCopyProgressControls};
