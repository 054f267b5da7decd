// Which control a window would give the keyboard to, asked of the window
// itself rather than of the window that is active at the moment.
#pragma once

#include <wx/window.h>

// True when control (or a part of it, such as a list box's inner view) is the
// focus of its own top-level window, also while that window is inactive, for
// instance while a dialog it opened is still on its way out.
bool HoldsWindowFocus(const wxWindow* control);
