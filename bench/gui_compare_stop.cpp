// The window during a long comparison (run it under xvfb-run): two trees of
// 100,000 files in 1,000 folders each, every folder listing slowed by 10 ms
// as on a slow network mount, compared by the real main dialog. Measured as
// medians over several comparisons, each stopped while it runs:
//   repaint  from a Refresh of the results list to its paint, while the
//            worker lists (target: 200 ms or less);
//   stop     from "中止" in the progress window to the window's message that
//            the comparison stopped, the worker joined (target: 200 ms or less).

#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/wx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/forwarding_fs.h"
#include "app/dir_compare_dlg.h"
#include "dialogs/compare_progress_dlg.h"
#include "res/resource.h"
#include "support/bench_support.h"
#include "support/gui_bench.h"

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr std::chrono::milliseconds kListingDelay{10};
constexpr int kRuns = 5;
constexpr double kTargetMs = 200;
constexpr time_t kTime = 1600000000;

void MakeTree(const std::string& top) {
    std::filesystem::create_directory(top);
    for (int d = 0; d < kFolders; ++d) {
        const std::string folder = top + "/folder_" + std::to_string(d);
        std::filesystem::create_directory(folder);
        for (int f = 0; f < kFilesPerFolder; ++f) CreateFile(folder + "/file_" + std::to_string(f) + ".dat", kTime);
    }
}

// The real file system, each listing of a folder 10 ms late.
class SlowListing : public ForwardingFileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        std::this_thread::sleep_for(kListingDelay);
        return ForwardingFileSystem::ListDirectory(dir, out);
    }
};

class BenchDialog : public CDirCompareDlg {
public:
    using CDirCompareDlg::CDirCompareDlg;
    std::function<void(CCompareProgressDlg&)> onTick;

protected:
    void OnCompareProgress(CCompareProgressDlg& progress) override {
        if (onTick) onTick(progress);
    }
};

// Answers the message that the comparison stopped, noting when it came.
class AnswerBoxes : public wxModalDialogHook {
public:
    double shownAtMs = -1;

protected:
    int Enter(wxDialog*) override {
        shownAtMs = NowMs();
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

void Report(const char* what, const std::vector<double>& ms) {
    std::printf("%-8s median %7.1f ms   (min %.1f, max %.1f, %d runs; target %.0f ms: %s)\n", what, Median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                static_cast<int>(ms.size()), kTargetMs, Median(ms) <= kTargetMs ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartWindowSystem(argc, argv)) return 1;

    const BenchTempDir temp;
    const std::string& root = temp.path();
    const std::string a = root + "/A", b = root + "/B";
    MakeTree(a);
    MakeTree(b);
    const std::string settings = root + "/zoruna.INI";
    WritePairSettings(settings, a, b, true);

    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    SlowListing fs;
    auto dlg = std::make_unique<BenchDialog>(fs);
    dlg->SetSettingsStore({settings, &RealFileSystem()});
    dlg->Create(nullptr, true);
    ResultListView* list = dlg->ResultList();
    double refreshedAtMs = -1, paintedAtMs = -1;
    OnListPaint(list, [&] {
        if (refreshedAtMs >= 0 && paintedAtMs < 0) paintedAtMs = NowMs();
    });
    AnswerBoxes boxes;
    boxes.Register();

    std::vector<double> repaint, stop;
    for (int run = 0; run < kRuns; ++run) {
        refreshedAtMs = paintedAtMs = -1;
        double stopAtMs = -1;
        boxes.shownAtMs = -1;
        // Once the progress window is up: a repaint of the list, then the stop.
        dlg->onTick = [&](CCompareProgressDlg& progress) {
            if (!progress.GetWindow() || stopAtMs >= 0) return;
            if (refreshedAtMs < 0) {
                refreshedAtMs = NowMs();
                list->Refresh();
            } else if (paintedAtMs >= 0) {
                stopAtMs = NowMs();
                wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                click.SetEventObject(progress.StopButton());
                progress.StopButton()->GetEventHandler()->ProcessEvent(click);
            }
        };
        wxCommandEvent compare(wxEVT_BUTTON, wxID_OK);
        dlg->GetDlgItem(IDOK)->GetEventHandler()->ProcessEvent(compare);
        if (stopAtMs < 0 || boxes.shownAtMs < 0 || !dlg->LastCompare().stopped) {
            std::fprintf(stderr, "the comparison ended before it was stopped\n");
            return 1;
        }
        repaint.push_back(paintedAtMs - refreshedAtMs);
        stop.push_back(boxes.shownAtMs - stopAtMs);
    }

    std::printf("window during a comparison of 2 x %d files in %d folders, each listing %lld ms late\n",
                kFolders * kFilesPerFolder, kFolders, static_cast<long long>(kListingDelay.count()));
    Report("repaint", repaint);
    Report("stop", stop);

    boxes.Unregister();
    dlg->DestroyWindow();
    dlg.reset();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
