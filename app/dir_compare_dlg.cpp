#include "app/dir_compare_dlg.h"

#include <wx/filefn.h>
#include <wx/wupdlock.h>

#include <cstring>
#include <string>

#include "cli/failure_text.h"
#include "cli/start_option.h"
#include "core/compare.h"
#include "core/date_text.h"
#include "core/filesystem.h"
#include "dialogs/about_dlg.h"
#include "res/dialog_resources.h"
#include "res/icons.h"
#include "res/resource.h"
#include "res/strings.h"
#include "settings/settings.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace {

constexpr const char* kSecretText = "まだ秘密です。";

// Shown when the settings file exists but could not be rewritten.
std::string SaveFailedText(const std::string& fileName) {
    return "設定ﾌｧｲﾙ \"" + fileName + "\" に保存できませんでした。\n変更したﾃﾞｨﾚｸﾄﾘの設定は保存されていません。";
}

// Asked at Exit when changed pairs would be lost for want of a settings file.
std::string CreateSettingsQuestion(const SettingsStore& store) {
    std::string folder = store.Folder();
    if (!wxIsAbsolutePath(ToWx(folder))) {
        const std::string cwd = FromWx(wxGetCwd());
        folder = folder == "." ? cwd : cwd + kPathSeparator + folder;
    }
    return "設定ﾌｧｲﾙ \"" + store.FileName() + "\" がﾌｫﾙﾀﾞ \"" + folder +
           "\" にありません。\nこのﾌｫﾙﾀﾞに作成して、変更したﾃﾞｨﾚｸﾄﾘの設定を保存しますか?";
}

const char* const kColumnTitles[] = {"ﾌｧｲﾙ名", "更新日付Ａ", "更新日付Ｂ"};
const int kRowStateIcons[] = {IDI_ONLY_A, IDI_ONLY_B, IDI_A_NEWER, IDI_B_NEWER};

// Appends a separator and the About item, unless the About text is empty.
void AppendAboutItem(wxMenu* menu) {
    const char* text = LoadResString(IDS_ABOUTBOX);
    if (!menu || !*text) return;
    menu->AppendSeparator();
    menu->Append(IDM_ABOUTBOX, ToWx(text));
}

std::unique_ptr<wxMenu> BuildResultMenu() {
    auto menu = std::make_unique<wxMenu>();
    for (const MenuItemTemplate& item : ResultMenuItems()) {
        if (item.id == 0)
            menu->AppendSeparator();
        else
            menu->Append(CDirCompareDlg::MenuWxId(item.id), ToWx(item.text));
    }
    return menu;
}

}  // namespace

CDirCompareDlg::CDirCompareDlg() : ResourceDialog(kDirCompareDialog), m_hIcon(LoadAppIcons()) {
    std::memset(&m_pairs, 0, sizeof m_pairs);
    std::memset(&m_diffs, 0, sizeof m_diffs);
}

CDirCompareDlg::~CDirCompareDlg() {
    // The list refers to the image list; the window goes first.
    DestroyWindow();
}

bool CDirCompareDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    m_listResult = Item<wxListCtrl>(IDC_RESULT_LIST);

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
    // goes to the end of the results context menu instead.
    AppendAboutItem(m_pPopupMenu);
#endif

    m_pImageList = std::make_unique<wxImageList>();
    if (m_pImageList->Create(16, 16, true, 4)) {
        for (int id : kRowStateIcons) m_pImageList->Add(LoadIconResource(id));
    }
    m_listResult->SetImageList(m_pImageList.get(), wxIMAGE_LIST_SMALL);

    const int columnWidths[] = {widths.fileName, widths.timeA, widths.timeB};
    for (int col = 0; col < 3; ++col)
        m_listResult->InsertColumn(col, ToWx(kColumnTitles[col]), wxLIST_FORMAT_LEFT, columnWidths[col]);
    // Exit compares against what the window shows, not what the file said: a
    // width the list does not take as given is no change of the user's.
    // A stored window size (m_storedSize) is to be applied before this point.
    m_startWidths = ColumnWidthsShown();
    m_startSize = WindowSizeShown();

    // The dialog opens with the focus on its first tab stop, Exit.
    GetDlgItem(IDCANCEL)->SetFocus();

    if (HasCompareAtStartOption(m_args)) {
        CompareAll();
        if (m_diffs.count != 0)
            FillResultList();
        else
            OnCancel();
    }
    return true;
}

