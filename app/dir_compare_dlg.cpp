#include "app/dir_compare_dlg.h"

#include <wx/filefn.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "app/window_run_observer.h"
#include "cli/failure_text.h"
#include "cli/start_option.h"
#include "core/compare.h"
#include "core/date_text.h"
#include "core/filesystem.h"
#include "dialogs/about_dlg.h"
#include "dialogs/run_texts.h"
#include "res/dialog_resources.h"
#include "res/icons.h"
#include "res/resource.h"
#include "res/strings.h"
#include "settings/settings.h"
#include "texts/texts.h"
#include "texts/translation.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace {

// Shown when the settings file exists but could not be rewritten.
std::string SaveFailedText(const std::string& fileName) { return FormatText(TextId::SaveFailed, {fileName}); }

// Asked at Exit when changed pairs would be lost for want of a settings file.
std::string CreateSettingsQuestion(const SettingsStore& store) {
    std::string folder = store.Folder();
    if (!wxIsAbsolutePath(ToWx(folder))) {
        const std::string cwd = FromWx(wxGetCwd());
        folder = folder == "." ? cwd : cwd + kPathSeparator + folder;
    }
    return FormatText(TextId::CreateSettingsQuestion, {store.FileName(), folder});
}

const TextId kColumnTitles[] = {TextId::FileNameColumn, TextId::TimeAColumn, TextId::TimeBColumn};

// Appends a separator and the About item, unless the About text is empty.
// mnemonic: the item's access key in place of the text's own, where the
// menu's other items already use that one.
void AppendAboutItem(wxMenu* menu, const char* mnemonic = nullptr) {
    std::string text = LoadResString(IDS_ABOUTBOX);
    if (!menu || text.empty()) return;
    // A translation chose its access keys for the whole menu itself.
    if (IsTranslated(TextId::AboutItem)) mnemonic = nullptr;
    if (const std::size_t at = text.find('&'); mnemonic && at != std::string::npos && at + 1 < text.size())
        text.replace(at + 1, 1, mnemonic);
    menu->AppendSeparator();
    menu->Append(IDM_ABOUTBOX, ToWx(text));
}

// The width a date column needs for its text in the list's font: the
// widest digit in every place, and a margin for the cell's padding.
int DateColumnWidth(wxWindow& list) {
    const std::string pattern = FormatDateText(0);
    int widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit) {
        std::string text = pattern;
        for (char& c : text)
            if (c >= '0' && c <= '9') c = digit;
        widest = std::max(widest, list.GetTextExtent(ToWx(text)).x);
    }
    return widest + 2 * list.GetCharWidth();
}

std::unique_ptr<wxMenu> BuildResultMenu() {
    auto menu = std::make_unique<wxMenu>();
    for (const MenuItemTemplate& item : ResultMenuItems()) {
        if (item.id == 0)
            menu->AppendSeparator();
        else
            menu->Append(CDirCompareDlg::MenuWxId(item.id), ToWx(Text(item.text)));
    }
    return menu;
}

}  // namespace

CDirCompareDlg::CDirCompareDlg(FileSystem& fs) : ResourceDialog(kDirCompareDialog), m_fs(fs), m_hIcon(LoadAppIcons()) {
    std::memset(&m_pairs, 0, sizeof m_pairs);
    std::memset(&m_diffs, 0, sizeof m_diffs);
}

CDirCompareDlg::~CDirCompareDlg() {
    // The list refers to the image list; the window goes first.
    DestroyWindow();
}

bool CDirCompareDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    BuildResultArea();

    wnd->Bind(wxEVT_BUTTON, &CDirCompareDlg::OnSecret, this, IDC_SECRET);
    wnd->Bind(wxEVT_BUTTON, &CDirCompareDlg::OnDirs, this, IDC_DIRS);
    wnd->Bind(wxEVT_MENU, &CDirCompareDlg::OnSelectAll, this, MenuWxId(ID_SELECT_ALL));
    wnd->Bind(wxEVT_MENU, &CDirCompareDlg::OnCopySelected, this, MenuWxId(ID_COPY_SELECTED));
    wnd->Bind(wxEVT_MENU, &CDirCompareDlg::OnAbout, this, IDM_ABOUTBOX);
    m_listResult->SetRightClickHandler([this] {
        PrepareResultMenu();
        TrackResultMenu(wxDefaultPosition);
    });
    m_listResult->SetFocusedRowHandler([this](long row) { OnFocusedRow(row); });
    m_listResult->RowWindow()->Bind(wxEVT_KEY_DOWN, &CDirCompareDlg::OnKeyDownResultList, this);
    wnd->Bind(wxEVT_CHAR_HOOK, &CDirCompareDlg::OnCharHook, this);
    wnd->Bind(wxEVT_SIZE, &CDirCompareDlg::OnSize, this);

