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

// What the pair input refuses in a directory text.
enum class DirInputProblem {
    None,
    Missing,    // empty once its leading blanks are dropped
    Same,       // B is the same text as A
    LineBreak,  // would break the settings file's line format
    TooLong,    // more than MAX_DIR_BYTES bytes: a cut path would name another directory
};

struct DirInputCheck {
    DirInputProblem problem = DirInputProblem::None;
    bool inB = false;  // the text refused is B's (else A's)
    // The texts a pair stores: as typed, less their leading blanks (trailing
    // blanks are part of a name). Views into the texts checked.
    std::string_view dirA;
    std::string_view dirB;
};

// The checks of the pair input's two directory texts, in the order the user
// is told of them: A missing, B missing, the same, then A's and B's own
// (CheckDirText).
DirInputCheck CheckDirInput(std::string_view textA, std::string_view textB);

// Whether one directory text can be stored as it is: no line break, at most
// MAX_DIR_BYTES bytes.
DirInputProblem CheckDirText(std::string_view text);
