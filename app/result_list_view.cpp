// The parts of the results list that are the same on every platform: what a
// row shows, its paths and its tooltip.
#include "app/result_list_view.h"

#include <wx/settings.h>

#include <algorithm>
#include <iterator>

#include "core/date_text.h"
#include "core/filesystem.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "ui/wx_text.h"

namespace {

// The picture of each kind of row.
struct RowStatePicture {
    DiffKind kind;
    int icon;
};
constexpr RowStatePicture kRowStatePictures[] = {
    {DiffKind::OnlyInA, IDI_ONLY_A}, {DiffKind::OnlyInB, IDI_ONLY_B},      {DiffKind::ANewer, IDI_A_NEWER},
    {DiffKind::BNewer, IDI_B_NEWER}, {DiffKind::Undecided, IDI_UNDECIDED},
};

}  // namespace

static_assert(std::size(kRowStatePictures) == kRowStateCount);

int RowStateIcon(int image) { return image >= 0 && image < kRowStateCount ? kRowStatePictures[image].icon : 0; }

int RowStateImage(DiffKind kind) {
    const auto it = std::find_if(std::begin(kRowStatePictures), std::end(kRowStatePictures),
                                 [&](const RowStatePicture& picture) { return picture.kind == kind; });
    return it == std::end(kRowStatePictures) ? -1 : static_cast<int>(it - std::begin(kRowStatePictures));
}

wxString ResultListView::CellText(long row, int column) const {
    if (row < 0 || row >= m_diffs.count || row >= m_rowCount) return wxString();
    const DiffEntry& e = m_diffs.entries[row];
    switch (column) {
        case 0: return ToWx(e.name);
        case 1: return KindOf(e) != DiffKind::OnlyInB ? ToWx(FormatDateText(e.timeA)) : wxString();
        case 2: return KindOf(e) != DiffKind::OnlyInA ? ToWx(FormatDateText(e.timeB)) : wxString();
        default: return wxString();
    }
}

int ResultListView::RowIcon(long row) const {
    if (row < 0 || row >= m_diffs.count || row >= m_rowCount) return 0;
    return RowStateIcon(RowStateImage(KindOf(m_diffs.entries[row])));
}

std::string ResultListView::RowPaths(long row, bool twoLines) const {
    if (row < 0 || row >= m_diffs.count || row >= m_rowCount) return {};
    const DiffEntry& e = m_diffs.entries[row];
    if (e.pairIndex >= MAX_DIR_PAIRS) return {};
    const DirPair& pair = m_pairs.pairs[e.pairIndex];
    const std::string number = std::to_string(e.pairIndex + 1);
    const std::string a = JoinPath(FieldText(pair.dirA), e.name);
    const std::string b = JoinPath(FieldText(pair.dirB), NameInB(e));
    return FormatText(twoLines ? TextId::RowPathsTwoLines : TextId::RowPathsOneLine, {number, a, b});
}

void ResultListView::FitNameColumn() {
    const int name = ColumnWidth(0);
    const int extra = std::max(0, RowAreaWidth() - name - ColumnWidth(1) - ColumnWidth(2));
    if (extra == m_nameExtra) return;
    m_nameExtra = extra;
    ResizeColumn(0, name);
}

int ResultListView::RowAreaWidth() const {
    // The scroll bar is counted whether or not it shows, so that the last
    // rows arriving never push the dates out of view.
    return GetClientSize().x - wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
}

void ResultListView::OnMotion(wxMouseEvent& event) {
    event.Skip();
    const long row = RowAt(event.GetPosition());
    if (row == m_tipRow) return;
    m_tipRow = row;
    SetRowTip(RowPaths(row, true));
}

void ResultListView::SetRowTip(const std::string& tip) {
    if (tip.empty())
        RowWindow()->UnsetToolTip();
    else
        RowWindow()->SetToolTip(ToWx(tip));
}

void ResultListView::NotifyFocusedRow() {
    if (m_onFocusedRow) m_onFocusedRow(FocusedRow());
}
