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
#include "core/filesystem.h"
#include "dialogs/about_dlg.h"
#include "dialogs/run_texts.h"
#include "res/dialog_resources.h"
#include "res/icons.h"
#include "res/resource.h"
#include "res/strings.h"
#include "settings/settings.h"
#include "texts/texts.h"
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

// The line with the focused row's paths takes this much of the list's
// height, in dialog units (text height and the gap above it).
constexpr int kStatusLineHeight = 8;
constexpr int kStatusLineGap = 2;

// Appends a separator and the About item, unless the About text is empty.
// mnemonic: the item's access key in place of the text's own, where the
// menu's other items already use that one.
void AppendAboutItem(wxMenu* menu, const char* mnemonic = nullptr) {
    std::string text = LoadResString(IDS_ABOUTBOX);
    if (!menu || text.empty()) return;
    if (const std::size_t at = text.find('&'); mnemonic && at != std::string::npos && at + 1 < text.size())
        text.replace(at + 1, 1, mnemonic);
    menu->AppendSeparator();
    menu->Append(IDM_ABOUTBOX, ToWx(text));
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
#ifdef __WXMSW__
    // The native list reports every right click inside it (NM_RCLICK), on a
    // row or on the empty space below the rows, as this command event.
    m_listResult->Bind(wxEVT_COMMAND_RIGHT_CLICK, &CDirCompareDlg::OnRClickResultList, this);
#else
    // The generic list passes its mouse events to the list control first.
    // On release, the press has already selected the row under the cursor,
    // as a right click does in a native list; rows and the empty space below
    // them alike. The menu key only sends wxEVT_CONTEXT_MENU, left alone.
    m_listResult->Bind(wxEVT_RIGHT_UP, &CDirCompareDlg::OnRClickResultList, this);
#endif
    m_listResult->Bind(wxEVT_KEY_DOWN, &CDirCompareDlg::OnKeyDownResultList, this);
    m_listResult->Bind(wxEVT_LIST_ITEM_FOCUSED, &CDirCompareDlg::OnFocusedRow, this);
    wnd->Bind(wxEVT_CHAR_HOOK, &CDirCompareDlg::OnCharHook, this);
    wnd->Bind(wxEVT_SIZE, &CDirCompareDlg::OnSize, this);

#ifdef __WXMSW__
    // The About item at the end of the system menu.
    AppendAboutItem(wnd->MSWGetSystemMenu());
#endif

    wnd->SetIcons(m_hIcon);

    ColumnWidths widths;
    LoadSettings(m_store, m_pairs, widths, m_storedSize);

    m_menuResult = BuildResultMenu();
    m_pPopupMenu = m_menuResult.get();
#ifndef __WXMSW__
    // GTK offers no system menu that a program can extend; the About item
    // goes to the end of the results context menu instead, with an access
    // key of its own (Select all has A).
    AppendAboutItem(m_pPopupMenu, "V");
#endif

    const int columnWidths[] = {widths.fileName, widths.timeA, widths.timeB};
    for (int col = 0; col < 3; ++col)
        m_listResult->InsertColumn(col, ToWx(Text(kColumnTitles[col])), wxLIST_FORMAT_LEFT, columnWidths[col]);
    ApplyWindowSize(m_storedSize.width, m_storedSize.height);
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

    const int statusHeight = wnd->ConvertDialogToPixels(wxSize(0, kStatusLineHeight)).y;
    const int gap = wnd->ConvertDialogToPixels(wxSize(0, kStatusLineGap)).y;
    wxRect listRect = area;
    listRect.height -= statusHeight + gap;
    m_listResult = new ResultListView(wnd, IDC_RESULT_LIST, listRect, border, m_pairs, m_diffs);
    m_listResult->MoveAfterInTabOrder(GetDlgItem(IDCANCEL));
    m_statusLine = new wxStaticText(wnd, wxID_ANY, wxString(), wxPoint(area.x, listRect.GetBottom() + 1 + gap),
                                    wxSize(area.width, statusHeight), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);

    m_layoutClientSize = wnd->GetClientSize();
    m_layout.clear();
    for (wxWindow* child : wnd->GetChildren()) m_layout.emplace_back(child, child->GetRect());
    wnd->SetMinClientSize(m_layoutClientSize);
}

// The list and the status line take what the window grows by; the buttons
// keep their distance to the bottom edge and to their own side.
void CDirCompareDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    const wxSize now = GetWindow()->GetClientSize();
    const int dw = std::max(0, now.x - m_layoutClientSize.x);
    const int dh = std::max(0, now.y - m_layoutClientSize.y);
    for (const auto& [control, rect] : m_layout) {
        wxRect to = rect;
        if (control == m_listResult) {
            to.width += dw;
            to.height += dh;
        } else if (control == m_statusLine) {
            to.y += dh;
            to.width += dw;
        } else {
            to.y += dh;
            if (rect.x + rect.width / 2 > m_layoutClientSize.x / 2) to.x += dw;
        }
        if (control->GetRect() != to) control->SetSize(to);
    }
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
    // Until a row has the focus the line says that the rows are not all.
    m_statusLine->SetLabelText(stopped ? ToWx(Text(TextId::StoppedStatus)) : wxString());
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
    m_statusLine->SetLabelText(wxString());
    GetWindow()->SetTitle(ToWx(Text(TextId::ProductName)));
}

void CDirCompareDlg::OnRClickResultList(wxEvent&) {
    PrepareResultMenu();
    TrackResultMenu(wxDefaultPosition);
}

void CDirCompareDlg::ShowResultMenuAtFocus() {
    PrepareResultMenu();
    // Below the focused row's name, or at the list's top left without one.
    wxPoint at(0, 0);
    wxRect row;
    const long focused = m_listResult->GetFocusedItem();
    if (focused >= 0 && m_listResult->GetItemRect(focused, row)) {
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
        if (m_listResult->GetItemCount() != 0) OnSelectAll(selectAll);
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

void CDirCompareDlg::OnFocusedRow(wxListEvent& event) {
    event.Skip();
    m_statusLine->SetLabelText(ToWx(m_listResult->RowPaths(event.GetIndex(), false)));
}

void CDirCompareDlg::PrepareResultMenu() {
    m_pPopupMenu->Enable(MenuWxId(ID_SELECT_ALL), m_listResult->GetItemCount() != 0);
    m_pPopupMenu->Enable(MenuWxId(ID_COPY_SELECTED), m_listResult->GetSelectedItemCount() != 0);
}

void CDirCompareDlg::TrackResultMenu(const wxPoint& pos) { GetWindow()->PopupMenu(m_pPopupMenu, pos); }

void CDirCompareDlg::OnSelectAll(wxCommandEvent&) {
    // Row -1 stands for every row of a virtual list: one step, not 5000.
    m_listResult->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
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
    return {m_listResult->GetColumnWidth(0), m_listResult->GetColumnWidth(1), m_listResult->GetColumnWidth(2)};
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
    SaveResult result = SaveSettings(m_store, widths, size, m_pairs);
    // Changed pairs would be lost without a settings file: the user decides
    // whether to create one. Widths and size alone are not worth the question.
    if (result == SaveResult::NoSettingsFile && m_bPairsModified && m_store.HasFile() &&
        AskToCreateSettingsFile()) {
        result = CreateSettingsFile(m_store) ? SaveSettings(m_store, widths, size, m_pairs) : SaveResult::Failed;
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
