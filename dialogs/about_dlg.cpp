#include "dialogs/about_dlg.h"

#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "res/icons.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "ui/wx_text.h"
#include "zoruna_version.h"

bool CAboutDlg::OnInitDialog() {
    // Like a static icon control, the picture takes the icon's own size at
    // the control's position.
    if (auto* icon = Item<wxStaticBitmap>(IDC_ABOUT_ICON)) {
        const wxIcon image = LoadIconResource(IDR_MAINFRAME);
        icon->SetIcon(image);
        icon->SetSize(image.GetSize());
    }
    if (auto* text = Item<wxStaticText>(IDC_ABOUT_TEXT))
        text->SetLabelText(ToWx(FormatText(TextId::VersionLine, {ZORUNA_VERSION})));
    return true;
}
