// Shared by the screenshot programs (scripts/*-shot.cpp).
#pragma once

#include <wx/uiaction.h>
#include <wx/window.h>

// Clicks the top of the window, which makes it the active one: a raise alone
// may be ignored by the window manager.
inline void ActivateByClick(const wxWindow* window) {
    const wxRect frame = window->GetScreenRect();
    wxUIActionSimulator mouse;
    mouse.MouseMove(frame.x + frame.width / 2, frame.y + 8);
    mouse.MouseClick();
}
