// Names controls for screen readers where the window system does not find a
// name by itself: an edit takes the text of its label, two buttons with the
// same caption get names that tell them apart.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

// Sets the name that assistive technologies (AT-SPI on GTK, MSAA and UI
// Automation on Windows) read for control.
void SetAccessibleName(wxWindow* control, const wxString& name);
// The name set or derived for control, as assistive technologies read it;
// empty where the platform keeps none.
wxString AccessibleName(wxWindow* control);
