#include "dialogs/copy_summary_dlg.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "res/dialog_resources.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "ui/wx_text.h"

namespace {

using K = ControlKind;

constexpr int kMargin = 10, kLineHeight = 10, kGap = 6, kButtonWidth = 50, kButtonHeight = 14;

// OK comes before the failures' text in the tab order, so that Enter ends
// the dialog at once; the lines and the text are placed by OnInitDialog.
const ControlTemplate kCopySummaryControls[] = {
    {IDC_SUMMARY_LABEL, K::Static, TextId::FailureListLabel, kMargin, kMargin, 200, 8, CS_NOPREFIX},
    {IDOK, K::DefPushButton, TextId::OkButton, 100, 100, kButtonWidth, kButtonHeight, CS_NONE},
};

const DialogTemplate kCopySummaryDialog = {IDD_COPY_SUMMARY, TextId::CopySummaryTitle, 200, 60, kProportionalFace,
                                           9, kCopySummaryControls};

}  // namespace

CCopySummaryDlg::CCopySummaryDlg() : ResourceDialog(kCopySummaryDialog) {}

bool CCopySummaryDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    const auto px = [wnd](int x, int y) { return wnd->ConvertDialogToPixels(wxPoint(x, y)); };
    const int margin = px(kMargin, 0).x;
    int y = px(0, kMargin).y;
    int width = px(kCopySummaryDialog.cx - 2 * kMargin, 0).x;
    const auto addLine = [&](int id, const std::string& text) {
        auto* line = new wxStaticText(wnd, id, wxString(), wxPoint(margin, y));
        line->SetFont(wnd->GetFont());
        line->SetLabelText(ToWx(text));
        line->SetSize(line->GetBestSize());
        width = std::max(width, line->GetBestSize().x);
        y += px(0, kLineHeight).y;
    };
    for (std::size_t i = 0; i < m_counts.size(); ++i)
        addLine(i == 0 ? IDC_SUMMARY_COUNTS : IDC_SUMMARY_STOPPED, m_counts[i]);
    y += px(0, kGap).y;

    auto* label = Item<wxStaticText>(IDC_SUMMARY_LABEL);
    if (label) {
        if (m_failures.empty()) label->SetLabelText(ToWx(Text(TextId::SummaryNoFailures)));
        label->SetSize(margin, y, label->GetBestSize().x, label->GetBestSize().y);
        y += px(0, kLineHeight).y;
    }
    if (!m_failures.empty()) {
        wxString text;
        for (const std::string& failure : m_failures) {
            if (!text.empty()) text += '\n';
            text += ToWx(failure);
        }
        const wxSize size = wnd->ConvertDialogToPixels(wxSize(kListWidth, kListHeight));
        width = std::max(width, size.x);
        auto* list = new wxTextCtrl(wnd, IDC_SUMMARY_LIST, text, wxPoint(margin, y), wxSize(width, size.y),
                                    wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
        list->SetFont(wnd->GetFont());
        list->SetInsertionPoint(0);
        y += size.y;
    }
    y += px(0, kGap).y;
    const wxSize button = wnd->ConvertDialogToPixels(wxSize(kButtonWidth, kButtonHeight));
    const int clientWidth = width + 2 * margin;
    if (wxWindow* ok = GetDlgItem(IDOK)) ok->SetSize(clientWidth - margin - button.x, y, button.x, button.y);
    wnd->SetClientSize(clientWidth, y + button.y + px(0, kMargin).y);
    if (wnd->GetParent()) wnd->CentreOnParent();
    return true;
}
