// The results list on Windows: the native list view in virtual mode, which
// asks for the texts and pictures of the rows it paints and is accessible by
// itself.
#ifdef __WXMSW__

#include <wx/imaglist.h>

#include <algorithm>
#include <memory>

#include "app/result_list_view.h"
#include "res/icons.h"

namespace {

// The row pictures are this many pixels at 100 %.
constexpr int kIconSize = 16;

}  // namespace

ResultListView::ResultListView(wxWindow* parent, int id, const wxRect& rect, long border, const DirPairTable& pairs,
                               const DiffTable& diffs)
    : wxListView(parent, id, rect.GetPosition(), rect.GetSize(), wxLC_REPORT | wxLC_VIRTUAL | border),
      m_pairs(pairs),
      m_diffs(diffs) {
    auto images = std::make_unique<wxImageList>();
    const wxSize size = FromDIP(wxSize(kIconSize, kIconSize));
    if (images->Create(size.x, size.y, true, kRowStateCount)) {
        for (int i = 0; i < kRowStateCount; ++i)
            images->Add(LoadRowStateBundle(RowStateIcon(i)).GetBitmap(size));
    }
    AssignImageList(images.release(), wxIMAGE_LIST_SMALL);
    BindPlatformEvents();
}

ResultListView::~ResultListView() = default;

void ResultListView::BindPlatformEvents() {
    Bind(wxEVT_MOTION, &ResultListView::OnMotion, this);
    Bind(wxEVT_LIST_ITEM_FOCUSED, [this](wxListEvent& event) {
        event.Skip();
        NotifyFocusedRow();
    });
    // The native list reports every right click inside it (NM_RCLICK), on a
    // row or on the empty space below the rows, as this command event.
    Bind(wxEVT_COMMAND_RIGHT_CLICK, [this](wxCommandEvent&) {
        if (m_onRightClick) m_onRightClick();
    });
}

void ResultListView::AddColumns(const wxString (&titles)[kColumnCount], const int (&widths)[kColumnCount]) {
    for (int col = 0; col < kColumnCount; ++col)
        InsertColumn(col, titles[col], wxLIST_FORMAT_LEFT, widths[col] + (col == 0 ? m_nameExtra : 0));
}

void ResultListView::ShowRows(int count) {
    // A virtual list keeps selection and focus by row number: rows of an
    // earlier result must not stay selected in the new one.
    SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_rowCount = 0;
    SetItemCount(0);
    m_rowCount = std::max(0, count);
    SetItemCount(m_rowCount);
    m_tipRow = -1;
    SetRowTip(std::string());
    Refresh();
}

int ResultListView::ShownColumnWidth(int column) const { return wxListView::GetColumnWidth(column); }

void ResultListView::ResizeColumn(int column, int width) {
    wxListView::SetColumnWidth(column, width + (column == 0 ? m_nameExtra : 0));
}

bool ResultListView::IsRowSelected(long row) const {
    return row >= 0 && row < m_rowCount && GetItemState(row, wxLIST_STATE_SELECTED) != 0;
}

int ResultListView::SelectedRowCount() const { return GetSelectedItemCount(); }

std::vector<long> ResultListView::SelectedRows() const {
    std::vector<long> rows;
    for (long i = GetFirstSelected(); i != -1; i = GetNextSelected(i)) rows.push_back(i);
    return rows;
}

void ResultListView::SelectRow(long row) {
    if (row >= 0 && row < m_rowCount) Select(row);
}

// Row -1 stands for every row of a virtual list: one step, not 5000.
void ResultListView::SelectAllRows() { SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED); }

long ResultListView::FocusedRow() const { return GetFocusedItem(); }

void ResultListView::FocusRow(long row) {
    if (row >= 0 && row < m_rowCount) Focus(row);
}

bool ResultListView::RowRect(long row, wxRect& rect) const {
    return row >= 0 && row < m_rowCount && GetItemRect(row, rect);
}

long ResultListView::RowAt(const wxPoint& point) const {
    int flags = 0;
    const long row = HitTest(point, flags);
    return row < m_rowCount ? row : -1;
}

wxWindow* ResultListView::RowWindow() { return this; }

wxString ResultListView::OnGetItemText(long item, long column) const { return CellText(item, static_cast<int>(column)); }

int ResultListView::OnGetItemImage(long item) const {
    if (item < 0 || item >= m_diffs.count || item >= m_rowCount) return -1;
    return RowStateImage(KindOf(m_diffs.entries[item]));
}

#endif  // __WXMSW__