#ifdef __WXMSW__
    // The About item at the end of the system menu.
    AppendAboutItem(wnd->MSWGetSystemMenu());
#endif

    wnd->SetIcons(m_hIcon);

    ColumnWidths widths;
    LoadSettings(m_store, m_pairs, widths, m_storedSize);
    m_loadedWidths = widths;

    m_menuResult = BuildResultMenu();
    m_pPopupMenu = m_menuResult.get();
#ifndef __WXMSW__
    // GTK offers no system menu that a program can extend; the About item
    // goes to the end of the results context menu instead, with an access
    // key of its own (Select all has A).
    AppendAboutItem(m_pPopupMenu, "V");
#endif

    wxString titles[ResultListView::kColumnCount];
    for (int col = 0; col < ResultListView::kColumnCount; ++col) titles[col] = ToWx(Text(kColumnTitles[col]));
    // Widths the file does not set are the defaults; the dates then get at
    // least the room their text takes in the list's font, whatever it is,
    // and the name column gives up what they took beyond their defaults, so
    // that both dates show at the layout's size (the least the window takes).
    if (widths == ColumnWidths()) {
        const int dates = DateColumnWidth(*m_listResult);
        widths.timeA = std::max(widths.timeA, dates);
        widths.timeB = std::max(widths.timeB, dates);
        const int title = m_listResult->GetTextExtent(titles[0]).x + 4 * m_listResult->GetCharWidth();
        const int room = m_listResult->RowAreaWidth() - widths.timeA - widths.timeB;
        widths.fileName = std::max(title, std::min(widths.fileName, room));
    }
    const int columnWidths[] = {widths.fileName, widths.timeA, widths.timeB};
    m_listResult->AddColumns(titles, columnWidths);
    ApplyWindowSize(m_storedSize.width, m_storedSize.height);
    if (m_pairs.count == 0) m_statusLine->SetLabelText(ToWx(Text(TextId::NoPairsStatus)));
    // Exit compares against what the window shows, not what the file said: a
    // width the list does not take as given is no change of the user's.
    m_startWidths = ColumnWidthsShown();
    m_startSize = WindowSizeShown();

    // The dialog opens with the focus on its first tab stop, Exit.
    GetDlgItem(IDCANCEL)->SetFocus();

    if (HasCompareAtStartOption(m_args)) {
        // A stopped comparison has not shown that nothing differs.
        const bool compared = CompareAll();
        if (ExitAfterRun() || (compared && m_diffs.count == 0 && !m_lastCompare.stopped))
            OnCancel();
        else if (compared)
            FillAndReport();
    }
    return true;
}

void CDirCompareDlg::BuildResultArea() {
    wxDialog* wnd = GetWindow();
    wxWindow* plain = GetDlgItem(IDC_RESULT_LIST);
    const wxRect area = plain->GetRect();
    const long border = plain->GetWindowStyleFlag() & wxBORDER_MASK;
    delete plain;

    m_listResult = new ResultListView(wnd, IDC_RESULT_LIST, area, border, m_pairs, m_diffs);
    m_listResult->MoveAfterInTabOrder(GetDlgItem(IDCANCEL));
    m_statusLine = AddLineBelow(wnd, m_listResult);

    m_layout.Capture(wnd, m_listResult, m_statusLine);
}

// The list and the status line take what the window grows by; the buttons
// keep their distance to the bottom edge and to their own side.
void CDirCompareDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    m_layout.Apply();
    // The names take the room the window gains.
    m_listResult->FitNameColumn();
}

