// Window-free operations behind the directory-pair dialogs.
#pragma once

#include <string>
#include <string_view>

#include "core/records.h"

// Text of one line of the pair list: "%2d %-20.25s と %-20.25s" of index + 1,
// dirA and dirB, where a 25-byte cut never splits a character. A pair that
// compares whole trees has " +" right after dirB, inside its 25 columns (dirB
// is then cut after 23).
std::string FormatPairLine(int index, const DirPair& pair);

// Removes the entries at the given distinct, ascending indices; later pairs
// move down and the freed slots at the end become all zero bytes.
void RemovePairs(DirPairTable& table, const int* indices, int n);

enum class DirInputCheck { Accept, AMissing, BMissing, Same };

// Validation of the two directory texts of the input dialog (already stripped
// of leading white space).
DirInputCheck CheckDirInput(std::string_view textA, std::string_view textB);
