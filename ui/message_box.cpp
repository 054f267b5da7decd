#include "ui/message_box.h"

#include <wx/msgdlg.h>

#include "ui/wx_text.h"
#include "texts/texts.h"

int ShowMessage(wxWindow* owner, std::string_view text, long style) {
    return wxMessageBox(ToWx(text), ToWx(Text(TextId::ProductName)), style, owner);
}