void CDirCompareDlg::ApplyWindowSize(int width, int height) {
    wxDialog* wnd = GetWindow();
    if (width <= 0 || height <= 0 || !wnd) return;
    const wxSize least = wnd->GetMinSize();
    wnd->SetSize(std::max(width, least.x), std::max(height, least.y));
    // Laid out at once: the window manager's answer may come later.
    wxSizeEvent resized(wnd->GetSize(), wnd->GetId());
    OnSize(resized);
}

// Compare: the list and the table are emptied, then filled anew.
void CDirCompareDlg::OnOK() {
    if (m_run) return;
    const bool compared = CompareAll();
    if (ExitAfterRun())
        OnCancel();
    else if (compared)
        FillAndReport();
}

void CDirCompareDlg::FillResultList() {
    // The list reads its rows from m_diffs as they are painted.
    m_listResult->ShowRows(m_diffs.count);
    const bool stopped = m_lastCompare.stopped;
    // Until a row has the focus the line says what the list cannot: that
    // the rows are not all, that nothing differs, or how to start.
    std::string status;
    if (stopped)
        status = Text(TextId::StoppedStatus);
    else if (m_pairs.count == 0)
        status = Text(TextId::NoPairsStatus);
    else if (m_diffs.count == 0)
        status = FormatText(TextId::NothingDiffersStatus, {FormatDateText(m_comparedAt)});
    m_statusLine->SetLabelText(ToWx(status));
    const char* product = Text(TextId::ProductName);
    std::string title =
        m_diffs.count != 0 ? FormatText(TextId::MainTitleWithCount, {product, m_diffs.count}) : product;
    if (stopped) title = StoppedTitle(title);
    GetWindow()->SetTitle(ToWx(title));
}

void CDirCompareDlg::FillAndReport() {
    FillResultList();
    // A stopped comparison's counts of what did not fit are partial too:
    // the stop says enough.
    const int omitted = m_lastCompare.TotalOmitted();
    if (m_lastCompare.stopped)
        ShowMessage(GetWindow(), Text(TextId::CompareStopped), wxOK | wxICON_INFORMATION);
    else if (omitted > 0)
        ShowMessage(GetWindow(), FormatOmittedNotice(omitted), wxOK | wxICON_EXCLAMATION);
}

void CDirCompareDlg::ClearResults() {
    std::memset(&m_diffs, 0, sizeof m_diffs);
    m_lastCompare = CompareSummary();
    if (!m_listResult) return;
    m_listResult->ShowRows(0);
    m_statusLine->SetLabelText(m_pairs.count == 0 ? ToWx(Text(TextId::NoPairsStatus)) : wxString());
    GetWindow()->SetTitle(ToWx(Text(TextId::ProductName)));
}

void CDirCompareDlg::ShowResultMenuAtFocus() {
    PrepareResultMenu();
    // Below the focused row's name, or at the list's top left without one.
    wxPoint at(0, 0);
    wxRect row;
    const long focused = m_listResult->FocusedRow();
    if (focused >= 0 && m_listResult->RowRect(focused, row)) {
        const wxSize inside = m_listResult->GetClientSize();
        at = wxPoint(std::clamp(row.x + row.height, 0, inside.x), std::clamp(row.GetBottom(), 0, inside.y));
    }
    TrackResultMenu(GetWindow()->ScreenToClient(m_listResult->ClientToScreen(at)));
}

void CDirCompareDlg::OnKeyDownResultList(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const int modifiers = event.GetModifiers();
    // The menu key is WXK_MENU on GTK and WXK_WINDOWS_MENU on Windows, where
    // WXK_MENU never comes (the Alt key there is WXK_ALT).
    const bool menuKey = key == WXK_MENU || key == WXK_WINDOWS_MENU;
    if ((menuKey && modifiers == wxMOD_NONE) || (key == WXK_F10 && modifiers == wxMOD_SHIFT)) {
        ShowResultMenuAtFocus();
        return;
    }
    if (key == 'A' && modifiers == wxMOD_CONTROL) {
        wxCommandEvent selectAll;
        if (m_listResult->RowCount() != 0) OnSelectAll(selectAll);
        return;
    }
    event.Skip();
}

// F5 compares wherever the focus is in the window.
void CDirCompareDlg::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_F5 && event.GetModifiers() == wxMOD_NONE) {
        OnOK();
        return;
    }
    event.Skip();
}

void CDirCompareDlg::OnFocusedRow(long row) {
    // Without a focused row the line keeps what it says about the list.
    if (row >= 0) m_statusLine->SetLabelText(ToWx(m_listResult->RowPaths(row, false)));
}

