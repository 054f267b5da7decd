// The modeless window shown while files are copied: which file goes from
// where to where, how many files and bytes are done of all, the speed and the
// time left, a bar of the bytes copied so far and a Cancel button.
// Cancel, Escape and the close box ask the copy to stop (ProgressWindow).
#pragma once

#include <wx/gauge.h>

#include <cstdint>
#include <string>

#include "dialogs/progress_window.h"

class CCopyProgressDlg : public ProgressWindow {
public:
    // Steps of the bar: byte counts do not fit its int range.
    static constexpr int kGaugeRange = 1000;
    // Below the layout's four lines: the figures (files and bytes), the speed
    // with the time left, the bar and the Cancel button, in dialog units; the
    // window grows by kGrowHeight to make room for them.
    static constexpr int kFiguresX = 20, kFiguresY = 66, kRateY = 76, kFiguresWidth = 130, kFiguresHeight = 8;
    static constexpr int kGaugeX = 14, kGaugeY = 88, kGaugeWidth = 131, kGaugeHeight = 8;
    static constexpr int kStopX = 59, kStopY = 102, kStopWidth = 40, kStopHeight = 14;
    static constexpr int kGrowHeight = 46;

    CCopyProgressDlg();

    // Copies the four strings into their lines (names shown as they are,
    // an '&' included; a long one loses its middle, not its end).
    void UpdateControls();
    // Moves the bar to done out of total bytes.
    void SetProgress(std::uint64_t done, std::uint64_t total);
    // The two lines of figures (UTF-8), each set only when it changed.
    void SetFigures(const std::string& figures, const std::string& rate);

    wxGauge* Gauge() const { return m_gauge; }

    // Bytes of the system code page, empty until the first file.
    std::string m_strFile;     // TextId::CopyFileLine
    std::string m_strFrom;     // TextId::CopyFromLine
    std::string m_strTo;       // TextId::CopyToLine
    std::string m_strMessage;  // TextId::CopyingMessage

protected:
    bool OnInitDialog() override;

private:
    wxGauge* m_gauge = nullptr;  // valid while the window exists
};
