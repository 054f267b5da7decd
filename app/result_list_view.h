// The results list: a virtual report list that reads its rows straight from
// the result table, so that filling it costs nothing per row. Row i shows
// entry i; the texts are formatted only for the rows that are painted. Each
// row shows the picture of its kind.
#pragma once

#include <wx/listctrl.h>

#include <string>

#include "core/records.h"

class ResultListView : public wxListView {
public:
    ResultListView(wxWindow* parent, int id, const wxRect& rect, long border, const DirPairTable& pairs,
               const DiffTable& diffs);

    // Shows the table's first `count` entries; any selection is dropped.
    void ShowRows(int count);
    // Row i's two full paths with its pair number, for the tooltip (lines)
    // and the status line (one line); empty for a row that does not exist.
    std::string RowPaths(long row, bool twoLines) const;

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;

private:
    void OnMotion(wxMouseEvent& event);
    // Shows tip over the rows; empty: none.
    void SetRowTip(const std::string& tip);
    // The window that shows the rows and gets the mouse over them.
    wxWindow* RowWindow();

    const DirPairTable& m_pairs;
    const DiffTable& m_diffs;
    long m_tipRow = -1;  // the row whose paths the tooltip shows
};
