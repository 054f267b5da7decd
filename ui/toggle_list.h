// A multiple-selection list box in which every line is selected on its own:
// a click or Space toggles one line and leaves the others as they are, the
// arrow keys, Home, End and the page keys move only the focused line (the
// caret). Each toggle is reported as wxEVT_LISTBOX, as a selection change.
//
// Windows list boxes with LBS_MULTIPLESEL do all of this themselves. GTK's
// multiple-selection view selects the clicked or reached line alone and
// searches as one types, so there the mouse and the keys are taken over.
#pragma once

#include <wx/listbox.h>

// Makes list behave as above; the dialog builder calls it for every
// multiple-selection list box.
void UseToggleSelection(wxListBox* list);

// The focused line, or wxNOT_FOUND when the list has none (empty or just
// refilled).
int GetCaretLine(const wxListBox* list);
// Moves the focused line to line and scrolls it into view; the selection
// stays as it is. A line outside the list is ignored.
void SetCaretLine(wxListBox* list, int line);
