#include "ui/wx_text.h"

#include <wx/strconv.h>

#include "core/mbtext.h"

namespace {

// Decodes character by character, so that only the bad bytes are replaced.
wxString DecodeLeniently(std::string_view bytes, const wxMBConv& conv) {
    wxString out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = CharLength(bytes.substr(i));
        const wxString ch(bytes.data() + i, conv, n);
        if (ch.empty())
            out += wxUniChar(0xFFFD);
        else
            out += ch;
        i += n;
    }
    return out;
}

const wxMBConv& SystemConv() {
#ifdef _WIN32
    static wxCSConv conv(wxFONTENCODING_CP932);
    return conv;
#else
    return wxConvUTF8;
#endif
}

}  // namespace

wxString ToWx(std::string_view bytes) {
    if (bytes.empty()) return wxString();
    const wxString whole(bytes.data(), SystemConv(), bytes.size());
    if (!whole.empty()) return whole;
    return DecodeLeniently(bytes, SystemConv());
}

std::string FromWx(const wxString& s) {
    const wxScopedCharBuffer buf = s.mb_str(SystemConv());
    return std::string(buf.data(), buf.length());
}
