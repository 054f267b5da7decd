#include "dialogs/copy_progress_dlg.h"

#include <wx/stattext.h>

#include <algorithm>

#include "ui/wx_text.h"
#include "res/dialog_resources.h"
#include "res/resource.h"
#include "texts/texts.h"

CCopyProgressDlg::CCopyProgressDlg() : ProgressWindow(kCopyProgressDialog) {}

bool CCopyProgressDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    wnd->SetClientSize(
        wnd->ConvertDialogToPixels(wxSize(Template().cx, Template().cy + kGrowHeight)));
    m_gauge = new wxGauge(wnd, wxID_ANY, kGaugeRange, wnd->ConvertDialogToPixels(wxPoint(kGaugeX, kGaugeY)),
                          wnd->ConvertDialogToPixels(wxSize(kGaugeWidth, kGaugeHeight)),
                          wxGA_HORIZONTAL | wxGA_SMOOTH);
    AddStopButton(kStopX, kStopY, kStopWidth, kStopHeight);
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
