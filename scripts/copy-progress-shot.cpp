// Takes a picture of the progress window in the middle of a copy: the main
// dialog compares the pair in the given settings file, every row is selected
// and the copy is confirmed; when the first failure message is about to show,
// the screen is captured instead, so the picture shows what the copy itself
// painted. Built and run by
// scripts/screenshot-copy-progress.sh.
//   copy-progress-shot settings.INI output.png
#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/wx.h>

#include <cstdlib>
#include <string>

#include "app/dir_compare_dlg.h"
#include "shot_support.h"

namespace {

// Confirms the copy and shoots at the first failure message.
class ShotHook : public wxModalDialogHook {
public:
    wxString out;
    bool shot = false;

protected:
    int Enter(wxDialog* dialog) override {
        if (dynamic_cast<wxMessageDialogBase*>(dialog) && !shot) {
            shot = true;
            // The window manager frames and maps a new window a moment
            // after it is shown: the window thread handles its events
            // meanwhile (the copy waits for this box on its worker).
            for (int i = 0; i < 30; ++i) {
                wxEventLoopBase::GetActive()->DispatchTimeout(10);
                wxMilliSleep(10);
            }
            // std::system handles no events of this program. The screen is
            // black around the main window: trimming leaves just that.
            const std::string file(out.utf8_str());
            std::system(("import -window root '" + file + "' && convert '" + file + "' -trim +repage '" + file + "'")
                            .c_str());
        }
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

class ShotApp : public wxApp {
public:
    bool OnInit() override {
        if (argc != 3) return false;
        OpenMainDialog(m_dlg, argv[1]);
        m_hook.out = argv[2];
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

    CDirCompareDlg m_dlg{RealFileSystem()};
    ShotHook m_hook;
    wxTimer m_timer;
    int m_ticks = 0;
};

}  // namespace

wxIMPLEMENT_APP(ShotApp);
