#include "core/copy.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "core/copy_dirs.h"
#include "core/copy_flush.h"
#include "core/temp_name.h"

namespace {

// rel split at its last '/' into folder and name (the folder empty at the top).
std::pair<std::string, std::string> SplitRelative(std::string_view rel) {
    const std::size_t slash = rel.rfind('/');
    if (slash == std::string_view::npos) return {std::string(), std::string(rel)};
    return {std::string(rel.substr(0, slash)), std::string(rel.substr(slash + 1))};
}

}  // namespace

CopyPlan PlanCopy(const DirPair& pair, const DiffEntry& entry) {
    const std::string_view nameA = FieldText(entry.name);
    const std::string_view nameB = NameInB(entry);
    CopyPlan plan{};
    const bool aToB = CopiesAToB(entry);
    plan.fromDir = aToB ? pair.dirA : pair.dirB;
    plan.toDir = aToB ? pair.dirB : pair.dirA;
    plan.sourceName = aToB ? nameA : nameB;
    plan.destinationName = aToB ? nameB : nameA;
    FileCopyRequest& r = plan.request;
    r.sourceTop = plan.fromDir;
    std::tie(r.sourceRel, r.sourceName) = SplitRelative(plan.sourceName);
    r.destinationTop = plan.toDir;
    std::tie(r.destinationRel, r.destinationName) = SplitRelative(plan.destinationName);
    r.destinationDir = r.destinationRel.empty() ? r.destinationTop
                                                : ReachedDirectory::JoinRelative(r.destinationTop, r.destinationRel);
    r.destinationExisted = aToB ? entry.inB : entry.inA;
    r.comparedDestinationTime = aToB ? entry.timeB : entry.timeA;
    r.comparedSource = aToB ? entry.stampA : entry.stampB;
    if (r.destinationExisted) r.comparedDestination = aToB ? entry.stampB : entry.stampA;
    return plan;
}

namespace {

// A folder that could not be made: something other than a folder in its
// place (EEXIST, or a link on the way) is protected; a source folder that
// became a link is no source.
FileCopyResult DirectoryFailure(int error) {
    if (error == EEXIST) return FileCopyResult::DestinationProtected;
    if (error == ELOOP || error == ENOTDIR) return FileCopyResult::SourceUnavailable;
    return FileCopyResult::WriteFailed;
}

bool IsRegisteredPair(const DirPairTable& pairs, const DiffEntry& entry) {
    return entry.pairIndex < pairs.count && entry.pairIndex < MAX_DIR_PAIRS;
}

// The size of every selected row's source as it is now (0 where it cannot be
// read: that file will fail anyway). Index: row.
std::vector<std::uint64_t> PlannedSizes(const DirPairTable& pairs, const DiffTable& diffs, int rows,
                                        const RowSelectedFn& isSelected, FileSystem& fs, int& selected) {
    std::vector<std::uint64_t> sizes(static_cast<std::size_t>(rows), 0);
    DirectoryCache dirs(fs);
    selected = 0;
    for (int r = 0; r < rows; ++r) {
        if (!isSelected(r)) continue;
        ++selected;
        const DiffEntry& entry = diffs.entries[r];
        if (!IsRegisteredPair(pairs, entry)) continue;
        const CopyPlan plan = PlanCopy(pairs.pairs[entry.pairIndex], entry);
        const SharedDirectory from = dirs.Get(plan.request.sourceTop, plan.request.sourceRel);
        FileStatus st;
        if (from->error() == 0 && fs.GetStatusAt(from->handle(), from->path(), plan.request.sourceName, st) &&
            st.isFile)
            sizes[static_cast<std::size_t>(r)] = st.size;
    }
    return sizes;
}

// One run: files are copied to their temporary names in batches; each batch
// is flushed at once and then put in place.
class CopyRun {
public:
    CopyRun(FileSystem& fs, RunObserver& observer, const CopyOptions& options)
        : m_fs(fs), m_observer(observer), m_options(options), m_copier(fs, m_creationMask, options.durability) {}

    // Copies one row's file to its temporary name; false when the observer
    // asked to stop.
    bool Prepare(int row, const DiffEntry& entry, const DirPair& pair, std::uint64_t plannedSize,
                 std::uint64_t total, std::uint64_t& done) {
        const CopyPlan plan = PlanCopy(pair, entry);
        m_observer.OnFileStart(row, entry, plan.fromDir, plan.toDir);
        if (const int error = MakeDirectories(plan)) {
            done += plannedSize;
            m_observer.OnProgress(done, total);
            Fail(row, entry, DirectoryFailure(error), error);
            return true;
        }
        const FileCopyRequest& request = plan.request;
        Pending pending{row, &entry, {}};
        // The bar never passes the total: a source that grew since the
        // sizes were taken counts with its planned size.
        const FileCopyResult result = m_copier.Prepare(
            request,
            [&](std::uint64_t copied) {
                m_observer.OnProgress(done + std::min(copied, plannedSize), total);
                return !m_observer.StopRequested();
            },
            pending.prepared);
        if (result == FileCopyResult::Stopped) return false;
        done += plannedSize;
        m_observer.OnProgress(done, total);
        if (result != FileCopyResult::Copied) {
            Fail(row, entry, result, m_copier.LastError());
            return true;
        }
        m_batchBytes += pending.prepared.source.size;
        m_batch.push_back(std::move(pending));
        if (static_cast<int>(m_batch.size()) >= m_options.batchFiles || m_batchBytes >= m_options.batchBytes)
            Finish();
        return true;
    }

    void Fail(int row, const DiffEntry& entry, FileCopyResult reason, int error) {
        ++m_summary.failed;
        m_observer.OnFailure(row, entry, reason, error);
    }

