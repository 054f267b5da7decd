// The modeless window shown while files are copied: which file goes from
// where to where, a bar of the bytes copied so far and a Cancel button.
// Cancel, Escape and the close box ask the copy to stop; the copy asks
// StopRequested() and ends.
#pragma once

#include <wx/gauge.h>

#include <cstdint>
#include <string>

#include "res/resource.h"
#include "ui/resource_dialog.h"

class CCopyProgressDlg : public ResourceDialog {
public:
    // Steps of the bar: byte counts do not fit its int range.
    static constexpr int kGaugeRange = 1000;
    // The bar below the four lines and the Cancel button below the bar, in
    // dialog units; the window grows by kGrowHeight to make room for them.
    static constexpr int kGaugeX = 14, kGaugeY = 66, kGaugeWidth = 131, kGaugeHeight = 8;
    static constexpr int kStopX = 59, kStopY = 80, kStopWidth = 40, kStopHeight = 14;
    static constexpr int kGrowHeight = 24;

    CCopyProgressDlg();

    // Copies the four strings into their lines (names shown as they are,
    // an '&' included).
    void UpdateControls();
    // Moves the bar to done out of total bytes.
    void SetProgress(std::uint64_t done, std::uint64_t total);
    // Repaints the window now without handling user input, so that it shows
    // its current state while the copy keeps the event loop waiting.
    void Repaint();

    wxGauge* Gauge() const { return m_gauge; }
    wxWindow* StopButton() const { return GetDlgItem(IDCANCEL); }
    // Cancel, Escape or the close box was used since the window was created.
    bool StopRequested() const { return m_bStopRequested; }

    // Bytes of the system code page, empty until the first file.
    std::string m_strFile;     // TextId::CopyFileLine
    std::string m_strFrom;     // TextId::CopyFromLine
    std::string m_strTo;       // TextId::CopyToLine
    std::string m_strMessage;  // TextId::CopyingMessage

protected:
    bool OnInitDialog() override;
    // Cancel, Escape and the close box: the window stays until the copy has
    // abandoned its file and ended.
    void OnCancel() override;

private:
    wxGauge* m_gauge = nullptr;  // valid while the window exists
    bool m_bStopRequested = false;
};
