// The results list: a virtual list that reads its rows straight from the
// result table, so that filling it costs nothing per row. Row i shows entry
// i; the texts are formatted only for the rows that are painted. Each row
// shows the picture of its kind.
//
// On GTK it is a wxDataViewCtrl over a virtual list model: a native tree
// view, which screen readers see with its rows and cells (the generic list
// control is an unnamed panel to them). On Windows it is the native list
// view. Callers use only the functions below, the same on both.
#pragma once

#ifdef __WXMSW__
#include <wx/listctrl.h>
#else
#include <wx/dataview.h>
#endif

#include <functional>
#include <string>
#include <vector>

#include "core/records.h"

#ifdef __WXMSW__
using ResultListBase = wxListView;
#else
using ResultListBase = wxDataViewCtrl;
class ResultRowsModel;
#endif

// The row-state pictures: image number i (0 to kRowStateCount - 1) is the
// icon RowStateIcon(i), the picture of the kind with RowStateImage(kind) == i.
constexpr int kRowStateCount = 5;
int RowStateIcon(int image);
int RowStateImage(DiffKind kind);  // -1: no picture

class ResultListView : public ResultListBase {
public:
    static constexpr int kColumnCount = 3;  // name, date A, date B

    ResultListView(wxWindow* parent, int id, const wxRect& rect, long border, const DirPairTable& pairs,
                   const DiffTable& diffs);
    ~ResultListView() override;

    // The three columns with their titles and widths (pixels).
    void AddColumns(const wxString (&titles)[kColumnCount], const int (&widths)[kColumnCount]);
    // Shows the table's first `count` entries; any selection and the focus
    // are dropped.
    void ShowRows(int count);
    int RowCount() const { return m_rowCount; }

    // A column's width as the user set it: the room the name column takes
    // beyond it (FitNameColumn) is not part of it.
    int ColumnWidth(int column) const { return ShownColumnWidth(column) - (column == 0 ? m_nameExtra : 0); }
    void ResizeColumn(int column, int width);
    // The width the column is drawn with.
    int ShownColumnWidth(int column) const;
    // The name column takes the room the list has beyond its columns' widths
    // (after the window has grown), never less than its own width; call it
    // after the list's size has changed.
    void FitNameColumn();
    // The list's width inside its border and its vertical scroll bar.
    int RowAreaWidth() const;

    bool IsRowSelected(long row) const;
    int SelectedRowCount() const;
    std::vector<long> SelectedRows() const;
    void SelectRow(long row);
    // Every row, in one step (not one per row).
    void SelectAllRows();
    // The row with the keyboard focus; -1: none.
    long FocusedRow() const;
    void FocusRow(long row);
    // Row's rectangle in the list's client area; false for no such row.
    bool RowRect(long row, wxRect& rect) const;

    // A cell's text as shown (column 0 the name, 1 and 2 the dates).
    wxString CellText(long row, int column) const;
    // The icon identifier (IDI_...) of the row's picture; 0 for no row.
    int RowIcon(long row) const;
    // Row i's two full paths with its pair number, for the tooltip (lines)
    // and the status line (one line); empty for a row that does not exist.
    std::string RowPaths(long row, bool twoLines) const;
    // The window that shows the rows and gets the mouse over them.
    wxWindow* RowWindow();

    // Called with the focused row (-1: none) whenever the focus moves.
    void SetFocusedRowHandler(std::function<void(long row)> handler) { m_onFocusedRow = std::move(handler); }
    // Called after a right click on a row or below the rows; a click on a
    // row that was not selected selects that row alone first.
    void SetRightClickHandler(std::function<void()> handler) { m_onRightClick = std::move(handler); }

#ifdef __WXMSW__
protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
#endif

private:
    void OnMotion(wxMouseEvent& event);
    // Shows tip over the rows; empty: none.
    void SetRowTip(const std::string& tip);
    void NotifyFocusedRow();
    // The row at a point of RowWindow(); -1: none.
    long RowAt(const wxPoint& point) const;
    // The platform's part of the constructor.
    void BindPlatformEvents();
#ifndef __WXMSW__
    static void OnCursorChanged(void* treeView, ResultListView* list);
#endif

    const DirPairTable& m_pairs;
    const DiffTable& m_diffs;
    int m_rowCount = 0;
    int m_nameExtra = 0;
    long m_tipRow = -1;  // the row whose paths the tooltip shows
    std::function<void(long)> m_onFocusedRow;
    std::function<void()> m_onRightClick;
#ifndef __WXMSW__
    ResultRowsModel* m_model = nullptr;  // owned by the control through its reference count
#endif
};
