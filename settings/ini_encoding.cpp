#include "settings/ini_encoding.h"

#ifdef _WIN32
#include <windows.h>
#endif

#ifdef _WIN32
namespace {

bool StartsWithBom(std::string_view text) { return text.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

constexpr UINT kCp932 = 932;

// text converted from one code page to another through UTF-16; false when
// a character has no form in the other code page or the input is not valid.
bool Convert(std::string_view text, UINT from, UINT to, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    const int wideLength =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(),
                        wideLength);
    // Code page 932 takes no best-fit stand-ins: a character it lacks must
    // be noticed, not written as a look-alike.
    BOOL usedDefault = FALSE;
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* lossy = to == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(to, flags, wide.data(), wideLength, nullptr, 0, nullptr, lossy);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(to, flags, wide.data(), wideLength, out.data(), n, nullptr, lossy);
    return !usedDefault;
}

}  // namespace
#endif

std::string SettingsTextOfFile(std::string_view bytes) {
#ifdef _WIN32
    std::string text;
    if (!StartsWithBom(bytes) && Convert(bytes, kCp932, CP_UTF8, text)) return text;
#endif
    // UTF-8 (and on Windows a file that is not code page 932 either: its
    // bytes are kept as they are rather than turned into question marks).
    return std::string(bytes);
}

std::string SettingsFileOfText(std::string_view text) {
#ifdef _WIN32
    // A UTF-8 file stays one.
    if (StartsWithBom(text)) return std::string(text);
    std::string bytes;
    // Code page 932 only where that gives the same text back.
    std::string again;
    if (Convert(text, CP_UTF8, kCp932, bytes) && Convert(bytes, kCp932, CP_UTF8, again) && again == text)
        return bytes;
    return std::string(kUtf8Bom) + std::string(text);
#else
    // Linux keeps UTF-8, with the byte-order mark where the file had one.
    return std::string(text);
#endif
}
