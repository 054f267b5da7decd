// The start of a benchmark that needs the window system.
#pragma once

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

// Starts wxWidgets with a plain application object; false (after saying
// why) when there is no display.
inline bool StartWindowSystem(int argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (wxEntryStart(argc, argv) && wxTheApp->CallOnInit()) return true;
    std::fprintf(stderr, "no display: run under xvfb-run\n");
    return false;
}
