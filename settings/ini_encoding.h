// The bytes of the settings file and the UTF-8 text the program works on.
// Linux writes and reads UTF-8 as it is. On Windows a file without a UTF-8
// byte-order mark is code page 932 (Shift-JIS), as the Windows program has
// always written it, and it is saved in code page 932 again; only a text
// that code page 932 cannot hold (a name with a character outside it) is
// saved as UTF-8 with the mark, so that no name is ever lost or changed. A
// file with the mark stays UTF-8.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The text of the file's bytes (a UTF-8 file keeps its byte-order mark).
std::string SettingsTextOfFile(std::string_view bytes);
// The bytes to write for text (with or without the byte-order mark).
std::string SettingsFileOfText(std::string_view text);
