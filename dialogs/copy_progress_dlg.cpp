#include "dialogs/copy_progress_dlg.h"

#include <wx/stattext.h>

#include <algorithm>
#include <utility>

#include "ui/wx_text.h"
#include "res/dialog_resources.h"
#include "res/resource.h"
#include "texts/texts.h"

CCopyProgressDlg::CCopyProgressDlg() : ProgressWindow(kCopyProgressDialog) {}

bool CCopyProgressDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    wnd->SetClientSize(
        wnd->ConvertDialogToPixels(wxSize(Template().cx, Template().cy + kGrowHeight)));
    // The lines of the file and its folders lose the middle of a long text,
    // so that the name's end and both ends of a path stay readable; the
    // builder's lines would lose their ends.
    for (const int id : {IDC_COPY_FILE, IDC_COPY_FROM, IDC_COPY_TO}) {
        wxWindow* built = GetDlgItem(id);
        if (!built) continue;
        const wxRect place = built->GetRect();
        built->Destroy();
        auto* line = new wxStaticText(wnd, WxId(id), wxString(), place.GetPosition(), place.GetSize(),
                                      wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
        line->SetFont(wnd->GetFont());
    }
    for (const auto& [id, y] : {std::pair{IDC_COPY_FIGURES, kFiguresY}, std::pair{IDC_COPY_RATE, kRateY}}) {
        auto* line = new wxStaticText(wnd, id, wxString(), wnd->ConvertDialogToPixels(wxPoint(kFiguresX, y)),
                                      wnd->ConvertDialogToPixels(wxSize(kFiguresWidth, kFiguresHeight)),
                                      wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
        line->SetFont(wnd->GetFont());
    }
    m_gauge = new wxGauge(wnd, wxID_ANY, kGaugeRange, wnd->ConvertDialogToPixels(wxPoint(kGaugeX, kGaugeY)),
                          wnd->ConvertDialogToPixels(wxSize(kGaugeWidth, kGaugeHeight)),
                          wxGA_HORIZONTAL | wxGA_SMOOTH);
    AddStopButton(kStopX, kStopY, kStopWidth, kStopHeight);
    // The template carries the message text; until the first file every
    // line is empty.
    UpdateControls();
    return true;
}

void CCopyProgressDlg::SetFigures(const std::string& figures, const std::string& rate) {
    for (const auto& [id, text] : {std::pair{IDC_COPY_FIGURES, &figures}, std::pair{IDC_COPY_RATE, &rate}}) {
        auto* line = Item<wxStaticText>(id);
        const wxString shown = ToWx(*text);
        // Each set repaints the line: only when it changed.
        if (line && line->GetLabelText() != shown) line->SetLabelText(shown);
    }
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
