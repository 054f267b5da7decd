// The command-line option -d: compare at start and close when nothing differs.
#pragma once

#include <string>
#include <vector>

// True when the first hyphen in the arguments (the program path excluded),
// read as one line with the arguments separated by blanks, is followed by a
// lower-case d. Only that first hyphen counts: "-D", "/d" and a "-d" after
// another hyphenated argument do not.
bool HasCompareAtStartOption(const std::vector<std::string>& args);
