#include "app/dir_compare_dlg.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/window_run_observer.h"
#include "cli/failure_text.h"
#include "core/copy.h"
#include "dialogs/copy_progress_dlg.h"
#include "dialogs/run_texts.h"
#include "texts/texts.h"
#include "ui/message_box.h"

namespace {


// The copy failure's text with the folder the file was to go to on a second
// line (rows of different pairs may well have the same name).
std::string CopyFailureText(const DirPairTable& pairs, const DiffEntry& entry) {
    std::string text = FormatCopyFailure(entry.name);
    // An undecided row has no direction, so no folder it was to go to.
    if (entry.pairIndex < pairs.count && !entry.undecided)
        text += FormatText(TextId::CopyFailureTarget, {PlanCopy(pairs.pairs[entry.pairIndex], entry).toDir});
    return text;
}

// Puts the copy's latest state into the progress window; true when it
// changed since the state shown before.
bool ShowCopyState(CCopyProgressDlg& progress, const WindowRunObserver::CopyState& now,
                   WindowRunObserver::CopyState& shown) {
    if (now == shown) return false;
    if (now.file != shown.file || now.from != shown.from || now.to != shown.to) {
        progress.m_strFile = now.file;
        progress.m_strFrom = now.from;
        progress.m_strTo = now.to;
        progress.UpdateControls();
    }
    progress.SetProgress(now.done, now.total);
    shown = now;
    return true;
}

}  // namespace

void CDirCompareDlg::CopySelectedFiles() {
    if (!m_listResult || m_run || m_dlgConfirmCopy.DoModal(GetWindow()) != wxID_OK) return;

    // The selection as it is now: the copy works on what the user chose.
    const int rows = m_listResult->RowCount();
    std::vector<bool> selected(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        selected[static_cast<std::size_t>(r)] = m_listResult->IsRowSelected(r);

    wxDialog* wnd = GetWindow();
    // What the work failed with (empty when it ended normally).
    std::optional<std::string> error;
    {
        WindowRunObserver observer(m_worker);
        CCopyProgressDlg progress;
        progress.Create(wnd, true);
        progress.CentreOver(wnd);
        progress.m_strMessage = Text(TextId::CopyingMessage);
        progress.UpdateControls();
        progress.SetStopHandler([&observer] { observer.RequestStop(); });

        WindowRunObserver::CopyState shown;
        // A failure is shown with the window as it stands at that file.
        observer.SetCopyFailureHandler([&](const DiffEntry& entry) {
            ShowCopyState(progress, observer.Copy(), shown);
            ShowMessage(wnd, CopyFailureText(m_pairs, entry), wxOK | wxICON_EXCLAMATION);
        });
        const auto onTick = [&] {
            if (ShowCopyState(progress, observer.Copy(), shown)) OnCopyProgress(progress);
        };
        const auto work = [&] {
            ::CopySelectedFiles(
                m_pairs, m_diffs, rows, [&selected](int row) { return selected[static_cast<std::size_t>(row)]; }, m_fs,
                observer);
            // A copy is the one thing that clears what dead copies left behind.
            RemoveCopyLeftovers(m_pairs, m_lastCompare.leftovers, m_fs);
        };
        try {
            RunInBackground(observer, work, onTick);
        } catch (const std::exception& e) {
            error = e.what();
        }
        progress.DestroyWindow();
    }
    if (error) ShowMessage(wnd, CopyErrorText(*error), wxOK | wxICON_EXCLAMATION);
    // The list shows a fresh comparison with no row selected, or, when that
    // failed, nothing (it said why).
    if (!ExitAfterRun() && CompareAll() && !ExitAfterRun()) FillAndReport();
    if (ExitAfterRun()) {
        OnCancel();
        return;
    }
    wnd->Raise();
}
