#include "dialogs/compare_progress_dlg.h"

#include <wx/stattext.h>

#include "dialogs/run_texts.h"
#include "res/dialog_resources.h"
#include "ui/wx_text.h"

namespace {

using K = ControlKind;

// The copy window's width and places: the message line, the folder and the
// count where the copy shows its file and folders, the stop button below.
const ControlTemplate kCompareProgressControls[] = {
    {IDC_COMPARE_MESSAGE, K::Static, TextId::ComparingMessage, 14, 15, 128, 8, CS_NOPREFIX},
    {IDC_COMPARE_COUNT, K::Static, TextId::None, 20, 44, 130, 8, CS_NOPREFIX},
};
constexpr int kFolderX = 20, kFolderY = 34, kFolderWidth = 130, kFolderHeight = 8;
constexpr int kStopX = 59, kStopY = 60, kStopWidth = 40, kStopHeight = 14;

const DialogTemplate kCompareProgressDialog = {
    IDD_COMPARE_PROGRESS, TextId::CompareProgressTitle, 159, 81, kProportionalFace, 9, kCompareProgressControls};

}  // namespace

CCompareProgressDlg::CCompareProgressDlg() : ProgressWindow(kCompareProgressDialog) {}

bool CCompareProgressDlg::OnInitDialog() {
    wxDialog* wnd = GetWindow();
    // A long path is cut in its middle, so that both ends stay readable (the
    // builder's lines keep their ends).
    auto* folder = new wxStaticText(
        wnd, IDC_COMPARE_FOLDER, wxString(), wnd->ConvertDialogToPixels(wxPoint(kFolderX, kFolderY)),
        wnd->ConvertDialogToPixels(wxSize(kFolderWidth, kFolderHeight)), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    folder->SetFont(wnd->GetFont());
    AddStopButton(kStopX, kStopY, kStopWidth, kStopHeight);
    return true;
}

void CCompareProgressDlg::ShowProgress(const std::string& folder, std::uint64_t folders, std::uint64_t files) {
    const wxString folderText = ToWx(folder);
    const wxString countText = ToWx(FormatListingCount(folders, files));
    auto* folderLine = Item<wxStaticText>(IDC_COMPARE_FOLDER);
    auto* countLine = Item<wxStaticText>(IDC_COMPARE_COUNT);
    // Labels are set only when they change: each set repaints the line.
    if (folderLine && folderLine->GetLabelText() != folderText) folderLine->SetLabelText(folderText);
    if (countLine && countLine->GetLabelText() != countText) countLine->SetLabelText(countText);
}
