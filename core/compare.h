// The comparison engine: fills a DiffTable from the registered pairs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/filesystem.h"
#include "core/records.h"

enum class PairSide : std::uint8_t { A, B };

// A directory of a pair that could not be listed. When it is a pair's own
// directory, that pair is not compared; when it is a subdirectory (a pair
// that compares whole trees), only the tree below it is left out. A
// subdirectory whose files' paths would not fit an entry is reported with
// ENAMETOOLONG.
struct ListingFailure {
    int pairIndex = 0;
    PairSide failedSide = PairSide::A;
    std::string failedDir;  // the directory that could not be listed
    std::string otherDir;   // the pair's other directory
    int error = 0;          // errno of the failed call
};

// Called once per directory that cannot be listed. The caller words and
// shows it; the run goes on with the next pair after the callback returns.
using ListingFailureHandler = std::function<void(const ListingFailure& failure)>;

// Names of the files (not directories or other entries) directly inside dir.
// Returns 0 when dir could be listed, otherwise the errno of the failure
// (names left as they were).
int ListFiles(FileSystem& fs, const std::string& dir, std::vector<std::string>& names);

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

// Compares every registered pair and replaces diffs with the result. A pair
// with subdirs compares the trees below its directories: an entry is then
// named by its path relative to the pair's directory, components joined by
// '/'; matching and masks work on each directory level as at the top (a
// masked directory leaves out its tree); links to directories are not
// followed. Entries come directory by directory, depth first, each
// directory's files before its subdirectories. The directories are listed
// by up to `workers` threads (0: DefaultCompareWorkers(), 1: all on the
// calling thread); the entries, their order and the failures reported are
// the same for any number. onListingFailure is called on the calling
// thread, in pair order and within a pair in the order of the entries.
// Every entry for which skip (when given) returns true is left out.
CompareSummary CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs,
                          const ListingFailureHandler& onListingFailure, int workers = 0,
                          const EntrySkipFn& skip = {});
