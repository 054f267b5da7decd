// The main dialog: owns the pair table, the result table, the results list
// and the nested dialogs, and runs the comparison, the list and the copy.
#pragma once

#include <wx/iconbndl.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/menu.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/resource_dialog.h"
#include "core/records.h"
#include "dialogs/confirm_copy_dlg.h"
#include "dialogs/dir_list_dlg.h"
#include "settings/settings.h"

class CDirCompareDlg : public ResourceDialog {
public:
    CDirCompareDlg();
    ~CDirCompareDlg() override;

    // The program's arguments after the program path, examined for -d.
    void SetArguments(std::vector<std::string> args) { m_args = std::move(args); }
    // Where the settings are loaded from at start and saved to at Exit; set
    // before Create. Without one there is no settings file.
    void SetSettingsStore(SettingsStore store) { m_store = std::move(store); }

    // Compares every registered pair into m_diffs; listing failures are shown
    // in message boxes owned by this dialog.
    void CompareAll();
    // Shows m_diffs in the (empty) results list, row i = entry i.
    int FillResultList();
    // Copies the selected rows' files after a confirmation, then compares
    // again and refills the list.
    void CopySelectedFiles();

    // The window identifier of a menu command: wxWidgets takes menu
    // identifiers only below 0x7FFF, so ID_SELECT_ALL and ID_COPY_SELECTED
    // (32772, 32773) are moved down; smaller identifiers stay as they are.
    static int MenuWxId(int command) { return command >= 0x7FFF ? command - 0x4000 : command; }

    DirPairTable& Pairs() { return m_pairs; }
    const DiffTable& Diffs() const { return m_diffs; }
    bool PairsModified() const { return m_bPairsModified; }
    // The window size from the settings file; 0 = none stored.
    const WindowSize& StoredWindowSize() const { return m_storedSize; }
    wxListCtrl* ResultList() const { return m_listResult; }
    wxMenu* PopupMenu() const { return m_pPopupMenu; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;      // Compare
    void OnCancel() override;  // Exit, Escape, close box, the -d close

    // Shows the prepared context menu at the mouse position; returns when the
    // menu has closed (tests replace it, a real popup waits for the user).
    virtual void TrackResultMenu();
    // The pairs were changed: Exit saves the settings.
    void MarkPairsModified() { m_bPairsModified = true; }
    // Asks whether to create the missing settings file and save into it;
    // true for Yes.
    bool AskToCreateSettingsFile();

private:
    void OnSecret(wxCommandEvent& event);
    void OnDirs(wxCommandEvent& event);
    void OnRClickResultList(wxEvent& event);
    // Greys Select all on an empty list and the copy without a selection.
    void PrepareResultMenu();
    void OnSelectAll(wxCommandEvent& event);
    void OnCopySelected(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    // Empties the results list and m_diffs (the results no longer match the pairs).
    void ClearResults();
    ColumnWidths ColumnWidthsShown() const;
    WindowSize WindowSizeShown() const;
    // Saves when anything changed since the start; a failed save is reported.
    void SaveChangedSettings();

    CDirListDlg m_dlgDirList;
    CConfirmCopyDlg m_dlgConfirmCopy;
    std::unique_ptr<wxMenu> m_menuResult;  // the results context menu
    wxMenu* m_pPopupMenu = nullptr;
    DirPairTable m_pairs;
    DiffTable m_diffs;
    std::unique_ptr<wxImageList> m_pImageList;
    bool m_bPairsModified = false;
    wxListCtrl* m_listResult = nullptr;  // valid while the window exists
    wxIconBundle m_hIcon;
    std::vector<std::string> m_args;
    SettingsStore m_store;
    WindowSize m_storedSize;       // as loaded; 0 = none stored
    ColumnWidths m_startWidths;    // as the list showed them at start
    WindowSize m_startSize;        // the window's size at start
};
