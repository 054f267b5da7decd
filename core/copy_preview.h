// What a copy of the selected rows is going to do, told before it starts:
// how many files go each way, how many of them replace a file that is there,
// and how many bytes. The figures come from the comparison's table, i.e. from
// what the user was shown; the copy itself checks the disk again.
#pragma once

#include <cstdint>

#include "core/copy.h"
#include "core/records.h"

struct CopyDirectionCounts {
    int files = 0;      // files copied this way
    int replacing = 0;  // of them, those that replace a file on the other side
    bool operator==(const CopyDirectionCounts&) const = default;
};

struct CopyPreview {
    CopyDirectionCounts toB;  // from A (the only or newer side) to B
    CopyDirectionCounts toA;  // from B to A
    // Selected but never copied: the newer side is unknown (undecided), or
    // the row's pair is no longer registered.
    int refused = 0;
    std::uint64_t bytes = 0;  // sizes of the sources that will be copied
    int selected() const { return toB.files + toA.files + refused; }
    bool operator==(const CopyPreview&) const = default;
};

// The preview of CopySelectedFiles over the same rows and selection.
CopyPreview PreviewCopy(const DirPairTable& pairs, const DiffTable& diffs, int rows, const RowSelectedFn& isSelected);
