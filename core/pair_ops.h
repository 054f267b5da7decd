// Window-free operations behind the directory-pair dialogs.
#pragma once

#include <string>
#include <string_view>

#include "core/records.h"

// The columns of one line of the pair list (TextId::PairLine puts them
// together): "%2d" of index + 1, and "%-20.25s" of dirA and of dirB, where a
// 25-byte cut never splits a character. A pair that compares whole trees has
// " +" right after dirB, inside its 25 columns (dirB is then cut after 23).
struct PairLineColumns {
    std::string number, dirA, dirB;
};
PairLineColumns PairLineColumnsOf(int index, const DirPair& pair);

// Removes the entries at the given distinct, ascending indices; later pairs
// move down and the freed slots at the end become all zero bytes.
void RemovePairs(DirPairTable& table, const int* indices, int n);

enum class DirInputCheck { Accept, AMissing, BMissing, Same };

// Validation of the two directory texts of the input dialog (already stripped
// of leading white space).
DirInputCheck CheckDirInput(std::string_view textA, std::string_view textB);
