#include "core/copy.h"

#include <algorithm>
#include <vector>

CopyPlan PlanCopy(const DirPair& pair, const DiffEntry& entry) {
    const char* nameA = entry.name;
    const char* nameB = NameInB(entry);
    if (CopiesAToB(entry))
        return {pair.dirA, pair.dirB, JoinPath(pair.dirA, nameA), JoinPath(pair.dirB, nameB), entry.timeB};
    return {pair.dirB, pair.dirA, JoinPath(pair.dirB, nameB), JoinPath(pair.dirA, nameA), entry.timeA};
}

namespace {

bool IsRegisteredPair(const DirPairTable& pairs, const DiffEntry& entry) {
    return entry.pairIndex < pairs.count && entry.pairIndex < MAX_DIR_PAIRS;
}

// The size of every selected row's source as it is now (0 where it cannot be
// read: that file will fail anyway). Index: row.
std::vector<std::uint64_t> PlannedSizes(const DirPairTable& pairs, const DiffTable& diffs, int rows,
                                        const RowSelectedFn& isSelected, FileSystem& fs, int& selected) {
    std::vector<std::uint64_t> sizes(static_cast<std::size_t>(rows), 0);
    selected = 0;
    for (int r = 0; r < rows; ++r) {
        if (!isSelected(r)) continue;
        ++selected;
        const DiffEntry& entry = diffs.entries[r];
        if (!IsRegisteredPair(pairs, entry)) continue;
        FileStatus st;
        if (fs.GetStatus(PlanCopy(pairs.pairs[entry.pairIndex], entry).sourcePath, st) && st.isFile)
            sizes[static_cast<std::size_t>(r)] = st.size;
    }
    return sizes;
}

}  // namespace

CopyRunSummary CopySelectedFiles(const DirPairTable& pairs, const DiffTable& diffs, int rows,
                                 const RowSelectedFn& isSelected, FileSystem& fs, CopyObserver& observer) {
    CopyRunSummary summary;
    rows = std::clamp(rows, 0, static_cast<int>(diffs.count));
    const std::vector<std::uint64_t> planned = PlannedSizes(pairs, diffs, rows, isSelected, fs, summary.selected);
    std::uint64_t total = 0;
    for (const std::uint64_t size : planned) total += size;

    std::uint64_t done = 0;  // planned bytes of the files already dealt with
    observer.OnProgress(0, total);
    FileCopier copier(fs);
    for (int r = 0; r < rows && summary.copied < summary.selected; ++r) {
        if (!isSelected(r)) continue;
        const DiffEntry& entry = diffs.entries[r];
        const std::uint64_t fileSize = planned[static_cast<std::size_t>(r)];

        FileCopyResult result = FileCopyResult::SourceUnavailable;
        copier.ClearError();
        if (IsRegisteredPair(pairs, entry)) {
            const CopyPlan plan = PlanCopy(pairs.pairs[entry.pairIndex], entry);
            observer.OnFileStart(r, entry, plan.fromDir, plan.toDir);
            const FileCopyRequest request{plan.sourcePath, plan.toDir, plan.destinationPath,
                                          plan.comparedDestinationTime};
            result = copier.Copy(request, [&](std::uint64_t copied) {
                observer.OnProgress(done + std::min(copied, fileSize), total);
            });
        }
        done += fileSize;
        observer.OnProgress(done, total);

        if (result == FileCopyResult::Copied) {
            ++summary.copied;
            observer.OnCopied(r, entry);
        } else {
            ++summary.failed;
            observer.OnFailure(r, entry, result, copier.LastError());
        }
    }
    return summary;
}
