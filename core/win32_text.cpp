#include "core/win32_text.h"

#ifdef _WIN32

#include <windows.h>

#include <cerrno>

bool Utf8ToWide(std::string_view text, std::wstring& out) {
    out.clear();
    if (text.empty()) return true;
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0) {
        errno = EILSEQ;
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n);
    return true;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

bool LongWidePath(const std::string& path, std::wstring& out) {
    std::wstring wide;
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    if (!Utf8ToWide(path, wide)) return false;
    // Already in the long form: Windows takes it as it is.
    if (StartsWith(wide, kLongPrefix)) {
        out = std::move(wide);
        return true;
    }
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full;
    while (n > 0) {
        full.resize(n);
        const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
        if (got < n) {
            full.resize(got);
            break;
        }
        n = got;  // the current folder changed meanwhile: once more
    }
    if (n == 0) {
        errno = ENOENT;
        return false;
    }
    if (StartsWith(full, L"\\\\.\\")) {  // a device: no prefix applies
        out = std::move(full);
    } else if (StartsWith(full, L"\\\\")) {
        out = std::wstring(kLongUncPrefix) + full.substr(2);
    } else {
        out = std::wstring(kLongPrefix) + full;
    }
    return true;
}

bool RelativeWideName(const std::string& name, std::wstring& out) {
    if (!Utf8ToWide(name, out)) return false;
    bool bad = out.empty() || out.front() == L'/' || out.front() == L'\\' || out.find(L':') != std::wstring::npos;
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    for (std::size_t start = 0; !bad && start <= out.size();) {
        std::size_t end = out.find(L'\\', start);
        if (end == std::wstring::npos) end = out.size();
        const std::wstring_view part(out.data() + start, end - start);
        bad = part.empty() || part == L"." || part == L"..";
        start = end + 1;
    }
    if (bad) {
        errno = EINVAL;
        return false;
    }
    return true;
}

std::string PlainPath(std::wstring_view path) {
    if (StartsWith(path, kLongUncPrefix)) return "\\\\" + WideToUtf8(path.substr(kLongUncPrefix.size()));
    if (StartsWith(path, kLongPrefix)) return WideToUtf8(path.substr(kLongPrefix.size()));
    return WideToUtf8(path);
}

#endif  // _WIN32
