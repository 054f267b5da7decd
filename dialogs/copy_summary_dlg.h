// The modal summary at the end of every copy: how many files were copied
// and how many failed, how many were left alone after a stop, and every
// failure with its reason in a read-only text that can be read line by line
// from the keyboard, selected and copied.
#pragma once

#include <string>
#include <vector>

#include "ui/resource_dialog.h"

class CCopySummaryDlg : public ResourceDialog {
public:
    // The failures' text, in dialog units.
    static constexpr int kListWidth = 300, kListHeight = 100;

    CCopySummaryDlg();

    // Set before DoModal (UTF-8): the lines of counts at the top, and one
    // line per failed file (none: the dialog says there were none).
    std::vector<std::string> m_counts;
    std::vector<std::string> m_failures;

protected:
    bool OnInitDialog() override;
};
