#include "core/mbtext.h"

#include <cstring>

// The program's own text is UTF-8 on every platform: Windows file names
// come and go through the wide calls, and code page 932 is only what the
// settings file is written in there (converted where it is read and saved).
CodePage SystemCodePage() { return CodePage::Utf8; }

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

namespace {

char32_t DecodeUtf8(std::string_view s, std::size_t n) {
    const auto b = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(s[i])); };
    switch (n) {
        case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        case 4: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        default: return b(0);
    }
}

// East Asian wide and full-width ranges (half-width katakana are not among them).
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

int CharColumns(std::string_view s, CodePage cp) {
    const std::size_t n = CharLength(s, cp);
    if (cp == CodePage::Cp932) return static_cast<int>(n);
    return (n > 1 && IsWide(DecodeUtf8(s, n))) ? 2 : 1;
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

namespace {

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = Utf8SequenceLength(c);
        if (n == 1 || i + n > s.size()) return false;
        const auto c1 = static_cast<unsigned char>(s[i + 1]);
        // The second byte's range excludes overlong forms, surrogates and
        // code points beyond U+10FFFF.
        unsigned char lo = 0x80;
        unsigned char hi = 0xBF;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
        if (c1 < lo || c1 > hi) return false;
        for (std::size_t k = 2; k < n; ++k)
            if (!IsUtf8Continuation(static_cast<unsigned char>(s[i + k]))) return false;
        i += n;
    }
    return true;
}

bool IsValidCp932(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (IsCp932Lead(c)) {
            if (i + 1 >= s.size()) return false;
            const auto t = static_cast<unsigned char>(s[i + 1]);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
            i += 2;
            continue;
        }
        if (c == 0x80 || c == 0xA0 || c >= 0xFD) return false;
        ++i;
    }
    return true;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsValidText(std::string_view s, CodePage cp) {
    return cp == CodePage::Utf8 ? IsValidUtf8(s) : IsValidCp932(s);
}

bool EndsWithUpper(std::string_view s, std::string_view upperEnding, CodePage cp) {
    if (s.size() < upperEnding.size()) return false;
    if (cp == CodePage::Cp932) {
        // A trail byte may look like a letter: upper-case from the start.
        const std::string upper = MbUpper(s, cp);
        return std::string_view(upper).substr(s.size() - upperEnding.size()) == upperEnding;
    }
    // In UTF-8 a byte below 0x80 is always a character of its own, so the
    // ending can be folded byte by byte.
    const std::string_view tail = s.substr(s.size() - upperEnding.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (AsciiUpper(tail[i]) != upperEnding[i]) return false;
    return true;
}

std::string_view TrimLeadingBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimBlanks(std::string_view s) {
    s = TrimLeadingBlanks(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}
