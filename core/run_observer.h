// What a comparison or a copy tells its user interface while it runs: the
// window and the -- options implement the one interface, the core never
// shows or words anything itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "core/records.h"

enum class PairSide : std::uint8_t { A, B };

// Why a file was left alone (core/copy_file.h).
enum class FileCopyResult;

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

// How often a comparison reports its progress.
inline constexpr std::chrono::milliseconds kListingProgressInterval{100};

// How far a comparison has come, both sides of every pair together.
struct ListingProgress {
    std::uint64_t folders = 0;  // directories listed
    std::uint64_t files = 0;    // files seen in them
    std::string folder;         // the directory listed most recently
};

// Every call has an empty default, so that an observer overrides only what
// it shows. StopRequested may be called from any thread at any time (keep
// it to an atomic flag); every other call comes on the thread that called
// CompareAll or CopySelectedFiles, one at a time, and the run waits for it
// to return: a window hands the call over to its own thread and may wait
// there for the user's answer.
class RunObserver {
public:
    virtual ~RunObserver() = default;

    // True ends the run as soon as it can: a comparison leaves out what it
    // has not listed yet; a copy abandons the file in progress (its
    // destination untouched, the temporary file removed), while files
    // already copied in full are still put in place and reported.
    virtual bool StopRequested() { return false; }

    // --- comparison
    // About every kListingProgressInterval while directories are listed, and
    // once at the end.
    virtual void OnListingProgress(const ListingProgress& /*progress*/) {}
    // Once per directory that cannot be listed, in pair order and within a
    // pair in the order of the entries; the run goes on when this returns.
    virtual void OnListingFailure(const ListingFailure& /*failure*/) {}

    // --- copy
    // Before the file of `row` is opened: its name (entry.name) and the
    // directories it goes from and to, i.e. the progress window's three lines.
    virtual void OnFileStart(int /*row*/, const DiffEntry& /*entry*/, const char* /*fromDir*/,
                             const char* /*toDir*/) {}
    // Bytes done out of the total size of the selected sources, measured at
    // the start of the run, between chunks of at most FileCopier::kChunkBytes.
    // A failed file counts as done in full, so the figure always reaches the
    // total; done never exceeds it.
    virtual void OnProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
    // The file of `row` now has the source's content and modification time.
    virtual void OnCopied(int /*row*/, const DiffEntry& /*entry*/) {}
    // The file of `row` was left alone, for `reason` (a FileCopyResult);
    // error is the errno of the call that failed (0 when no call failed, e.g.
    // a changed file). The run goes on with the next row when this returns.
    virtual void OnFailure(int /*row*/, const DiffEntry& /*entry*/, FileCopyResult /*reason*/, int /*error*/) {}
};
