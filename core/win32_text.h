// The UTF-8 of the program and the UTF-16 of the Windows calls, and the
// paths those calls take (Windows only).
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

// UTF-16 of UTF-8 text; false (errno EILSEQ) when text is not valid UTF-8.
bool Utf8ToWide(std::string_view text, std::wstring& out);
// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// path as the wide calls take it: absolute, '\' between names, "." and ".."
// resolved, and with the \\?\ prefix that lifts the limit of 260 characters
// (\\?\UNC\ for \\server\share). False (errno set) when it cannot be formed.
bool LongWidePath(const std::string& path, std::wstring& out);

// A name relative to an open directory ("sub/file.txt") as the NT calls take
// it: '\' between names. False for a name that is absolute, empty or holds
// "." or ".." (those would lead out of the directory).
bool RelativeWideName(const std::string& name, std::wstring& out);

// A path Windows gave (\\?\C:\x, \\?\UNC\s\share\x) as the user writes it.
std::string PlainPath(std::wstring_view path);

#endif  // _WIN32
