#include "core/mbtext.h"

#include <cstring>

CodePage SystemCodePage() {
#ifdef _WIN32
    return CodePage::Cp932;
#else
    return CodePage::Utf8;
#endif
}

namespace {

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::size_t Utf8SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 1;  // stray continuation or invalid lead byte: one byte on its own
}

}  // namespace

std::size_t CharLength(std::string_view s, CodePage cp) {
    const auto c = static_cast<unsigned char>(s[0]);
    if (cp == CodePage::Cp932) return (IsCp932Lead(c) && s.size() >= 2) ? 2 : 1;
    const std::size_t n = Utf8SequenceLength(c);
    if (n > s.size()) return 1;
    for (std::size_t i = 1; i < n; ++i)
        if (!IsUtf8Continuation(static_cast<unsigned char>(s[i]))) return 1;
    return n;
}

void MbUpperInPlace(std::string& s, CodePage cp) {
    std::size_t i = 0;
    const std::string_view v(s);
    while (i < s.size()) {
        const std::size_t n = CharLength(v.substr(i), cp);
        if (n == 1 && s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
        i += n;
    }
}

std::string MbUpper(std::string_view s, CodePage cp) {
    std::string r(s);
    MbUpperInPlace(r, cp);
    return r;
}

std::size_t CutLength(std::string_view s, std::size_t maxBytes, CodePage cp) {
    if (s.size() <= maxBytes) return s.size();
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = CharLength(s.substr(i), cp);
        if (i + n > maxBytes) break;
        i += n;
    }
    return i;
}

bool CopyText(char* dst, std::size_t dstSize, std::string_view src, CodePage cp) {
    if (dstSize == 0) return src.empty();
    const std::size_t n = CutLength(src, dstSize - 1, cp);
    if (n > 0) std::memcpy(dst, src.data(), n);
    std::memset(dst + n, 0, dstSize - n);
    return n == src.size();
}
