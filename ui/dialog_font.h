// Dialog fonts. The dialogs ask for Japanese Windows faces; where a face does
// not exist (Linux), a metric-compatible Japanese face that exists is used, so
// that dialog units come out with Japanese font metrics.
#pragma once

#include <wx/font.h>

// The font for a face name (UTF-8) at the given size in points.
wxFont MakeDialogFont(const char* faceUtf8, int points);

// The face actually used for a requested face (UTF-8 in, wxString out).
wxString ResolveFaceName(const char* faceUtf8);
