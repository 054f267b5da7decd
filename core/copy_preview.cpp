#include "core/copy_preview.h"

#include <algorithm>

CopyPreview PreviewCopy(const DirPairTable& pairs, const DiffTable& diffs, int rows, const RowSelectedFn& isSelected) {
    CopyPreview preview;
    rows = std::clamp(rows, 0, static_cast<int>(diffs.count));
    const int registered = std::min(static_cast<int>(pairs.count), MAX_DIR_PAIRS);
    for (int r = 0; r < rows; ++r) {
        if (!isSelected(r)) continue;
        const DiffEntry& e = diffs.entries[r];
        // The same rows that the copy refuses without touching anything.
        if (e.pairIndex >= registered || e.undecided) {
            ++preview.refused;
            continue;
        }
        const bool toB = CopiesAToB(e);
        CopyDirectionCounts& way = toB ? preview.toB : preview.toA;
        ++way.files;
        if (toB ? e.inB : e.inA) ++way.replacing;
        const FileStamp& source = toB ? e.stampA : e.stampB;
        if (source.seen) preview.bytes += source.size;
    }
    return preview;
}
