// Multibyte text in the system's code page: upper-casing that never touches
// the trail bytes of a double-byte character, and copies and cuts that never
// split a character. Core code passes these byte strings through unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class CodePage {
    Utf8,   // the program's own text, on every platform
    Cp932,  // Shift-JIS: the settings files of the Windows program
};

// The code page of file names and texts inside the program (UTF-8).
CodePage SystemCodePage();

// Length in bytes of the character that starts at s[0] (1 for an invalid or
// truncated sequence, so a walk always makes progress). s must not be empty.
std::size_t CharLength(std::string_view s, CodePage cp = SystemCodePage());

// ASCII letters become capitals; every multibyte character is kept whole.
void MbUpperInPlace(std::string& s, CodePage cp = SystemCodePage());
std::string MbUpper(std::string_view s, CodePage cp = SystemCodePage());

// Columns the character at s[0] takes in a fixed-pitch font: 2 for a
// full-width character, 1 otherwise. In code page 932 that is its byte count.
int CharColumns(std::string_view s, CodePage cp = SystemCodePage());

// The largest length <= maxBytes at which s can be cut without splitting a
// character.
std::size_t CutLength(std::string_view s, std::size_t maxBytes, CodePage cp = SystemCodePage());

// Copies src into dst[dstSize] with a terminator, cut at a character boundary
// when it does not fit. The rest of dst is zero-filled. Returns false when src
// had to be cut.
bool CopyText(char* dst, std::size_t dstSize, std::string_view src, CodePage cp = SystemCodePage());

// The white space that every text the program trims loses: C's isspace in
// the "C" locale. No byte of it is part of a multibyte character in either
// code page, so trimming never splits one.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
// s without the blanks at its start.
std::string_view TrimLeadingBlanks(std::string_view s);
// s without the blanks at either end.
std::string_view TrimBlanks(std::string_view s);

// True when src (plus terminator) fits in a field of fieldSize bytes.
inline bool FitsField(std::string_view src, std::size_t fieldSize) { return src.size() < fieldSize; }

// True when s is a well-formed text in the code page: in UTF-8 no stray,
// overlong or surrogate sequence; in code page 932 no lead byte without its
// trail byte and no byte that starts no character.
bool IsValidText(std::string_view s, CodePage cp = SystemCodePage());

// True when s ends in upperEnding once s is upper-cased by MbUpper. Only what
// the comparison needs is upper-cased, and nothing is allocated in UTF-8.
bool EndsWithUpper(std::string_view s, std::string_view upperEnding, CodePage cp = SystemCodePage());
