// The modal question before a copy: OK or Cancel, nothing else. Below the
// question it says what the copy will do (lines given by the caller); the
// window grows to hold them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "res/dialog_resources.h"
#include "ui/resource_dialog.h"

class CConfirmCopyDlg : public ResourceDialog {
public:
    // The lines' place and height, in dialog units, and the room left between
    // the last of them and the buttons.
    static constexpr int kLinesX = 14, kLinesY = 34, kLineHeight = 10, kGapToButtons = 4;

    CConfirmCopyDlg() : ResourceDialog(kConfirmCopyDialog) {}

    // Shown below the question the next time the dialog runs (UTF-8).
    void SetLines(std::vector<std::string> lines) { m_lines = std::move(lines); }
    const std::vector<std::string>& Lines() const { return m_lines; }

protected:
    bool OnInitDialog() override;

private:
    std::vector<std::string> m_lines;
};
