#include "dialogs/progress_window.h"

#include <wx/button.h>

#include "texts/texts.h"
#include "ui/wx_text.h"

void ProgressWindow::AddStopButton(int x, int y, int width, int height) {
    wxDialog* wnd = GetWindow();
    m_bStopRequested = false;
    auto* stop = new wxButton(wnd, wxID_CANCEL, ToWx(Text(TextId::StopButton)), wnd->ConvertDialogToPixels(wxPoint(x, y)),
                              wnd->ConvertDialogToPixels(wxSize(width, height)));
    stop->SetFocus();
}

void ProgressWindow::OnCancel() {
    if (m_bStopRequested) return;
    m_bStopRequested = true;
    if (wxWindow* stop = StopButton()) stop->Disable();
    if (m_onStop) m_onStop();
}

void ProgressWindow::CentreOver(const wxWindow* main) {
    wxDialog* wnd = GetWindow();
    if (!wnd) return;
    if (!main || !main->IsShown()) {
        wnd->CentreOnScreen();
        return;
    }
    const wxRect m = main->GetScreenRect();
    const wxRect d = wnd->GetScreenRect();
    wnd->SetSize(m.x + m.width / 2 - d.width / 2, m.y + m.height / 2 - d.height / 2, d.width, d.height);
    wnd->Refresh();
}
