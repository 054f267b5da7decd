// Takes the pictures of a copy: the confirmation with what will be copied,
// the progress window in the middle of the copy, the first failure box and
// the summary at the end. The main dialog compares the pair in the given
// settings file and every row is selected; the data is copied slowly, as to
// a slow network mount, so that the speed and the time left show. Some files
// fail: one is read-only in B, one cannot be read, one does not fit.
// Built and run by scripts/screenshot-copy-progress.sh.
//   copy-progress-shot settings.INI confirm.png progress.png failure.png summary.png
#include <wx/checkbox.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/wx.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "../tests/support/forwarding_fs.h"
#include "app/dir_compare_dlg.h"
#include "app/window_language.h"
#include "dialogs/copy_progress_dlg.h"
#include "res/resource.h"
#include "shot_support.h"

namespace {

// Every chunk of data 60 ms late (no clone, which would copy a file in one
// step); the sources named "社外秘..." cannot be opened, and nothing fits
// into B's folder "満杯".
class SlowCopy : public ForwardingFileSystem {
public:
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        return ForwardingFileSystem::CopyChunk(in, out, std::min<std::size_t>(n, 2u << 20));
    }
    bool CloneFile(FileHandle, FileHandle) override {
        errno = EOPNOTSUPP;
        return false;
    }
    FileHandle OpenRead(const std::string& path) override {
        if (path.find("/社外秘") != std::string::npos) {
            errno = EACCES;
            return kInvalidHandle;
        }
        return ForwardingFileSystem::OpenRead(path);
    }
    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        if (path.find("/満杯/") != std::string::npos) {
            errno = ENOSPC;
            return kInvalidHandle;
        }
        return ForwardingFileSystem::Create(path, exclusive, mode);
    }
};

// The screen is black around the windows: trimming leaves them.
void Shoot(const wxString& out) {
    const std::string file(out.utf8_str());
    std::system(("import -window root '" + file + "' && convert '" + file + "' -trim +repage '" + file + "'").c_str());
}

// Lets the window manager frame a window just shown, and every window
// paint what it uncovered.
void LetItShow(wxWindow* shown) {
    for (int i = 0; i < 40; ++i) {
        wxYield();
        if (i % 10 == 5) {
            for (wxWindow* w : wxTopLevelWindows) w->Refresh();
        }
        for (wxWindow* w : wxTopLevelWindows) w->Update();
        shown->Update();
        wxMilliSleep(10);
    }
}

// Shoots the progress window once the copy has run for a few seconds.
class ShotDialog : public CDirCompareDlg {
public:
    explicit ShotDialog(FileSystem& fs) : CDirCompareDlg(fs) {}
    wxString out;

protected:
    void OnCopyProgress(CCopyProgressDlg&) override {
        const auto now = std::chrono::steady_clock::now();
        if (m_first == std::chrono::steady_clock::time_point{}) m_first = now;
        if (m_shot || now - m_first < std::chrono::milliseconds(3500)) return;
        m_shot = true;
        Shoot(out);
    }

private:
    std::chrono::steady_clock::time_point m_first{};
    bool m_shot = false;
};

// Shows each modal dialog of the copy for its picture instead of running it,
// then answers it as the user would: OK, and for the first failure "以降の
// エラーを表示しない".
class ShotHook : public wxModalDialogHook {
public:
    wxString confirmOut, failureOut, summaryOut;

protected:
    int Enter(wxDialog* dialog) override {
        const bool failure = dialog->FindWindow(IDC_FAILURE_QUIET) != nullptr;
        const bool summary = dialog->FindWindow(IDC_SUMMARY_LABEL) != nullptr;
        const wxString& out = failure ? failureOut : summary ? summaryOut : confirmOut;
        dialog->Show();
        dialog->Raise();
        LetItShow(dialog);
        Shoot(out);
        if (failure) {
            auto* quiet = static_cast<wxCheckBox*>(dialog->FindWindow(IDC_FAILURE_QUIET));
            quiet->SetValue(true);
        }
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        ok.SetEventObject(dialog->FindWindow(wxID_OK));
        dialog->FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
        dialog->Hide();
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

class ShotApp : public wxApp {
public:
    bool OnInit() override {
        if (argc != 6) return false;
        UseWindowLanguage();
        OpenMainDialog(m_dlg, argv[1]);
        m_dlg.GetWindow()->SetSize(640, 400);
        m_hook.confirmOut = argv[2];
        m_dlg.out = argv[3];
        m_hook.failureOut = argv[4];
        m_hook.summaryOut = argv[5];
        m_timer.Bind(wxEVT_TIMER, &ShotApp::OnTimer, this);
        m_timer.Start(700);
        return true;
    }

private:
    // First tick: make the main window the active one (a raise may be
    // ignored). Second: compare and select every row. Third: copy.
    void OnTimer(wxTimerEvent&) {
        switch (m_ticks++) {
            case 0: {
                ActivateByClick(m_dlg.GetWindow());
                return;
            }
            case 1: {
                wxCommandEvent compare(wxEVT_BUTTON, wxID_OK);
                m_dlg.GetWindow()->FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(compare);
                ResultListView* list = m_dlg.ResultList();
                for (long i = 0; i < list->RowCount(); ++i)
                    list->SelectRow(i);
                return;
            }
            default:
                break;
        }
        m_timer.Stop();
        m_hook.Register();
        m_dlg.CopySelectedFiles();
        m_hook.Unregister();
        m_dlg.DestroyWindow();
        ExitMainLoop();
    }

    SlowCopy m_fs;
    ShotDialog m_dlg{m_fs};
    ShotHook m_hook;
    wxTimer m_timer;
    int m_ticks = 0;
};

}  // namespace

wxIMPLEMENT_APP(ShotApp);
