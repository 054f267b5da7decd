// The synchronising copy without any window: copies the selected rows of the
// last comparison from the newer (or only) side of their pair to the other
// side, and tells its user interface what happens through a RunObserver.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/compare.h"
#include "core/copy_file.h"
#include "core/filesystem.h"
#include "core/records.h"
#include "core/run_observer.h"

// Where one entry's file comes from and goes to.
struct CopyPlan {
    const char* fromDir;  // the source directory of the pair
    const char* toDir;    // the destination directory of the pair
    // The file's path relative to each, as that side spells it; a pair that
    // compares whole trees has '/' between the components.
    std::string_view sourceName;
    std::string_view destinationName;
    // The same split into folder and name, with what the comparison saw.
    FileCopyRequest request;
};

// A to B when A is the only or the newer side, otherwise B to A. In B the
// file is named by NameInB, so that where names differ only in case B's own
// file is replaced. The views of the plan point into entry.
CopyPlan PlanCopy(const DirPair& pair, const DiffEntry& entry);

struct CopyOptions {
    Durability durability = Durability::FileSystem;
    // Files copied to their temporary names before one flush and the
    // renames; a batch ends at whichever limit it reaches first.
    int batchFiles = 256;
    std::uint64_t batchBytes = 64u << 20;
};

// Whether row r of the results list is selected.
using RowSelectedFn = std::function<bool(int row)>;

struct CopyRunSummary {
    int selected = 0;
    int copied = 0;
    int failed = 0;
    bool stopped = false;  // the observer asked to stop before every selected file was dealt with
};

// Copies the file of every selected row r (0 <= r < rows; row r shows
// diffs.entries[r]) in row order and stops once every selected file has been
// dealt with. A failure is reported at once and the run goes on with the next
// row; a file copied in full is reported when its batch is in place, so a
// failure can be heard before the success of an earlier row. A file whose
// subfolder is missing at the destination gets it created first. An entry whose
// pair slot is no longer registered, or whose newer side is unknown
// (undecided), fails without touching anything. Nothing of a file that fails
// is changed, and no file is ever deleted or moved.
CopyRunSummary CopySelectedFiles(const DirPairTable& pairs, const DiffTable& diffs, int rows,
                                 const RowSelectedFn& isSelected, FileSystem& fs, RunObserver& observer,
                                 const CopyOptions& options = {});

// Removes the leftovers of dead copies that a comparison of these pairs
// found, each only when it is still marked as the copy's and nobody holds it.
// Returns how many were removed.
int RemoveCopyLeftovers(const DirPairTable& pairs, const std::vector<CopyLeftover>& leftovers, FileSystem& fs);
