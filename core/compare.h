// The comparison engine: fills a DiffTable from the registered pairs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/filesystem.h"
#include "core/records.h"

// Called once per directory that cannot be listed, with the full message text
// (two lines, no trailing line break). The caller shows it; the run goes on
// with the next pair after the callback returns.
using ListingFailureHandler = std::function<void(const std::string& message)>;

// "ﾃﾞｨﾚｸﾄﾘ "<failed>" の参照に失敗しました。\n"<other>" との比較は行いません。"
std::string FormatListingFailure(const char* failedDir, const char* otherDir);

// Names of the files (not directories or other entries) directly inside dir.
// Returns 0 when dir could be listed, 1 otherwise (names left as they were).
int ListFiles(FileSystem& fs, const std::string& dir, std::vector<std::string>& names);

// Compares every registered pair and replaces diffs with the result.
void CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs,
                const ListingFailureHandler& onListingFailure);
