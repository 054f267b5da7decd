// Plain fixed-size records for the registered directory pairs and the result
// of a comparison. Both tables are held by value by their owner; nothing here
// allocates.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

inline constexpr int MAX_DIR_PAIRS = 10;  // capacity of a DirPairTable
inline constexpr int MAX_MASKS = 10;      // exclusion masks per pair
inline constexpr int MASK_LEN = 64;       // bytes per mask slot, terminator included
inline constexpr int MAX_DIFFS = 5000;    // capacity of a DiffTable
#ifndef MAX_PATH
inline constexpr int MAX_PATH = 260;      // bytes of a directory field, terminator included
#endif
// The longest directory text a pair holds (a path field less its terminator).
inline constexpr std::size_t MAX_DIR_BYTES = MAX_PATH - 1;
// The longest mask a slot holds.
inline constexpr std::size_t MAX_MASK_BYTES = MASK_LEN - 1;
// A file name is kept whole: every name the platform delivers fits (255 bytes
// on Linux, 259 on Windows), because the copy rebuilds paths from it.
inline constexpr int DIFF_NAME_LEN = 260;

struct DirPair {
    char dirA[MAX_PATH];
    char dirB[MAX_PATH];
    char masks[MAX_MASKS][MASK_LEN];  // list ends at the first empty slot
    // Compare the whole trees below dirA and dirB, not only the files
    // directly inside them.
    bool subdirs;

    bool operator==(const DirPair&) const = default;
};

struct DirPairTable {
    std::int32_t count;  // registered pairs occupy slots 0..count-1
    DirPair pairs[MAX_DIR_PAIRS];

    // Field by field: the table has padding bytes, which a byte comparison
    // would count.
    bool operator==(const DirPairTable&) const = default;
};

// Seconds since 1970-01-01 UTC; 64 bits so that times after January 2038 do
// not wrap. 0 means "the side has no such file".
using FileTime = std::int64_t;

// What the comparison saw of one side's file, beyond its time in seconds:
// enough for the copy to tell whether it is still the same file in the same
// state. The change time catches a write that kept size and time; device
// and inode a file put in place of another.
struct FileStamp {
    FileTime mtime;
    FileTime ctime;
    std::uint64_t size;
    std::uint64_t device;
    std::uint64_t inode;
    std::int32_t mtimeNsec;
    std::int32_t ctimeNsec;
    // False in a table not made by the comparison: only the time in seconds
    // is known.
    bool seen;

    bool operator==(const FileStamp&) const = default;
};

struct DiffEntry {
    std::uint8_t pairIndex;       // slot of the pair in DirPairTable.pairs
    char name[DIFF_NAME_LEN];     // spelled as in A when the file exists there, else as in B
    char nameB[DIFF_NAME_LEN];    // spelled as in B when the file exists there, else empty
    FileTime timeA;               // meaningful only when inA
    FileTime timeB;               // meaningful only when inB
    // Which sides have the file. Kept apart from the times: a file may well
    // be dated 0 (1 January 1970) or earlier.
    bool inA;
    bool inB;
    FileStamp stampA;             // meaningful only when inA
    FileStamp stampB;             // meaningful only when inB
    // In both, the same time as far as the file systems tell, but not the
    // same size: which one is newer cannot be told, so it is never copied.
    bool undecided;
};

struct DiffTable {
    std::int32_t count;  // valid entries 0..count-1; the rest are zero bytes
    DiffEntry entries[MAX_DIFFS];
};

// What an entry tells of its file, derived from its sides and times (never
// stored).
enum class DiffKind {
    OnlyInA,
    OnlyInB,
    ANewer,
    BNewer,
    // In both with the same time but not the same size: no side is newer.
    Undecided,
};

inline DiffKind KindOf(const DiffEntry& e) {
    if (!e.inA) return DiffKind::OnlyInB;
    if (!e.inB) return DiffKind::OnlyInA;
    if (e.undecided) return DiffKind::Undecided;
    // Within the same second the comparison has told the sides apart by
    // their fractions of a second.
    if (e.timeB == e.timeA && e.stampA.seen && e.stampB.seen)
        return e.stampB.mtimeNsec >= e.stampA.mtimeNsec ? DiffKind::BNewer : DiffKind::ANewer;
    return e.timeB >= e.timeA ? DiffKind::BNewer : DiffKind::ANewer;
}

// The copy goes from A to B exactly when B is absent or B is the older side.
// An undecided entry has no direction; the copy refuses it.
inline bool CopiesAToB(const DiffEntry& e) {
    const DiffKind kind = KindOf(e);
    return kind == DiffKind::OnlyInA || kind == DiffKind::ANewer;
}

// Name of the entry's file in directory B.
inline const char* NameInB(const DiffEntry& e) { return e.nameB[0] ? e.nameB : e.name; }

// The text of a fixed-size, NUL-terminated field (the whole field when it has
// no terminator).
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}
