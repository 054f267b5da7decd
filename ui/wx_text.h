// The one place where core byte strings and wxString meet. The program's
// strings are UTF-8 on every platform (its literals, the texts' tables, file
// names: the Windows file system and the settings file convert at their own
// edges), so this is UTF-8 on Windows too. Never rely on wxString's implicit
// const char* conversion: under LC_CTYPE=C (or in a Windows code page) it
// turns Japanese text into an empty string or mojibake.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

// UTF-8 bytes to wxString. Invalid sequences (a name cut
// inside a character, a file name that is not valid text) still show: each
// bad byte becomes U+FFFD instead of the whole text vanishing.
wxString ToWx(std::string_view bytes);

// wxString to UTF-8 bytes.
std::string FromWx(const wxString& s);
