// The one place where core byte strings (the system code page: UTF-8 on
// Linux, Shift-JIS on Windows) and wxString meet. Never rely on wxString's
// implicit const char* conversion: under LC_CTYPE=C it turns Japanese text
// into an empty string.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

// Bytes of the system code page to wxString. Invalid sequences (a name cut
// inside a character, a file name that is not valid text) still show: each
// bad byte becomes U+FFFD instead of the whole text vanishing.
wxString ToWx(std::string_view bytes);

// wxString to bytes of the system code page.
std::string FromWx(const wxString& s);
