// zoruna --sync: compare and copy every difference, then compare again.
#pragma once

#include <cstdio>

#include "core/filesystem.h"
#include "core/records.h"

// Copies every difference through fs, in rounds of at most MAX_DIFFS files when there
// are more: each round compares again and copies what it has not tried yet.
// Prints a line per file copied on out, and on err each copy failure, each
// unreadable directory once and a last line with the number of files copied
// and failed. Returns the exit status: 0 when everything was copied and
// nothing differs afterwards, 1 otherwise, 2 when a pair could not be
// listed, 128 + the signal when SIGINT or SIGTERM stopped a comparison or
// the copy (the file in progress is abandoned, no further round and no
// further comparison starts).
int RunSync(const DirPairTable& pairs, FileSystem& fs, std::FILE* out, std::FILE* err);
