#include "ui/message_box.h"

#include <wx/msgdlg.h>

#include "ui/wx_text.h"
#include "res/strings.h"

int ShowMessage(wxWindow* owner, std::string_view text, long style) {
    return wxMessageBox(ToWx(text), ToWx(kProductName), style, owner);
}
