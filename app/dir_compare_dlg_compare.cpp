#include "app/dir_compare_dlg.h"

#include <chrono>
#include <ctime>
#include <exception>
#include <optional>
#include <string>

#include "app/window_run_observer.h"
#include "cli/failure_text.h"
#include "core/compare.h"
#include "dialogs/compare_progress_dlg.h"
#include "dialogs/run_texts.h"
#include "ui/message_box.h"

namespace {

// A comparison that ends sooner shows no progress window at all, so that a
// quick one does not flash a window.
constexpr std::chrono::milliseconds kProgressDelay{500};

}  // namespace

bool CDirCompareDlg::CompareAll() {
    // One run at a time: the window takes no input while one runs.
    if (m_run) return false;
    // The worker rewrites the table while the list may be painted: the list
    // shows no row of it until the comparison has ended.
    ClearResults();
    wxDialog* wnd = GetWindow();
    WindowRunObserver observer(m_worker);
    observer.SetListingFailureHandler([wnd](const ListingFailure& failure) {
        ShowMessage(wnd, FormatListingFailure(failure.failedDir.c_str(), failure.otherDir.c_str()),
                    wxOK | wxICON_EXCLAMATION);
        wnd->Raise();
    });

    CCompareProgressDlg progress;
    progress.SetStopHandler([&observer] { observer.RequestStop(); });
    const auto started = std::chrono::steady_clock::now();
    const auto onTick = [&] {
        if (!progress.GetWindow() && std::chrono::steady_clock::now() - started >= kProgressDelay) {
            progress.Create(wnd, true);
            progress.CentreOver(wnd);
        }
        if (progress.GetWindow()) {
            const ListingProgress now = observer.Listing();
            progress.ShowProgress(now.folder, now.folders, now.files);
        }
        OnCompareProgress(progress);
    };

    CompareSummary summary;
    // What the work failed with (empty when it ended normally).
    std::optional<std::string> error;
    try {
        RunInBackground(
            observer, [&] { summary = ::CompareAll(m_pairs, m_diffs, m_fs, observer); }, onTick);
    } catch (const std::exception& e) {
        error = e.what();
    }
    progress.DestroyWindow();
    if (error) {
        // Rows must always match the table; an empty list does.
        ClearResults();
        ShowMessage(wnd, CompareErrorText(*error), wxOK | wxICON_EXCLAMATION);
        return false;
    }
    m_lastCompare = std::move(summary);
    m_comparedAt = static_cast<FileTime>(std::time(nullptr));
    return true;
}
