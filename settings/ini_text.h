// The settings file's block rules applied to its text in memory. Reader and
// writer share each rule:
// - a line ends at an LF; one CR directly before it is dropped; a last line
//   without an LF is still a line; a UTF-8 byte-order mark at the very start
//   is not part of the first line (the writer keeps it);
// - a block starts at the first line of the file or after a block end, a line
//   of at most 2 bytes; the first line of a block never ends it;
// - only the first line of a block can be a header, and the header of a
//   section is exactly "[" + name + "]";
// - a key line is any line that begins with the key's bytes; the value starts
//   after the key and the one byte that follows it;
// - a section's keys are looked for from its header up to the next block whose
//   first line begins with "[", across the block ends in between;
// - every line written ends with CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A settings file's text indexed in one pass: where each section's key lines
// lie. A read then scans only its own section. Views into text, which must
// outlive the index.
class IniIndex {
public:
    explicit IniIndex(std::string_view text);

    // The value of key in section, nullopt when the section or the key is
    // not found.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

private:
    // The section's key lines: from the line after its header to the next
    // block that begins with "[" (or the end of the text).
    std::unordered_map<std::string_view, std::string_view> m_sections;  // by header line, first one wins
};

// One read of the whole text (IniIndex for several).
std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key);

// A value as a number, converted like the C library's atoi from at most its
// first 255 bytes: leading white space, an optional sign, decimal digits.
// No digits give 0; values beyond the 32-bit range saturate.
std::int32_t IniValueToInt(std::string_view value);

struct IniKeyWrite {
    std::string key;
    std::string value;
};

struct IniSectionWrite {
    std::string section;
    std::vector<IniKeyWrite> keys;  // in the order they are inserted
    // Keys whose lines go: from the section's block and from the blocks after
    // it up to the next header, so that no older line reads in their place.
    std::vector<std::string> removedKeys = {};
};

// Whether key=value can be written so that it reads back the same: no line
// break in section or key, no LF in the value (a CR reads back), and a key
// line longer than a block end.
bool IsWritableIni(std::string_view section, std::string_view key, std::string_view value);

// The whole file after writing every key of writes into its section. In each
// block headed by the section, a key line is replaced where it stands and a
// key that is missing is inserted at the end of the block, before its block
// end. A missing section is added at the end, after an empty line when the
// file's last block has no block end. Every other line is kept as read, now
// ending in CR LF.
// removeStale: the lines of the written keys that lie between a section's
// block and the next header are removed (the newer value shadows them); a
// block left without lines goes with its block end. The lines of removed keys
// go whatever removeStale says.
std::string ApplyIniWrites(std::string_view text, const std::vector<IniSectionWrite>& writes,
                           bool removeStale);
