// Shows the pair list dialog (three pairs, the second selected, focused and
// comparing whole trees, the window widened) or the pair input dialog for that second pair on the current
// display, takes a picture of it with ImageMagick and ends. Built and run by scripts/screenshot-pair-dialogs.sh.
//   pair-dialogs-shot list|input output.png
#include <wx/listbox.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/wx.h>

#include <cstring>
#include <string>

#include "dialogs/dir_input_dlg.h"
#include "dialogs/dir_list_dlg.h"
#include "res/resource.h"
#include "ui/toggle_list.h"
#include "shot_support.h"

namespace {

DirPair MakePair(const char* a, const char* b) {
    DirPair p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.dirA, a);
    std::strcpy(p.dirB, b);
    return p;
}

class ShotApp : public wxApp {
public:
    bool OnInit() override {
        if (argc != 3) return false;
        m_which = std::string(argv[1].utf8_str());
        m_out = argv[2];
        std::memset(&m_table, 0, sizeof m_table);
        m_table.pairs[0] = MakePair("/home/user/ドキュメント/比較元", "/mnt/backup/ﾄﾞｷｭﾒﾝﾄ");
        m_table.pairs[1] = MakePair("/srv/work", "/mnt/backup/work");
        m_table.pairs[1].subdirs = true;
        m_table.pairs[2] = MakePair("/home/user/projects/zoruna-source", "/media/usb/zoruna");
        m_table.count = 3;

        if (m_which == "list") {
            m_list.SetPairTable(&m_table);
            m_list.Create(nullptr, true);
            auto* lines = static_cast<wxListBox*>(m_list.GetDlgItem(IDC_PAIR_LIST));
            lines->SetSelection(1);
            // The focused line's full folders show under the list.
            SetCaretLine(lines, 1);
            wxCommandEvent change(wxEVT_LISTBOX, lines->GetId());
            lines->GetEventHandler()->ProcessEvent(change);
            m_shown = m_list.GetWindow();
            // Widened by the user: the list grows with the window.
            m_shown->SetSize(m_shown->GetSize() + wxSize(120, 0));
        } else {
            m_input.SetDirPair(&m_table.pairs[1]);
            m_input.Create(nullptr, true);
            m_shown = m_input.GetWindow();
        }
        m_shown->Move(40, 40);
        m_timer.Bind(wxEVT_TIMER, &ShotApp::OnTimer, this);
        m_timer.Start(700);
        return true;
    }

private:
    void OnTimer(wxTimerEvent&) {
        // First tick: the window manager has framed the window; a click on the
        // title bar makes it the active one (a request to raise it may be
        // ignored). Second: draw it all again in the active look. Third: shoot.
        switch (m_ticks++) {
            case 0: {
                ActivateByClick(m_shown);
                return;
            }
            case 1:
                m_shown->Refresh();
                return;
            default:
                break;
        }
        m_timer.Stop();
        const wxRect r = m_shown->GetScreenRect();
        const wxString root = m_out + ".root.png";
        wxExecute("import -window root \"" + root + "\"", wxEXEC_SYNC);
        wxExecute(wxString::Format("convert \"%s\" -crop %dx%d+%d+%d +repage \"%s\"", root, r.width, r.height,
                                   r.x, r.y, m_out),
                  wxEXEC_SYNC);
        wxRemoveFile(root);
        m_list.DestroyWindow();
        m_input.DestroyWindow();
        ExitMainLoop();
    }

    std::string m_which;
    wxString m_out;
    DirPairTable m_table;
    CDirListDlg m_list;
    CDirInputDlg m_input;
    wxWindow* m_shown = nullptr;
    wxTimer m_timer;
    int m_ticks = 0;
};

}  // namespace

wxIMPLEMENT_APP(ShotApp);
