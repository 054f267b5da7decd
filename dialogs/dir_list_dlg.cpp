#include "dialogs/dir_list_dlg.h"

#include <wx/settings.h>

#include <algorithm>

#include "ui/toggle_list.h"
#include "ui/wx_text.h"
#include "cli/pair_line.h"
#include "core/pair_ops.h"
#include "res/resource.h"
#include "texts/texts.h"

bool CDirListDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    m_listPairs = Item<wxListBox>(IDC_PAIR_LIST);
    // GTK draws list box lines in a pale grey by default; the pairs are the
    // dialog's content and get the system's list text colour.
    m_listPairs->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT));
    wnd->Bind(wxEVT_BUTTON, &CDirListDlg::OnDelete, this, IDC_DELETE);
    // Clicks and Space toggle single lines (the dialog builder sees to it)
    // and arrive here as selection changes.
    wnd->Bind(wxEVT_LISTBOX, &CDirListDlg::OnSelChangePairList, this, IDC_PAIR_LIST);
    // The lines are cut to columns; the full folders of the focused line are
    // shown under the list, those of the line under the mouse in its tooltip.
    m_statusLine = AddLineBelow(wnd, m_listPairs);
    m_statusLine->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    m_layout.Capture(wnd, m_listPairs, m_statusLine);
    wnd->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        m_layout.Apply();
    });
    m_listPairs->Bind(wxEVT_MOTION, &CDirListDlg::OnMotionPairList, this);
    // After the list has moved its focused line.
    const auto showLater = [this](wxEvent& event) {
        event.Skip();
        m_listPairs->CallAfter([this] { ShowFocusedPair(); });
    };
    m_listPairs->Bind(wxEVT_KEY_UP, showLater);
    m_listPairs->Bind(wxEVT_LEFT_UP, showLater);
    m_listPairs->Bind(wxEVT_SET_FOCUS, showLater);

    FillPairList();
    UpdateButtons();
    return true;  // the focus goes to the first tab stop, Close
}

void CDirListDlg::FillPairList() {
    if (!m_pPairTable) return;
    for (int i = 0; i < m_pPairTable->count && i < MAX_DIR_PAIRS; ++i)
        m_listPairs->Append(ToWx(FormatPairLine(i, m_pPairTable->pairs[i])));
}

std::vector<int> CDirListDlg::SelectedLines() const {
    wxArrayInt selections;
    m_listPairs->GetSelections(selections);
    std::vector<int> lines(selections.begin(), selections.end());
    std::sort(lines.begin(), lines.end());
    return lines;
}

void CDirListDlg::UpdateButtons() {
    const std::size_t selected = SelectedLines().size();
    const bool roomForAnother = m_pPairTable && m_pPairTable->count < MAX_DIR_PAIRS;
    // A button that disables itself (Delete after deleting, Register at ten
    // pairs) hands the focus on: to the list after Delete.
    EnableDlgItem(IDC_DELETE, selected != 0);
    // With ten pairs even an edit is refused until a pair has been deleted.
    EnableDlgItem(IDOK, selected <= 1 && roomForAnother);
}

void CDirListDlg::OnSelChangePairList(wxCommandEvent&) {
    UpdateButtons();
    ShowFocusedPair();
}

std::string CDirListDlg::PairPaths(int line, bool twoLines) const {
    if (!m_pPairTable || line < 0 || line >= m_pPairTable->count || line >= MAX_DIR_PAIRS) return {};
    const DirPair& pair = m_pPairTable->pairs[line];
    return FormatText(twoLines ? TextId::RowPathsTwoLines : TextId::RowPathsOneLine,
                      {std::to_string(line + 1), FieldText(pair.dirA), FieldText(pair.dirB)});
}

void CDirListDlg::ShowFocusedPair() {
    if (m_statusLine) m_statusLine->SetLabelText(ToWx(PairPaths(GetCaretLine(m_listPairs), false)));
}

void CDirListDlg::OnMotionPairList(wxMouseEvent& event) {
    event.Skip();
    const int line = m_listPairs->HitTest(event.GetPosition());
    if (line == m_tipLine) return;
    m_tipLine = line;
    const std::string tip = PairPaths(line, true);
    if (tip.empty())
        m_listPairs->UnsetToolTip();
    else
        m_listPairs->SetToolTip(ToWx(tip));
}

void CDirListDlg::OnOK() {
    // Enter reaches here too: Register runs only while its button is enabled.
    if (!m_pPairTable || !GetDlgItem(IDOK)->IsThisEnabled()) return;
    const std::vector<int> selected = SelectedLines();
    const int index = selected.empty() ? m_pPairTable->count : selected.front();
    if (index < 0 || index >= MAX_DIR_PAIRS) return;

    m_dlgDirInput.SetDirPair(&m_pPairTable->pairs[index]);
    if (m_dlgDirInput.DoModal(GetWindow()) != wxID_OK) return;
    if (selected.empty()) ++m_pPairTable->count;

    m_listPairs->Clear();
    FillPairList();
    UpdateButtons();
    ShowFocusedPair();
    m_bModified = true;
}

void CDirListDlg::OnDelete(wxCommandEvent&) {
    if (!m_pPairTable || !GetDlgItem(IDC_DELETE)->IsThisEnabled()) return;
    const std::vector<int> selected = SelectedLines();
    RemovePairs(*m_pPairTable, selected.data(), static_cast<int>(selected.size()));

    m_listPairs->Clear();
    FillPairList();
    UpdateButtons();
    ShowFocusedPair();
    m_bModified = true;
}
