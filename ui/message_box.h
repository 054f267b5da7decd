// Message boxes of the program: always captioned with the product name and
// owned by the dialog concerned.
#pragma once

#include <wx/window.h>

#include <string_view>

// text: bytes of the system code page; style: wxOK | wxICON_* bits.
// Returns the button that closed the box (wxOK, ...).
int ShowMessage(wxWindow* owner, std::string_view text, long style);
