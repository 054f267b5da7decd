// zoruna --sync: compare, copy every listed file, compare again.
#pragma once

#include <cstdio>

// Returns the exit status: 0 when everything was copied and nothing differs
// afterwards, 1 otherwise, 2 when a pair could not be listed, 128 + the
// signal when SIGINT or SIGTERM stopped the copy (the file in progress is
// abandoned, the comparison still runs once more).
int RunSync(std::FILE* out, std::FILE* err);
