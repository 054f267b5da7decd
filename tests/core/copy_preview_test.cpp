// The figures the confirmation shows before a copy: which way each selected
// row goes, which of them replace a file, what is refused, and the bytes.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/copy_preview.h"
#include "core/mbtext.h"

namespace {

constexpr FileTime kOld = 1700000000, kNew = 1710000000;

// One row of the table: its sides, whether it is selected and the sizes the
// comparison saw.
struct RowSpec {
    enum Kind { OnlyA, OnlyB, ANewer, BNewer, SameSecondBLater, Undecided, PairGone } kind;
    bool selected;
    std::uint64_t sizeA = 0, sizeB = 0;
};

struct PreviewCase {
    const char* name;
    std::vector<RowSpec> rows;
    CopyPreview expected;
};

void PrintTo(const PreviewCase& c, std::ostream* os) { *os << c.name; }

DiffEntry MakeEntry(const RowSpec& r, int index) {
    DiffEntry e{};
    e.pairIndex = r.kind == RowSpec::PairGone ? 3 : 0;
    CopyText(e.name, sizeof e.name, "f" + std::to_string(index));
    e.inA = r.kind != RowSpec::OnlyB;
    e.inB = r.kind != RowSpec::OnlyA;
    e.timeA = r.kind == RowSpec::BNewer ? kOld : kNew;
    e.timeB = r.kind == RowSpec::ANewer ? kOld : kNew;
    e.stampA = {e.timeA, e.timeA, r.sizeA, 1, 1, 0, 0, e.inA};
    e.stampB = {e.timeB, e.timeB, r.sizeB, 1, 2, 0, 0, e.inB};
    // Same second: the fractions tell that B is the later one.
    if (r.kind == RowSpec::SameSecondBLater) e.stampB.mtimeNsec = 500;
    e.undecided = r.kind == RowSpec::Undecided;
    return e;
}

class CopyPreviewOf : public testing::TestWithParam<PreviewCase> {};

TEST_P(CopyPreviewOf, SelectedRows) {
    const PreviewCase& c = GetParam();
    auto pairs = std::make_unique<DirPairTable>();
    pairs->count = 1;
    auto diffs = std::make_unique<DiffTable>();
    for (const RowSpec& r : c.rows) diffs->entries[diffs->count] = MakeEntry(r, diffs->count), ++diffs->count;

    const CopyPreview p = PreviewCopy(*pairs, *diffs, diffs->count,
                                      [&](int row) { return c.rows[static_cast<std::size_t>(row)].selected; });

    EXPECT_EQ(p.toB, c.expected.toB);
    EXPECT_EQ(p.toA, c.expected.toA);
    EXPECT_EQ(p.refused, c.expected.refused);
    EXPECT_EQ(p.bytes, c.expected.bytes);
}

using K = RowSpec;
INSTANTIATE_TEST_SUITE_P(
    Cases, CopyPreviewOf,
    testing::Values(
        PreviewCase{"NothingSelected", {{K::OnlyA, false, 5}, {K::OnlyB, false, 0, 7}}, {}},
        // A file only in B goes back into A: it must show on its own line.
        PreviewCase{"OnlyInBGoesToA", {{K::OnlyB, true, 0, 7}}, {{}, {1, 0}, 0, 7}},
        PreviewCase{"EveryKindOnce",
                    {{K::OnlyA, true, 1},
                     {K::OnlyB, true, 0, 20},
                     {K::ANewer, true, 300, 9999},
                     {K::BNewer, true, 9999, 4000},
                     {K::OnlyA, false, 50000}},
                    {{2, 1}, {2, 1}, 0, 4321}},
        PreviewCase{"FractionsOfTheSameSecondDecide", {{K::SameSecondBLater, true, 10, 20}}, {{}, {1, 1}, 0, 20}},
        // Neither is copied, so neither counts nor adds bytes.
        PreviewCase{"UndecidedAndUnregisteredAreRefused",
                    {{K::Undecided, true, 10, 20}, {K::PairGone, true, 30}, {K::ANewer, true, 5, 1}},
                    {{1, 1}, {}, 2, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CopyPreview, OnlyTheRowsShownCountAndUnseenSizesAddNothing) {
    auto pairs = std::make_unique<DirPairTable>();
    pairs->count = 1;
    auto diffs = std::make_unique<DiffTable>();
    for (int i = 0; i < 3; ++i) diffs->entries[diffs->count++] = MakeEntry({K::OnlyA, true, 100}, i);
    diffs->entries[1].stampA.seen = false;  // a table made without the comparison

    const CopyPreview p = PreviewCopy(*pairs, *diffs, 2, [](int) { return true; });
    EXPECT_EQ(p.toB, (CopyDirectionCounts{2, 0}));
    EXPECT_EQ(p.bytes, 100u);
    EXPECT_EQ(PreviewCopy(*pairs, *diffs, 10, [](int) { return true; }).toB.files, 3) << "rows beyond the table";
}

}  // namespace
