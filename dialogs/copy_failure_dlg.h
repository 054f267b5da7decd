// The box that says a file was not copied, and why, while the copy waits:
// OK goes on with the next file. Its check box "以降のエラーを表示しない"
// lets the rest of the run go on without asking; the failures are still
// collected for the summary at the end.
#pragma once

#include <string>

#include "ui/resource_dialog.h"

class CCopyFailureDlg : public ResourceDialog {
public:
    // The widest the text may make the box, in dialog units; a longer line
    // loses its middle.
    static constexpr int kMaxTextWidth = 400;

    CCopyFailureDlg();

    // The message (UTF-8, lines apart by '\n'), set before DoModal.
    std::string m_strText;
    // The check box as the box was left; carried into the next box shown.
    bool m_bQuiet = false;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void TakeQuiet();
};
