// Base of the modeless windows shown while work runs on a worker thread: a
// "中止" button, which, like Escape and the close box, asks the work to stop.
// The window stays until the work has ended.
#pragma once

#include <functional>
#include <utility>

#include "res/resource.h"
#include "ui/resource_dialog.h"

class ProgressWindow : public ResourceDialog {
public:
    using ResourceDialog::ResourceDialog;

    // Called on the window thread, once, when the user asks to stop: the
    // work's stop flag is set there, not when the next tick comes.
    void SetStopHandler(std::function<void()> onStop) { m_onStop = std::move(onStop); }
    wxWindow* StopButton() const { return GetDlgItem(IDCANCEL); }
    // Cancel, Escape or the close box was used since the window was created.
    bool StopRequested() const { return m_bStopRequested; }
    // Places the window over the middle of main, its size unchanged (over
    // the screen's middle while main is not shown yet).
    void CentreOver(const wxWindow* main);

protected:
    // Adds the "中止" button (dialog units) and gives it the focus.
    void AddStopButton(int x, int y, int width, int height);
    // Cancel, Escape and the close box: asks once, then the button is greyed.
    void OnCancel() override;

private:
    std::function<void()> m_onStop;
    bool m_bStopRequested = false;
};