void CDirCompareDlg::CompareAll() {
    ::CompareAll(m_pairs, m_diffs, RealFileSystem(), [this](const ListingFailure& failure) {
        ShowMessage(GetWindow(), FormatListingFailure(failure.failedDir.c_str(), failure.otherDir.c_str()),
                    wxOK | wxICON_EXCLAMATION);
        GetWindow()->Raise();
    });
}

// Compare: the list and the table are emptied, then filled anew.
void CDirCompareDlg::OnOK() {
    m_listResult->DeleteAllItems();
    std::memset(&m_diffs, 0, sizeof m_diffs);
    CompareAll();
    FillResultList();
}

int CDirCompareDlg::FillResultList() {
    // One repaint at the end instead of one per row.
    wxWindowUpdateLocker noRedraw(m_listResult);
    for (int i = 0; i < m_diffs.count; ++i) {
        const DiffEntry& e = m_diffs.entries[i];
        const DiffKind image = KindOf(e);
        m_listResult->InsertItem(i, ToWx(e.name), image);
        if (image != IMAGE_ONLY_B) m_listResult->SetItem(i, 1, ToWx(FormatDateText(e.timeA)));
        if (image != IMAGE_ONLY_A) m_listResult->SetItem(i, 2, ToWx(FormatDateText(e.timeB)));
    }
    return 0;
}

void CDirCompareDlg::ClearResults() {
    if (m_listResult) m_listResult->DeleteAllItems();
    std::memset(&m_diffs, 0, sizeof m_diffs);
}

void CDirCompareDlg::OnRClickResultList(wxEvent&) {
    PrepareResultMenu();
    TrackResultMenu();
}

void CDirCompareDlg::PrepareResultMenu() {
    m_pPopupMenu->Enable(MenuWxId(ID_SELECT_ALL), m_listResult->GetItemCount() != 0);
    m_pPopupMenu->Enable(MenuWxId(ID_COPY_SELECTED), m_listResult->GetSelectedItemCount() != 0);
}

void CDirCompareDlg::TrackResultMenu() { GetWindow()->PopupMenu(m_pPopupMenu); }

void CDirCompareDlg::OnSelectAll(wxCommandEvent&) {
    wxWindowUpdateLocker noRedraw(m_listResult);
    const int count = m_listResult->GetItemCount();
    for (int i = 0; i < count; ++i) m_listResult->SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void CDirCompareDlg::OnCopySelected(wxCommandEvent&) { CopySelectedFiles(); }

void CDirCompareDlg::OnAbout(wxCommandEvent&) {
    CAboutDlg about;
    about.DoModal(GetWindow());
}

void CDirCompareDlg::OnSecret(wxCommandEvent&) {
    ShowMessage(GetWindow(), kSecretText, wxOK | wxICON_INFORMATION);
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
    if (result == SaveResult::NoSettingsFile && m_bPairsModified && !m_store.path.empty() &&
        AskToCreateSettingsFile()) {
        result = CreateSettingsFile(m_store) ? SaveSettings(m_store, widths, size, m_pairs) : SaveResult::Failed;
    }
    if (result == SaveResult::Failed)
        ShowMessage(GetWindow(), SaveFailedText(m_store.path), wxOK | wxICON_EXCLAMATION);
}

void CDirCompareDlg::OnCancel() {
    // Leaving must stay possible: a failed save is reported, then the dialog
    // ends all the same.
    SaveChangedSettings();
    EndDialog(wxID_CANCEL);
}
