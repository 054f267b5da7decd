// The settings file's block rules applied to its text in memory. The reader
// and the writer agree on exactly these rules, and existing files depend on
// them, so they are kept byte for byte:
// - a line ends at an LF; one CR directly before it is dropped; a last line
//   without an LF is still a line;
// - a block starts at the first line of the file or after a block end, and
//   only the first line of a block can be a section header;
// - the reader ends a block at a line of at most 2 bytes and matches a header
//   exactly; the writer ends a block at a line of at most 2 bytes with its LF
//   and takes any line that begins with the header text;
// - a key line is any line that begins with the key's bytes; the value starts
//   after the key and the one byte that follows it;
// - every line written ends with CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The lines of a settings file as the reader sees them.
std::vector<std::string_view> SplitIniLines(std::string_view text);

// The value of key in section: searched from the section's header line to the
// end of the file, across later block ends and headers. nullopt when the
// section or the key is not found.
std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key);

// A value as a number, converted like the C library's atoi from at most its
// first 255 bytes: leading white space, an optional sign, decimal digits.
// No digits give 0; values beyond the 32-bit range saturate.
std::int32_t IniValueToInt(std::string_view value);

// The whole file after writing key=value into section: a key line in the
// section's first block is replaced where it stands, a missing key gets a
// block of its own right after that block, a missing section is added at the
// end. Every other line is kept as read, now ending in CR LF.
std::string ApplyIniWrite(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value);

// False when s holds a CR or an LF, which would break the file's lines.
bool IsSingleLine(std::string_view s);
