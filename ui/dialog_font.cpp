#include "ui/dialog_font.h"

#include <wx/fontenum.h>
#include <wx/settings.h>

#include <cstring>

#include "texts/font_faces.h"
#include "ui/wx_text.h"

namespace {

struct FaceFallback {
    const char* requested;
    const char* candidates[5];
};

// First the face's English name, which a Windows not set to Japanese lists
// it under; then the IPA fonts, drawn to the metrics of the MS faces they
// stand in for (Linux, Wine); then the Japanese faces of a Windows without
// the MS ones.
const FaceFallback kFallbacks[] = {
    {kProportionalFace, {"MS PGothic", "IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "Yu Gothic UI"}},
    {kFixedPitchFace, {"MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP", "Monospace", "Yu Gothic"}},
};

}  // namespace

wxString ResolveFaceName(const char* faceUtf8) {
    const wxString requested = ToWx(faceUtf8);
    if (wxFontEnumerator::IsValidFacename(requested)) return requested;
    for (const auto& f : kFallbacks) {
        if (std::strcmp(f.requested, faceUtf8) != 0) continue;
        for (const char* c : f.candidates)
            if (c && wxFontEnumerator::IsValidFacename(c)) return c;
    }
    return wxString();
}

wxFont MakeDialogFont(const char* faceUtf8, int points) {
    const wxString face = ResolveFaceName(faceUtf8);
    if (face.empty()) {
        wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
        font.SetPointSize(points);
        return font;
    }
    return wxFont(wxFontInfo(points).FaceName(face));
}
