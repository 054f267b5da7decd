// The comparison engine: fills a DiffTable from the registered pairs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/filesystem.h"
#include "core/records.h"
#include "core/run_observer.h"

// A temporary file of a copy that died, found by a comparison in a pair's
// directory (or in the folder rel below it, '/' between names).
struct CopyLeftover {
    int pairIndex = 0;
    PairSide side = PairSide::A;
    std::string rel;
    std::string name;
};

// The most leftovers a comparison keeps for the copy to remove; any more are
// found again by the next comparison.
inline constexpr std::size_t kMaxLeftovers = 1000;

struct CompareSummary {
    // Differences left out of the table because it was full, per pair slot.
    int omitted[MAX_DIR_PAIRS] = {};
    // Leftovers of copies that died. They never take part in a comparison;
    // only a copy removes them (RemoveCopyLeftovers), a comparison never
    // changes anything.
    std::vector<CopyLeftover> leftovers;
    // The observer asked to stop: the table holds only what was found
    // before, and is no picture of the pairs.
    bool stopped = false;

    int TotalOmitted() const {
        int total = 0;
        for (const int n : omitted) total += n;
        return total;
    }
};

// Whether an entry is to be left out of the table: the pair's slot and the
// entry's name as it would be stored (its `name` field). A left-out entry is
// neither stored nor counted as omitted, so that a caller that copies in
// rounds gets room for the entries it has not tried yet.
using EntrySkipFn = std::function<bool(int pairIndex, std::string_view name)>;

// The number of threads a comparison lists directories with by default: the
// cores and a few more for slow mounts.
int DefaultCompareWorkers();

struct CompareOptions {
    // Threads that list directories (0: DefaultCompareWorkers(), 1: all on
    // the calling thread).
    int workers = 0;
    // Every entry for which this returns true is left out.
    EntrySkipFn skip;
};

// Compares every registered pair and replaces diffs with the result. A pair
// with subdirs compares the trees below its directories: an entry is then
// named by its path relative to the pair's directory, components joined by
// '/'; matching and masks work on each directory level as at the top (a
// masked directory leaves out its tree); links to directories are not
// followed. Entries come directory by directory, depth first, each
// directory's files before its subdirectories. The entries, their order and
// the failures reported are the same for any number of workers. The
// observer hears of progress and of directories that cannot be listed (on
// the calling thread) and is asked whether to stop (from any thread).
CompareSummary CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs, RunObserver& observer,
                          const CompareOptions& options = {});