void CDirCompareDlg::PrepareResultMenu() {
    m_pPopupMenu->Enable(MenuWxId(ID_SELECT_ALL), m_listResult->RowCount() != 0);
    m_pPopupMenu->Enable(MenuWxId(ID_COPY_SELECTED), m_listResult->SelectedRowCount() != 0);
}

void CDirCompareDlg::TrackResultMenu(const wxPoint& pos) { GetWindow()->PopupMenu(m_pPopupMenu, pos); }

void CDirCompareDlg::OnSelectAll(wxCommandEvent&) {
    m_listResult->SelectAllRows();
}

void CDirCompareDlg::OnCopySelected(wxCommandEvent&) { CopySelectedFiles(); }

void CDirCompareDlg::OnAbout(wxCommandEvent&) {
    CAboutDlg about;
    about.DoModal(GetWindow());
}

void CDirCompareDlg::OnSecret(wxCommandEvent&) {
    ShowMessage(GetWindow(), Text(TextId::SecretMessage), wxOK | wxICON_INFORMATION);
}

ColumnWidths CDirCompareDlg::ColumnWidthsShown() const {
    return {m_listResult->ColumnWidth(0), m_listResult->ColumnWidth(1), m_listResult->ColumnWidth(2)};
}

WindowSize CDirCompareDlg::WindowSizeShown() const {
    const wxSize size = GetWindow()->GetSize();
    return {size.x, size.y};
}

bool CDirCompareDlg::AskToCreateSettingsFile() {
    return ShowMessage(GetWindow(), CreateSettingsQuestion(m_store), wxYES_NO | wxICON_QUESTION) == wxYES;
}

void CDirCompareDlg::SaveChangedSettings() {
    const ColumnWidths widths = ColumnWidthsShown();
    const WindowSize shown = WindowSizeShown();
    if (!SettingsChanged(m_bPairsModified, m_startWidths, widths, m_startSize, shown)) return;
    // An unchanged window keeps the size stored before (or none).
    const WindowSize size = shown == m_startSize ? m_storedSize : shown;
    // Widths the user left alone stay as the file had them: the dates' room
    // measured in this font is no setting of theirs.
    const ColumnWidths stored = widths == m_startWidths ? m_loadedWidths : widths;
    SaveResult result = SaveSettings(m_store, stored, size, m_pairs);
    // Changed pairs would be lost without a settings file: the user decides
    // whether to create one. Widths and size alone are not worth the question.
    if (result == SaveResult::NoSettingsFile && m_bPairsModified && m_store.HasFile() &&
        AskToCreateSettingsFile()) {
        result = CreateSettingsFile(m_store) ? SaveSettings(m_store, stored, size, m_pairs) : SaveResult::Failed;
    }
    if (result == SaveResult::Failed)
        ShowMessage(GetWindow(), SaveFailedText(m_store.path), wxOK | wxICON_EXCLAMATION);
}

void CDirCompareDlg::OnCancel() {
    if (m_run) {
        // Closed while work runs: the work stops and its thread is joined
        // first; the code that started it then comes back here.
        m_exitAfterRun = true;
        m_run->RequestStop();
        return;
    }
    // Leaving must stay possible: a failed save is reported, then the dialog
    // ends all the same.
    SaveChangedSettings();
    EndDialog(wxID_CANCEL);
}

void CDirCompareDlg::RunInBackground(WindowRunObserver& observer, const std::function<void()>& work,
                                     const std::function<void()>& onTick) {
    wxDialog* wnd = GetWindow();
    wxWindow* focus = wxWindow::FindFocus();
    if (focus && wxGetTopLevelParent(focus) != wnd) focus = nullptr;
    m_run = &observer;
    wnd->Disable();
    // The window takes input again afterwards, whatever happened, with the
    // focus where it was (GTK may drop it from a window made insensitive).
    struct Restore {
        CDirCompareDlg& dlg;
        wxDialog* wnd;
        wxWindow* focus;
        ~Restore() {
            dlg.m_run = nullptr;
            wnd->Enable();
            if (focus) focus->SetFocus();
        }
    } const restore{*this, wnd, focus};
    m_worker.Run(work, onTick);
}
