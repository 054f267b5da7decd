// The layout of a resizable dialog as it grows beyond its layout's size: one
// control (a list) takes the extra width and height, an optional line under
// it moves down with the bottom edge and takes the extra width, and every
// other control keeps its distance to the bottom edge and to its own side
// (the half of the layout its centre lies in).
#pragma once

#include <wx/stattext.h>
#include <wx/window.h>

#include <utility>
#include <vector>

// A status line under a list: it takes the bottom of the list's area (its
// text height and a gap above it), so that the layout's size stays the
// dialog's least size. Shrinks list to make room and returns the line, whose
// text is cut in the middle when it is too long.
wxStaticText* AddLineBelow(wxWindow* dialog, wxWindow* list);

class GrowLayout {
public:
    // Remembers where every child of dialog sits now, at the layout's size,
    // which becomes the dialog's least client size. lineBelow may be null.
    void Capture(wxWindow* dialog, wxWindow* grower, wxWindow* lineBelow);
    // Lays the children out for the dialog's client size; returns how much
    // wider and taller than the layout it is (never negative).
    wxSize Apply();

private:
    wxWindow* m_dialog = nullptr;
    wxWindow* m_grower = nullptr;
    wxWindow* m_lineBelow = nullptr;
    std::vector<std::pair<wxWindow*, wxRect>> m_rects;  // each child at the layout's size
    wxSize m_layoutClientSize;
};
