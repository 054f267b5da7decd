// Speed of filling the results list: 5,000 rows (the most a comparison
// gives) in the real main dialog on a real display (run it under xvfb-run).
//
// The rows come from a real comparison of one generated pair with 1,250 files
// of each kind (only in A, only in B, A newer, B newer), Japanese names among
// them. Measured, as medians over several runs:
//   fill     FillResultList alone (the virtual list takes the row count);
//   repaint  the work until the list's row window has been painted: the idle
//            processing in which the list lays itself out, and the paint
//            (the visible rows' texts are formatted here); not the time GTK
//            waits for its next frame;
//   total    fill and repaint together (target: 20 ms or less);
//   frame    fill until painted, waiting for GTK's frame clock included;
//   compare  the whole Compare button: empty the list, compare, fill, repaint.

#include <wx/evtloop.h>
#include <wx/wx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/dir_compare_dlg.h"
#include "res/resource.h"
#include "support/bench_support.h"
#include "support/gui_bench.h"

namespace {

constexpr int kPerKind = 1250;
constexpr int kRuns = 9;
constexpr time_t kOld = 1600000000;
constexpr time_t kNew = 1700000000;

void MakeDataset(const std::string& a, const std::string& b) {
    std::filesystem::create_directory(a);
    std::filesystem::create_directory(b);
    for (int i = 0; i < kPerKind; ++i) {
        const std::string n = std::to_string(i);
        CreateFile(a + "/only_a_" + n + ".txt", kOld);
        CreateFile(b + "/写真_" + n + ".jpg", kNew);
        CreateFile(a + "/報告書_" + n + ".doc", kNew);
        CreateFile(b + "/報告書_" + n + ".doc", kOld);
        CreateFile(a + "/source_file_with_a_longer_name_" + n + ".cpp", kOld);
        CreateFile(b + "/source_file_with_a_longer_name_" + n + ".cpp", kNew);
    }
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, const std::vector<double>& ms) {
    std::printf("%-8s median %7.1f ms   (min %.1f, max %.1f, %d runs)\n", what, Median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                static_cast<int>(ms.size()));
}

void Pump() {
    while (wxTheApp->Pending()) wxTheApp->Dispatch();
    wxTheApp->ProcessPendingEvents();
}

// Set when GTK starts to draw the list, before the rows are drawn.
Clock::time_point g_paintStarted;

// Runs idle processing and events until *paints has grown. Returns the time
// spent in idle processing and in the paint, or a negative value when no
// paint came.
double PaintNow(wxEventLoopBase& loop, const int* paints) {
    const int before = *paints;
    Clock::duration work{};
    for (int i = 0; i < 1000; ++i) {
        const auto idle = Clock::now();
        wxTheApp->ProcessIdle();
        work += Clock::now() - idle;
        loop.DispatchTimeout(1);
        if (*paints != before) {
            work += Clock::now() - g_paintStarted;
            return std::chrono::duration<double, std::milli>(work).count();
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartWindowSystem(argc, argv)) return 1;

    const BenchTempDir temp;
    const std::string& root = temp.path();
    const std::string a = root + "/A", b = root + "/B";
    MakeDataset(a, b);
    const std::string settings = root + "/zoruna.INI";
    WritePairSettings(settings, a, b);

    // GTK paints from its main loop: one runs while the bench waits.
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    auto dlg = std::make_unique<CDirCompareDlg>(RealFileSystem());
    dlg->SetSettingsStore({settings, &RealFileSystem()});
    dlg->Create(nullptr, true);
    Pump();
    ResultListView* list = dlg->ResultList();
    int paints = 0;
    OnListPaint(list, [&paints] {
        ++paints;
        g_paintStarted = Clock::now();
    });

    std::vector<double> fill, repaint, total, frame, compare;
    dlg->CompareAll();
    const int rows = dlg->Diffs().count;
    for (int run = 0; run < kRuns; ++run) {
        list->ShowRows(0);
        list->Refresh();
        PaintNow(loop, &paints);

        const auto t0 = Clock::now();
        dlg->FillResultList();
        const auto t1 = Clock::now();
        const double paintMs = PaintNow(loop, &paints);
        if (paintMs < 0) {
            std::fprintf(stderr, "the list was not repainted\n");
            return 1;
        }
        const auto t2 = Clock::now();
        fill.push_back(Ms(t1 - t0));
        repaint.push_back(paintMs);
        total.push_back(Ms(t1 - t0) + paintMs);
        frame.push_back(Ms(t2 - t0));
        if (list->RowCount() != rows) {
            std::fprintf(stderr, "expected %d rows, the list has %d\n", rows, list->RowCount());
            return 1;
        }
        Pump();

        wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
        wxWindow* button = dlg->GetDlgItem(IDOK);
        const auto t3 = Clock::now();
        button->GetEventHandler()->ProcessEvent(click);
        list->Update();
        compare.push_back(Ms(Clock::now() - t3));
        Pump();
    }

    std::printf("results list, %d rows (%d of each kind)\n", rows, kPerKind);
    Report("fill", fill);
    Report("repaint", repaint);
    Report("total", total);
    Report("frame", frame);
    Report("compare", compare);

    dlg->DestroyWindow();
    dlg.reset();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
