#include "app/dir_compare_dlg.h"

#include <chrono>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/window_run_observer.h"
#include "cli/copy_figures_text.h"
#include "cli/failure_text.h"
#include "core/copy.h"
#include "core/copy_preview.h"
#include "core/transfer_rate.h"
#include "dialogs/copy_failure_dlg.h"
#include "dialogs/copy_progress_dlg.h"
#include "dialogs/copy_summary_dlg.h"
#include "dialogs/run_texts.h"
#include "texts/texts.h"
#include "ui/message_box.h"

namespace {

// The folder a row's file was to go to; empty for an undecided row (it has
// no direction) or one whose pair is gone.
std::string TargetFolder(const DirPairTable& pairs, const DiffEntry& entry) {
    if (entry.pairIndex >= pairs.count || entry.undecided) return {};
    return PlanCopy(pairs.pairs[entry.pairIndex], entry).toDir;
}

// The copy failure's text: the reason on the second line and the folder the
// file was to go to on the third (rows of different pairs may well have the
// same name).
std::string CopyFailureText(const std::string& name, const std::string& reason, const std::string& toDir) {
    std::string text = FormatCopyFailure(name.c_str()) + reason;
    if (!toDir.empty()) {
        text += '\n';
        text += FormatText(TextId::CopyFailureTarget, {toDir});
    }
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
    if (!m_listResult || m_run) return;

    // The selection as it is now: the question and the copy work on what
    // the user chose.
    const int rows = m_listResult->RowCount();
    std::vector<bool> selected(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        selected[static_cast<std::size_t>(r)] = m_listResult->IsRowSelected(r);
    const RowSelectedFn isSelected = [&selected](int row) { return selected[static_cast<std::size_t>(row)]; };
    const CopyPreview preview = PreviewCopy(m_pairs, m_diffs, rows, isSelected);
    m_dlgConfirmCopy.SetLines(CopyPreviewLines(preview));
    if (m_dlgConfirmCopy.DoModal(GetWindow()) != wxID_OK) return;

    wxDialog* wnd = GetWindow();
    // What the work failed with (empty when it ended normally).
    std::optional<std::string> error;
    CopyRunSummary summary;
    std::vector<std::string> failures;  // the summary's lines
    {
        WindowRunObserver observer(m_worker);
        CCopyProgressDlg progress;
        progress.Create(wnd, true);
        progress.CentreOver(wnd);
        progress.m_strMessage = Text(TextId::CopyingMessage);
        progress.UpdateControls();
        progress.SetStopHandler([&observer] { observer.RequestStop(); });

        WindowRunObserver::CopyState shown;
        TransferRate rate;
        const auto showFigures = [&] {
            const WindowRunObserver::CopyState& now = shown;
            rate.Add(TransferRate::Clock::now(), now.done);
            progress.SetFigures(FormatCopyFigures(now.number, preview.selected(), now.done, now.total),
                                FormatCopyRate(rate.BytesPerSecond(), rate.TimeLeft(now.total)));
        };
        // A failure is shown with the window as it stands at that file,
        // until the user asks for no more boxes.
        bool quiet = false;
        observer.SetCopyFailureHandler([&](const DiffEntry& entry, FileCopyResult reason, int errorNumber) {
            const std::string why = FormatCopyFailureReason(reason, errorNumber);
            const std::string toDir = TargetFolder(m_pairs, entry);
            failures.push_back(FormatSummaryFailure(entry.name, why, toDir.c_str()));
            if (quiet) return;
            ShowCopyState(progress, observer.Copy(), shown);
            showFigures();
            CCopyFailureDlg box;
            box.m_strText = CopyFailureText(entry.name, why, toDir);
            box.DoModal(wnd);
            quiet = box.m_bQuiet;
        });
        const auto onTick = [&] {
            const bool changed = ShowCopyState(progress, observer.Copy(), shown);
            showFigures();
            if (changed) OnCopyProgress(progress);
        };
        const auto work = [&] {
            summary = ::CopySelectedFiles(m_pairs, m_diffs, rows, isSelected, m_fs, observer);
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
    if (!error && !ExitAfterRun()) ShowCopySummary(summary, failures);
    // The list shows a fresh comparison with no row selected, or, when that
    // failed, nothing (it said why).
    if (!ExitAfterRun() && CompareAll() && !ExitAfterRun()) FillAndReport();
    if (ExitAfterRun()) {
        OnCancel();
        return;
    }
    wnd->Raise();
}

void CDirCompareDlg::ShowCopySummary(const CopyRunSummary& summary, std::vector<std::string> failures) {
    CCopySummaryDlg dlg;
    dlg.m_counts = CopySummaryLines(summary);
    dlg.m_failures = std::move(failures);
    dlg.DoModal(GetWindow());
}
