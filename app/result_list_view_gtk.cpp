// The results list on GTK: a wxDataViewCtrl (a native GtkTreeView, which
// screen readers see as a table with its rows and cells) over a virtual
// list model that formats only the cells GTK asks for.
#ifndef __WXMSW__

#include <gtk/gtk.h>

#include <algorithm>
#include <array>

#include "app/result_list_view.h"
#include "res/icons.h"

class ResultRowsModel : public wxDataViewVirtualListModel {
public:
    explicit ResultRowsModel(const ResultListView& list) : wxDataViewVirtualListModel(0), m_list(list) {
        for (int i = 0; i < kRowStateCount; ++i) m_pictures[static_cast<std::size_t>(i)] = LoadRowStateBundle(RowStateIcon(i));
    }

    void GetValueByRow(wxVariant& value, unsigned row, unsigned column) const override {
        const wxString text = m_list.CellText(static_cast<long>(row), static_cast<int>(column));
        if (column != 0) {
            value = text;
            return;
        }
        const int icon = m_list.RowIcon(static_cast<long>(row));
        wxBitmapBundle picture;
        for (int i = 0; i < kRowStateCount; ++i)
            if (RowStateIcon(i) == icon) picture = m_pictures[static_cast<std::size_t>(i)];
        value << wxDataViewIconText(text, picture);
    }

    bool SetValueByRow(const wxVariant&, unsigned, unsigned) override { return false; }

private:
    const ResultListView& m_list;
    std::array<wxBitmapBundle, kRowStateCount> m_pictures;
};

namespace {

GtkTreeView* TreeViewOf(const wxDataViewCtrl& list) {
    return GTK_TREE_VIEW(const_cast<wxDataViewCtrl&>(list).GtkGetTreeView());
}

}  // namespace

ResultListView::ResultListView(wxWindow* parent, int id, const wxRect& rect, long border, const DirPairTable& pairs,
                               const DiffTable& diffs)
    : wxDataViewCtrl(parent, id, rect.GetPosition(), rect.GetSize(), wxDV_MULTIPLE | wxDV_ROW_LINES | border),
      m_pairs(pairs),
      m_diffs(diffs) {
    m_model = new ResultRowsModel(*this);
    AssociateModel(m_model);
    m_model->DecRef();  // the control holds the model now
    BindPlatformEvents();
}

ResultListView::~ResultListView() = default;

void ResultListView::BindPlatformEvents() {
    GtkTreeView* view = TreeViewOf(*this);
    // Typed letters would open GTK's search box and select the row they
    // name; the list takes only the keys of a list.
    gtk_tree_view_set_enable_search(view, FALSE);
    g_signal_connect(view, "cursor-changed", G_CALLBACK(OnCursorChanged), this);
    RowWindow()->Bind(wxEVT_MOTION, &ResultListView::OnMotion, this);
    // GTK's press selects the row under the mouse first unless it is
    // selected already (part of a selection that the menu acts on).
    Bind(wxEVT_DATAVIEW_ITEM_CONTEXT_MENU, [this](wxDataViewEvent&) {
        if (m_onRightClick) m_onRightClick();
    });
}

void ResultListView::OnCursorChanged(void*, ResultListView* list) { list->NotifyFocusedRow(); }

void ResultListView::AddColumns(const wxString (&titles)[kColumnCount], const int (&widths)[kColumnCount]) {
    for (int col = 0; col < kColumnCount; ++col) {
        wxDataViewRenderer* renderer = col == 0 ? static_cast<wxDataViewRenderer*>(new wxDataViewIconTextRenderer())
                                                : new wxDataViewTextRenderer();
        auto* column = new wxDataViewColumn(titles[col], renderer, static_cast<unsigned>(col),
                                            std::max(1, widths[col] + (col == 0 ? m_nameExtra : 0)), wxALIGN_LEFT,
                                            wxDATAVIEW_COL_RESIZABLE);
        AppendColumn(column);
    }
}

void ResultListView::ShowRows(int count) {
    // The rows of an earlier result must not stay selected or focused in the
    // new one: a copy acts on the selection.
    UnselectAll();
    m_rowCount = 0;
    m_model->Reset(0);
    m_rowCount = std::max(0, count);
    m_model->Reset(static_cast<unsigned>(m_rowCount));
    m_tipRow = -1;
    SetRowTip(std::string());
    NotifyFocusedRow();
}

// The width set for the column, by the program or by the user's drag: GTK
// draws the last column wider where the list has room to spare, which is
// no width of the user's.
int ResultListView::ShownColumnWidth(int column) const {
    wxDataViewColumn* c = column >= 0 && column < static_cast<int>(GetColumnCount())
                              ? GetColumn(static_cast<unsigned>(column))
                              : nullptr;
    return c ? gtk_tree_view_column_get_fixed_width(GTK_TREE_VIEW_COLUMN(c->GetGtkHandle())) : 0;
}

void ResultListView::ResizeColumn(int column, int width) {
    wxDataViewColumn* c = column >= 0 && column < static_cast<int>(GetColumnCount())
                              ? GetColumn(static_cast<unsigned>(column))
                              : nullptr;
    if (c) c->SetWidth(std::max(1, width + (column == 0 ? m_nameExtra : 0)));
}

bool ResultListView::IsRowSelected(long row) const {
    return row >= 0 && row < m_rowCount && IsSelected(m_model->GetItem(static_cast<unsigned>(row)));
}

int ResultListView::SelectedRowCount() const { return GetSelectedItemsCount(); }

std::vector<long> ResultListView::SelectedRows() const {
    wxDataViewItemArray items;
    GetSelections(items);
    std::vector<long> rows;
    rows.reserve(items.size());
    for (const wxDataViewItem& item : items) rows.push_back(static_cast<long>(m_model->GetRow(item)));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ResultListView::SelectRow(long row) {
    if (row >= 0 && row < m_rowCount) Select(m_model->GetItem(static_cast<unsigned>(row)));
}

void ResultListView::SelectAllRows() { SelectAll(); }

long ResultListView::FocusedRow() const {
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(TreeViewOf(*this), &path, nullptr);
    if (!path) return -1;
    const long row = gtk_tree_path_get_depth(path) == 1 ? gtk_tree_path_get_indices(path)[0] : -1;
    gtk_tree_path_free(path);
    return row < m_rowCount ? row : -1;
}

void ResultListView::FocusRow(long row) {
    if (row < 0 || row >= m_rowCount) return;
    // The cursor alone, as the keyboard moves it with Ctrl: the selection
    // stays as it is.
    GtkTreeView* view = TreeViewOf(*this);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    wxDataViewItemArray selected;
    GetSelections(selected);
    GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<int>(row), -1);
    gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
    gtk_tree_path_free(path);
    gtk_tree_selection_unselect_all(selection);
    SetSelections(selected);
}

bool ResultListView::RowRect(long row, wxRect& rect) const {
    if (row < 0 || row >= m_rowCount) return false;
    rect = GetItemRect(m_model->GetItem(static_cast<unsigned>(row)));
    return !rect.IsEmpty();
}

long ResultListView::RowAt(const wxPoint& point) const {
    wxDataViewItem item;
    wxDataViewColumn* column = nullptr;
    HitTest(point, item, column);
    if (!item.IsOk()) return -1;
    const long row = static_cast<long>(m_model->GetRow(item));
    return row < m_rowCount ? row : -1;
}

wxWindow* ResultListView::RowWindow() { return GetMainWindow(); }

#endif  // !__WXMSW__
