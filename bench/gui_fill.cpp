// Speed of filling the results list: 5,000 rows (the most a comparison
// gives) in the real main dialog on a real display (run it under xvfb-run).
//
// The rows come from a real comparison of one generated pair with 1,250 files
// of each kind (only in A, only in B, A newer, B newer), Japanese names among
// them. Measured, as medians over several runs:
//   fill     FillResultList alone (the rows go in while the list is frozen);
//   repaint  the one repaint that follows, forced with Update();
//   compare  the whole Compare button: empty the list, compare, fill, repaint.

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
#include "settings/ini_file.h"
#include "support/bench_support.h"

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

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "no display: run under xvfb-run\n");
        return 1;
    }

    const BenchTempDir temp;
    const std::string& root = temp.path();
    const std::string a = root + "/A", b = root + "/B";
    MakeDataset(a, b);
    const std::string settings = root + "/zoruna.INI";
    {
        std::FILE* f = std::fopen(settings.c_str(), "wb");
        std::fprintf(f, "[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n\r\n", a.c_str(), b.c_str());
        std::fclose(f);
    }
    SetSettingsFile(settings);

    auto dlg = std::make_unique<CDirCompareDlg>();
    dlg->Create(nullptr, true);
    Pump();
    wxListCtrl* list = dlg->ResultList();

    std::vector<double> fill, repaint, compare;
    dlg->CompareAll();
    const int rows = dlg->Diffs().count;
    for (int run = 0; run < kRuns; ++run) {
        list->DeleteAllItems();
        list->Update();
        Pump();

        const auto t0 = Clock::now();
        dlg->FillResultList();
        const auto t1 = Clock::now();
        list->Update();
        const auto t2 = Clock::now();
        fill.push_back(Ms(t1 - t0));
        repaint.push_back(Ms(t2 - t1));
        if (list->GetItemCount() != rows) {
            std::fprintf(stderr, "expected %d rows, the list has %d\n", rows, list->GetItemCount());
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
    Report("compare", compare);

    dlg->DestroyWindow();
    dlg.reset();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
