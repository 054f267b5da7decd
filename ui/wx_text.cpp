#include "ui/wx_text.h"

#include "core/mbtext.h"

namespace {

// Decodes character by character, so that only the bad bytes are replaced.
wxString DecodeLeniently(std::string_view bytes) {
    wxString out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = CharLength(bytes.substr(i), CodePage::Utf8);
        const wxString ch = wxString::FromUTF8(bytes.data() + i, n);
        if (ch.empty())
            out += wxUniChar(0xFFFD);
        else
            out += ch;
        i += n;
    }
    return out;
}

}  // namespace

wxString ToWx(std::string_view bytes) {
    if (bytes.empty()) return wxString();
    const wxString whole = wxString::FromUTF8(bytes.data(), bytes.size());
    if (!whole.empty()) return whole;
    return DecodeLeniently(bytes);
}

std::string FromWx(const wxString& s) {
    const wxScopedCharBuffer buf = s.utf8_str();
    return std::string(buf.data(), buf.length());
}
