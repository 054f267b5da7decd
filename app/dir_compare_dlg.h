// The main dialog: owns the pair table, the result table, the results list
// and the nested dialogs, and runs the comparison, the list and the copy.
#pragma once

#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/result_list_view.h"
#include "core/compare.h"
#include "core/copy.h"
#include "core/filesystem.h"
#include "core/records.h"
#include "ui/grow_layout.h"
#include "ui/resource_dialog.h"
#include "ui/worker_loop.h"
#include "dialogs/confirm_copy_dlg.h"
#include "dialogs/dir_list_dlg.h"
#include "settings/settings.h"

class CCompareProgressDlg;
class CCopyProgressDlg;
class WindowRunObserver;

class CDirCompareDlg : public ResourceDialog {
public:
    // fs: what the comparison and the copy list, read and write through.
    explicit CDirCompareDlg(FileSystem& fs);
    ~CDirCompareDlg() override;

    // The program's arguments after the program path, examined for -d.
    void SetArguments(std::vector<std::string> args) { m_args = std::move(args); }
    // Where the settings are loaded from at start and saved to at Exit; set
    // before Create. Without one there is no settings file.
    void SetSettingsStore(SettingsStore store) { m_store = std::move(store); }

    // Compares every registered pair into m_diffs on a worker thread while
    // this thread handles the window's events; a progress window appears
    // when it takes long, listing failures are shown in message boxes owned
    // by this dialog. False when it ended with an error (said in a box; the
    // results are then empty).
    bool CompareAll();
    // Shows m_diffs in the (empty) results list, row i = entry i, and the
    // number of rows in the title (which also says when the comparison was
    // stopped).
    void FillResultList();
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
    ResultListView* ResultList() const { return m_listResult; }
    wxMenu* PopupMenu() const { return m_pPopupMenu; }
    // The line under the list with the focused row's two paths.
    wxStaticText* StatusLine() const { return m_statusLine; }
    // Differences the last comparison had to leave out, per pair slot.
    const CompareSummary& LastCompare() const { return m_lastCompare; }

    // Gives the window a stored size (outer, as GetSize() reports it; 0: not
    // stored), never less than its layout's size, and lays it out.
    void ApplyWindowSize(int width, int height);

protected:
    bool OnInitDialog() override;
    void OnOK() override;      // Compare
    void OnCancel() override;  // Exit, Escape, close box, the -d close

    // Shows the prepared context menu at pos in the dialog (wxDefaultPosition:
    // at the mouse); returns when the menu has closed (tests replace it, a
    // real popup waits for the user).
    virtual void TrackResultMenu(const wxPoint& pos);
    // Called while a copy runs, on the window thread, after the bar has moved
    // (tests press the progress window's buttons here).
    virtual void OnCopyProgress(CCopyProgressDlg& /*progress*/) {}
    // Called at every tick while a comparison runs, on the window thread;
    // the progress window has no window until it has appeared.
    virtual void OnCompareProgress(CCompareProgressDlg& /*progress*/) {}
    // The pairs were changed: Exit saves the settings.
    void MarkPairsModified() { m_bPairsModified = true; }
    // Asks whether to create the missing settings file and save into it;
    // true for Yes.
    bool AskToCreateSettingsFile();

private:
    void OnSecret(wxCommandEvent& event);
    void OnDirs(wxCommandEvent& event);
    void OnKeyDownResultList(wxKeyEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnFocusedRow(long row);
    // Opens the context menu at the focused row (keyboard).
    void ShowResultMenuAtFocus();
    // Fills the list and says when the comparison had to leave differences out.
    void FillAndReport();
    // The modal summary at the end of a copy, with the failures' lines.
    void ShowCopySummary(const CopyRunSummary& summary, std::vector<std::string> failures);
    // Replaces the layout's plain list with the virtual one, adds the status
    // line and remembers where each control sits for resizing.
    void BuildResultArea();
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
    // Runs work on the worker thread with this window disabled for input and
    // calls onTick at every tick; work reports to observer, which the Exit
    // path stops. An exception from work is thrown again here.
    void RunInBackground(WindowRunObserver& observer, const std::function<void()>& work,
                         const std::function<void()>& onTick);
    // Exit was asked for while work ran: the work was stopped, and the
    // caller leaves instead of showing its results.
    bool ExitAfterRun() const { return m_exitAfterRun; }

    FileSystem& m_fs;
    WorkerLoop m_worker;
    WindowRunObserver* m_run = nullptr;  // the work running, if any
    bool m_exitAfterRun = false;
    CDirListDlg m_dlgDirList;
    CConfirmCopyDlg m_dlgConfirmCopy;
    std::unique_ptr<wxMenu> m_menuResult;  // the results context menu
    wxMenu* m_pPopupMenu = nullptr;
    DirPairTable m_pairs;
    DiffTable m_diffs;
    bool m_bPairsModified = false;
    ResultListView* m_listResult = nullptr;  // valid while the window exists
    wxStaticText* m_statusLine = nullptr;    // valid while the window exists
    CompareSummary m_lastCompare;
    FileTime m_comparedAt = 0;  // when the last comparison ended
    GrowLayout m_layout;
    wxIconBundle m_hIcon;
    std::vector<std::string> m_args;
    SettingsStore m_store;
    WindowSize m_storedSize;       // as loaded; 0 = none stored
    ColumnWidths m_loadedWidths;   // as the settings file gave them
    ColumnWidths m_startWidths;    // as the list showed them at start
    WindowSize m_startSize;        // the window's size at start
};
