#include "app/dir_compare_dlg.h"

#include <wx/listctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/failure_text.h"
#include "core/copy.h"
#include "core/filesystem.h"
#include "dialogs/copy_progress_dlg.h"
#include "texts/texts.h"
#include "ui/message_box.h"

namespace {

// The bar is repainted at most this often; the lines at every file.
constexpr std::chrono::milliseconds kRepaintInterval{100};

// The copy failure's text with the folder the file was to go to on a second
// line (rows of different pairs may well have the same name).
std::string CopyFailureText(const DirPairTable& pairs, const DiffEntry& entry) {
    std::string text = FormatCopyFailure(entry.name);
    // An undecided row has no direction, so no folder it was to go to.
    if (entry.pairIndex < pairs.count && !entry.undecided)
        text += FormatText(TextId::CopyFailureTarget, {PlanCopy(pairs.pairs[entry.pairIndex], entry).toDir});
    return text;
}

// Shows the copy in the progress window and its failures in message boxes
// owned by the main window; the window's Cancel stops the copy.
class ProgressObserver : public RunObserver {
public:
    ProgressObserver(CCopyProgressDlg& progress, wxWindow* owner, const DirPairTable& pairs,
                     std::function<void()> onProgress)
        : m_progress(progress), m_owner(owner), m_pairs(pairs), m_onProgress(std::move(onProgress)) {}

    void OnFileStart(int row, const DiffEntry& entry, const char* fromDir, const char* toDir) override {
        m_startedRow = row;
        m_progress.m_strFile = FormatText(TextId::CopyFileLine, {entry.name});
        m_progress.m_strFrom = FormatText(TextId::CopyFromLine, {fromDir});
        m_progress.m_strTo = FormatText(TextId::CopyToLine, {toDir});
        m_progress.UpdateControls();
        RepaintNow();
    }

    void OnProgress(std::uint64_t done, std::uint64_t total) override {
        m_progress.SetProgress(done, total);
        if (Clock::now() - m_lastRepaint >= kRepaintInterval) RepaintNow();
        m_onProgress();
    }

    bool StopRequested() override { return m_progress.StopRequested(); }

    void OnFailure(int row, const DiffEntry& entry, FileCopyResult, int) override {
        if (row != m_startedRow) {
            // Refused before it started (its pair is gone): the lines would
            // still name the previous file.
            m_progress.m_strFile = FormatText(TextId::CopyFileLine, {entry.name});
            m_progress.m_strFrom.clear();
            m_progress.m_strTo.clear();
            m_progress.UpdateControls();
            RepaintNow();
        }
        ShowMessage(m_owner, CopyFailureText(m_pairs, entry), wxOK | wxICON_EXCLAMATION);
    }

private:
    using Clock = std::chrono::steady_clock;

    void RepaintNow() {
        m_progress.Repaint();
        m_lastRepaint = Clock::now();
    }

    CCopyProgressDlg& m_progress;
    wxWindow* m_owner;
    const DirPairTable& m_pairs;
    std::function<void()> m_onProgress;
    int m_startedRow = -1;
    Clock::time_point m_lastRepaint = Clock::now();
};

// Runs a function when the scope is left, by return or by exception.
template <class F>
class OnScopeExit {
public:
    explicit OnScopeExit(F f) : m_f(std::move(f)) {}
    OnScopeExit(const OnScopeExit&) = delete;
    OnScopeExit& operator=(const OnScopeExit&) = delete;
    ~OnScopeExit() { m_f(); }

private:
    F m_f;
};

// Places the window over the middle of the main window, its size unchanged.
void CentreOver(wxWindow* window, const wxWindow* main) {
    const wxRect m = main->GetScreenRect();
    const wxRect d = window->GetScreenRect();
    const int left = m.x + m.width / 2 - d.width / 2;
    const int top = m.y + m.height / 2 - d.height / 2;
    window->SetSize(left, top, d.width, d.height);
    window->Refresh();
}

}  // namespace

void CDirCompareDlg::CopySelectedFiles() {
    if (!m_listResult || m_dlgConfirmCopy.DoModal(GetWindow()) != wxID_OK) return;

    // The selection as it is now: the copy works on what the user chose.
    const int rows = m_listResult->GetItemCount();
    std::vector<bool> selected(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        selected[static_cast<std::size_t>(r)] = m_listResult->GetItemState(r, wxLIST_STATE_SELECTED) != 0;

    CCopyProgressDlg progress;
    // Whatever happens during the copy, the main window is usable again
    // afterwards: the progress window gone, the main window enabled, and the
    // list showing a fresh comparison with no row selected.
    const OnScopeExit restore([this, &progress] {
        progress.DestroyWindow();
        GetWindow()->Enable();
        try {
            ClearResults();
            CompareAll();
            FillAndReport();
        } catch (...) {
            // Rows must always match the result table; an empty list does.
            ClearResults();
        }
        GetWindow()->Raise();
    });
    progress.Create(GetWindow(), true);
    CentreOver(progress.GetWindow(), GetWindow());
    GetWindow()->Disable();
    progress.Repaint();
    progress.m_strMessage = Text(TextId::CopyingMessage);

    ProgressObserver observer(progress, GetWindow(), m_pairs, [this, &progress] { OnCopyProgress(progress); });
    ::CopySelectedFiles(
        m_pairs, m_diffs, rows, [&selected](int row) { return selected[static_cast<std::size_t>(row)]; },
        RealFileSystem(), observer);
    // A copy is the one thing that clears what dead copies left behind.
    RemoveCopyLeftovers(m_pairs, m_lastCompare.leftovers, RealFileSystem());
}