    // Flushes the batch's temporary files, puts them in place, flushes
    // their directories and reports each file. A file whose data or name
    // may not have reached the disk is reported as failed: one whose data
    // was not flushed is not put in place at all.
    void Finish() {
        FlushFailures dataFailures;
        if (m_options.durability == Durability::FileSystem) {
            std::set<std::string> dirs;
            for (const Pending& p : m_batch) dirs.insert(p.prepared.request.destinationDir);
            dataFailures = SyncFileSystemsOf(m_fs, dirs);
        }
        std::set<std::string> renamedIn;
        for (Pending& p : m_batch) {
            const std::string& dir = p.prepared.request.destinationDir;
            if (const auto failed = dataFailures.find(dir); failed != dataFailures.end()) {
                p.result = FileCopyResult::WriteFailed;
                p.error = failed->second;
                continue;
            }
            m_copier.ClearError();
            p.result = m_copier.Commit(p.prepared);
            p.error = m_copier.LastError();
            if (InPlace(p.result)) renamedIn.insert(dir);
        }
        // The new names, and the directories made for them, reach the disk
        // before the run reports them done.
        if (m_options.durability != Durability::None) {
            renamedIn.merge(m_dirs.TakeNewEntries());
            const FlushFailures nameFailures = m_options.durability == Durability::FileSystem
                                                   ? SyncChangedFolders(m_fs, renamedIn)
                                                   : SyncDirectories(m_fs, renamedIn);
            for (Pending& p : m_batch) {
                const int error = FailedFlushAbove(nameFailures, p.prepared.request.destinationDir);
                if (InPlace(p.result) && error != 0) {
                    p.result = FileCopyResult::WriteFailed;
                    p.error = error;
                }
            }
        }
        std::vector<Pending> batch = std::move(m_batch);
        m_batch.clear();
        m_batchBytes = 0;
        for (const Pending& p : batch) {
            if (p.result == FileCopyResult::Copied) {
                ++m_summary.copied;
                m_observer.OnCopied(p.row, *p.entry);
            } else {
                Fail(p.row, *p.entry, p.result, p.error);
            }
        }
    }

    // Puts the last batch in place and gives the directories made their
    // source's bits and times.
    void End() {
        Finish();
        m_dirs.Finish();
    }

    CopyRunSummary& summary() { return m_summary; }

private:
    // The destination's subfolders of a file in a tree, created where they
    // are missing. Returns 0 or the errno of the failure.
    int MakeDirectories(const CopyPlan& plan) {
        const FileCopyRequest& r = plan.request;
        if (r.destinationRel.empty()) return 0;
        return m_dirs.Ensure(r.sourceTop, r.sourceRel, r.destinationTop, r.destinationRel);
    }

    struct Pending {
        int row;
        const DiffEntry* entry;
        PreparedCopy prepared;
        FileCopyResult result = FileCopyResult::Copied;
        int error = 0;
    };

    FileSystem& m_fs;
    RunObserver& m_observer;
    const CopyOptions& m_options;
    CreationMaskCache m_creationMask{m_fs};  // one read of the umask for files and folders
    FileCopier m_copier;
    DirectoryMaker m_dirs{m_fs, m_creationMask};
    std::vector<Pending> m_batch;
    std::uint64_t m_batchBytes = 0;
    CopyRunSummary m_summary;
};

}  // namespace

CopyRunSummary CopySelectedFiles(const DirPairTable& pairs, const DiffTable& diffs, int rows,
                                 const RowSelectedFn& isSelected, FileSystem& fs, RunObserver& observer,
                                 const CopyOptions& options) {
    CopyRun run(fs, observer, options);
    CopyRunSummary& summary = run.summary();
    rows = std::clamp(rows, 0, static_cast<int>(diffs.count));
    int selected = 0;
    const std::vector<std::uint64_t> planned = PlannedSizes(pairs, diffs, rows, isSelected, fs, selected);
    std::uint64_t total = 0;
    for (const std::uint64_t size : planned) total += size;

    std::uint64_t done = 0;  // planned bytes of the files already dealt with
    observer.OnProgress(0, total);
    int handled = 0;
    for (int r = 0; r < rows && handled < selected; ++r) {
        if (!isSelected(r)) continue;
        if (observer.StopRequested()) {
            summary.stopped = true;
            break;
        }
        ++handled;
        const DiffEntry& entry = diffs.entries[r];
        const std::uint64_t fileSize = planned[static_cast<std::size_t>(r)];
        if (!IsRegisteredPair(pairs, entry) || entry.undecided) {
            done += fileSize;
            observer.OnProgress(done, total);
            run.Fail(r, entry, entry.undecided ? FileCopyResult::DirectionUnknown : FileCopyResult::SourceUnavailable,
                     0);
            continue;
        }
        if (!run.Prepare(r, entry, pairs.pairs[entry.pairIndex], fileSize, total, done)) {
            summary.stopped = true;
            break;
        }
    }
    run.End();
    summary.selected = selected;
    return summary;
}

int RemoveCopyLeftovers(const DirPairTable& pairs, const std::vector<CopyLeftover>& leftovers, FileSystem& fs) {
    int removed = 0;
    DirectoryCache dirs(fs);
    for (const CopyLeftover& l : leftovers) {
        if (l.pairIndex < 0 || l.pairIndex >= std::min(pairs.count, MAX_DIR_PAIRS)) continue;
        const DirPair& pair = pairs.pairs[l.pairIndex];
        const SharedDirectory dir = dirs.Get(l.side == PairSide::A ? pair.dirA : pair.dirB, l.rel);
        if (RemoveCopyLeftover(fs, *dir, l.name)) ++removed;
    }
    return removed;
}
