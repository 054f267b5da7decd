// Takes a picture of the comparison's progress window: the main dialog
// compares the pair of the given settings file, whose folder listings are
// slowed as on a slow network mount; once the progress window has shown
// for a while the screen is captured and the comparison stopped. Built and
// run by scripts/screenshot-compare-progress.sh.
//   compare-progress-shot settings.INI output.png
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/wx.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "../tests/support/forwarding_fs.h"
#include "app/dir_compare_dlg.h"
#include "app/window_language.h"
#include "dialogs/compare_progress_dlg.h"
#include "shot_support.h"

namespace {

// Every folder listing 20 ms late.
class SlowListing : public ForwardingFileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return ForwardingFileSystem::ListDirectory(dir, out);
    }
};

// Shoots once the progress window has been up for some ticks, then stops.
class ShotDialog : public CDirCompareDlg {
public:
    explicit ShotDialog(FileSystem& fs) : CDirCompareDlg(fs) {}
    wxString out;

protected:
    void OnCompareProgress(CCompareProgressDlg& progress) override {
        if (!progress.GetWindow() || progress.StopRequested() || ++m_shownTicks < 15) return;
        // The screen is black around the windows: trimming leaves them.
        const std::string file(out.utf8_str());
        std::system(
            ("import -window root '" + file + "' && convert '" + file + "' -trim +repage '" + file + "'").c_str());
        wxCommandEvent stop(wxEVT_BUTTON, wxID_CANCEL);
        progress.StopButton()->GetEventHandler()->ProcessEvent(stop);
    }

private:
    int m_shownTicks = 0;
};

// Answers the message that the comparison stopped.
class AnswerBoxes : public wxModalDialogHook {
protected:
    int Enter(wxDialog*) override { return wxID_OK; }
    void Exit(wxDialog*) override {}
};

class ShotApp : public wxApp {
public:
    bool OnInit() override {
        if (argc != 3) return false;
        UseWindowLanguage();
        OpenMainDialog(m_dlg, argv[1]);
        m_dlg.out = argv[2];
        m_dlg.GetWindow()->SetSize(560, 360);
        m_timer.Bind(wxEVT_TIMER, &ShotApp::OnTimer, this);
        m_timer.Start(700);
        return true;
    }

private:
    // First tick: make the main window the active one (a raise may be
    // ignored). Second: compare.
    void OnTimer(wxTimerEvent&) {
        if (m_ticks++ == 0) {
            ActivateByClick(m_dlg.GetWindow());
            return;
        }
        m_timer.Stop();
        m_hook.Register();
        wxCommandEvent compare(wxEVT_BUTTON, wxID_OK);
        m_dlg.GetWindow()->FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(compare);
        m_hook.Unregister();
        m_dlg.DestroyWindow();
        ExitMainLoop();
    }

    SlowListing m_fs;
    ShotDialog m_dlg{m_fs};
    AnswerBoxes m_hook;
    wxTimer m_timer;
    int m_ticks = 0;
};

}  // namespace

wxIMPLEMENT_APP(ShotApp);
