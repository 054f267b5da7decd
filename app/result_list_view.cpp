#include "app/result_list_view.h"

#include <wx/imaglist.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "core/date_text.h"
#include "core/filesystem.h"
#include "res/icons.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "ui/wx_text.h"

namespace {

// The picture of each kind of row; the list's images are these, in this order.
struct RowStatePicture {
    DiffKind kind;
    int icon;
};
constexpr RowStatePicture kRowStatePictures[] = {
    {DiffKind::OnlyInA, IDI_ONLY_A}, {DiffKind::OnlyInB, IDI_ONLY_B},      {DiffKind::ANewer, IDI_A_NEWER},
    {DiffKind::BNewer, IDI_B_NEWER}, {DiffKind::Undecided, IDI_UNDECIDED},
};

// The place of a kind's picture in the list's images.
int ImageOf(DiffKind kind) {
    const auto it = std::find_if(std::begin(kRowStatePictures), std::end(kRowStatePictures),
                                 [&](const RowStatePicture& picture) { return picture.kind == kind; });
    return it == std::end(kRowStatePictures) ? -1 : static_cast<int>(it - std::begin(kRowStatePictures));
}

}  // namespace

ResultListView::ResultListView(wxWindow* parent, int id, const wxRect& rect, long border, const DirPairTable& pairs,
                               const DiffTable& diffs)
    : wxListView(parent, id, rect.GetPosition(), rect.GetSize(), wxLC_REPORT | wxLC_VIRTUAL | border),
      m_pairs(pairs),
      m_diffs(diffs) {
    RowWindow()->Bind(wxEVT_MOTION, &ResultListView::OnMotion, this);
    auto images = std::make_unique<wxImageList>();
    if (images->Create(16, 16, true, static_cast<int>(std::size(kRowStatePictures)))) {
        for (const RowStatePicture& picture : kRowStatePictures) images->Add(LoadIconResource(picture.icon));
    }
    AssignImageList(images.release(), wxIMAGE_LIST_SMALL);
}

void ResultListView::ShowRows(int count) {
    // A virtual list keeps selection and focus by row number: rows of an
    // earlier result must not stay selected in the new one.
    SetItemCount(0);
    SetItemCount(count);
    m_tipRow = -1;
    SetRowTip(std::string());
    Refresh();
}

wxString ResultListView::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= m_diffs.count) return wxString();
    const DiffEntry& e = m_diffs.entries[item];
    switch (column) {
        case 0: return ToWx(e.name);
        case 1: return KindOf(e) != DiffKind::OnlyInB ? ToWx(FormatDateText(e.timeA)) : wxString();
        case 2: return KindOf(e) != DiffKind::OnlyInA ? ToWx(FormatDateText(e.timeB)) : wxString();
        default: return wxString();
    }
}

int ResultListView::OnGetItemImage(long item) const {
    if (item < 0 || item >= m_diffs.count) return -1;
    return ImageOf(KindOf(m_diffs.entries[item]));
}

std::string ResultListView::RowPaths(long row, bool twoLines) const {
    if (row < 0 || row >= m_diffs.count || row >= GetItemCount()) return {};
    const DiffEntry& e = m_diffs.entries[row];
    if (e.pairIndex >= MAX_DIR_PAIRS) return {};
    const DirPair& pair = m_pairs.pairs[e.pairIndex];
    const std::string number = std::to_string(e.pairIndex + 1);
    const std::string a = JoinPath(FieldText(pair.dirA), e.name);
    const std::string b = JoinPath(FieldText(pair.dirB), NameInB(e));
    return FormatText(twoLines ? TextId::RowPathsTwoLines : TextId::RowPathsOneLine, {number, a, b});
}

void ResultListView::OnMotion(wxMouseEvent& event) {
    event.Skip();
    int flags = 0;
    const long row = HitTest(event.GetPosition(), flags);
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

wxWindow* ResultListView::RowWindow() {
#ifdef __WXMSW__
    return this;
#else
    // The generic list scrolls a child window below the header that shows
    // the rows; HitTest takes that window's positions.
    return GetTargetWindow();
#endif
}
