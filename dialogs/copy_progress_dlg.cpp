#include "dialogs/copy_progress_dlg.h"

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/stattext.h>

#include <algorithm>

#include "ui/wx_text.h"
#include "res/dialog_resources.h"
#include "res/resource.h"
#include "texts/texts.h"

CCopyProgressDlg::CCopyProgressDlg() : ResourceDialog(kCopyProgressDialog) {}

bool CCopyProgressDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    wnd->SetClientSize(
        wnd->ConvertDialogToPixels(wxSize(Template().cx, Template().cy + kGrowHeight)));
    m_gauge = new wxGauge(wnd, wxID_ANY, kGaugeRange, wnd->ConvertDialogToPixels(wxPoint(kGaugeX, kGaugeY)),
                          wnd->ConvertDialogToPixels(wxSize(kGaugeWidth, kGaugeHeight)),
                          wxGA_HORIZONTAL | wxGA_SMOOTH);
    m_bStopRequested = false;
    auto* stop = new wxButton(wnd, wxID_CANCEL, ToWx(Text(TextId::StopButton)), wnd->ConvertDialogToPixels(wxPoint(kStopX, kStopY)),
                              wnd->ConvertDialogToPixels(wxSize(kStopWidth, kStopHeight)));
    stop->SetFocus();
    // The template carries the message text; until the first file every
    // line is empty.
    UpdateControls();
    return true;
}

void CCopyProgressDlg::UpdateControls() {
    if (!GetWindow()) return;
    const struct {
        int id;
        const std::string& text;
    } lines[] = {
        {IDC_COPY_FILE, m_strFile},
        {IDC_COPY_FROM, m_strFrom},
        {IDC_COPY_TO, m_strTo},
        {IDC_COPY_MESSAGE, m_strMessage},
    };
    for (const auto& line : lines) {
        if (auto* text = Item<wxStaticText>(line.id)) text->SetLabelText(ToWx(line.text));
    }
}

void CCopyProgressDlg::SetProgress(std::uint64_t done, std::uint64_t total) {
    if (!m_gauge || !GetWindow()) return;
    const std::uint64_t capped = std::min(done, total);
    constexpr std::uint64_t kRange = kGaugeRange;
    // Integer steps that cannot overflow, whatever the sizes.
    std::uint64_t steps = 0;
    if (total != 0 && total <= UINT64_MAX / kRange)
        steps = capped * kRange / total;
    else if (total != 0)
        steps = std::min(capped / (total / kRange), kRange);
    const int value = static_cast<int>(steps);
    if (m_gauge->GetValue() != value) m_gauge->SetValue(value);
}

void CCopyProgressDlg::Repaint() {
    wxDialog* wnd = GetWindow();
    if (!wnd) return;
    // Paint and input, so that Cancel works: the main window is disabled
    // while the copy runs, so the only input that runs a handler is this
    // window's own Cancel. Other sources (sockets, timers) wait.
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
        loop->YieldFor(wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT);
    wnd->Update();
}

void CCopyProgressDlg::OnCancel() {
    m_bStopRequested = true;
    if (wxWindow* stop = StopButton()) stop->Disable();
}
