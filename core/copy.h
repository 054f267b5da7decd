// The synchronising copy without any window: copies the selected rows of the
// last comparison from the newer (or only) side of their pair to the other
// side, and tells its user interface what happens through a CopyObserver.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/compare.h"
#include "core/copy_file.h"
#include "core/filesystem.h"
#include "core/records.h"

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

// What the copy reports while it runs, all on the calling thread. Every call
// has an empty default so that an observer overrides only what it shows.
// A window shows the three lines in OnFileStart, moves its bar in
// OnProgress (let the window repaint there: the copy gives control back
// between chunks of at most FileCopier::kChunkBytes) and shows the message
// box in OnFailure.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;

    // Before the file of `row` is opened: its name (entry.name) and the
    // directories it goes from and to, i.e. the progress window's three lines.
    virtual void OnFileStart(int /*row*/, const DiffEntry& /*entry*/, const char* /*fromDir*/,
                             const char* /*toDir*/) {}
    // Bytes done out of the total size of the selected sources, measured at
    // the start of the run. A failed file counts as done in full, so the
    // figure always reaches the total; done never exceeds it.
    virtual void OnProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
    // The file of `row` now has the source's content and modification time.
    virtual void OnCopied(int /*row*/, const DiffEntry& /*entry*/) {}
    // The file of `row` was left alone, for `reason`; error is the errno of
    // the call that failed (0 when no call failed, e.g. a changed file). The
    // run goes on with the next row when this returns.
    virtual void OnFailure(int /*row*/, const DiffEntry& /*entry*/, FileCopyResult /*reason*/, int /*error*/) {}
    // Asked before each file and between chunks: true abandons the file in
    // progress (its destination untouched, the temporary file removed) and
    // ends the run. Files already copied in full are still put in place and
    // reported.
    virtual bool StopRequested() { return false; }
};

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
                                 const RowSelectedFn& isSelected, FileSystem& fs, CopyObserver& observer,
                                 const CopyOptions& options = {});

// Removes the leftovers of dead copies that a comparison of these pairs
// found, each only when it is still marked as the copy's and nobody holds it.
// Returns how many were removed.
int RemoveCopyLeftovers(const DirPairTable& pairs, const std::vector<CopyLeftover>& leftovers, FileSystem& fs);
