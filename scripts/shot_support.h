// Shared by the screenshot programs (scripts/*-shot.cpp).
#pragma once

#include <wx/uiaction.h>
#include <wx/window.h>

#include <string>

#include "app/dir_compare_dlg.h"

// Clicks the top of the window, which makes it the active one: a raise alone
// may be ignored by the window manager.
inline void ActivateByClick(const wxWindow* window) {
    const wxRect frame = window->GetScreenRect();
    wxUIActionSimulator mouse;
    mouse.MouseMove(frame.x + frame.width / 2, frame.y + 8);
    mouse.MouseClick();
}

// Opens the main dialog without a modal loop on the settings file, at the
// top left of the screen.
inline void OpenMainDialog(CDirCompareDlg& dlg, const wxString& settingsFile) {
    dlg.SetSettingsStore({std::string(settingsFile.utf8_str()), &RealFileSystem()});
    dlg.Create(nullptr, true);
    dlg.GetWindow()->Move(40, 40);
}
