// The modeless window shown while a comparison takes long: the folder read
// most recently and how many folders and files were seen so far. "中止",
// Escape and the close box ask the comparison to stop (ProgressWindow).
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/progress_window.h"

class CCompareProgressDlg : public ProgressWindow {
public:
    CCompareProgressDlg();

    // Shows the folder (bytes of the system code page, as it is, an '&'
    // included) and the counts.
    void ShowProgress(const std::string& folder, std::uint64_t folders, std::uint64_t files);

protected:
    bool OnInitDialog() override;
};
