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

#include <gtk/gtk.h>

#include <functional>

#include "app/result_list_view.h"

// Calls painting each time GTK starts to draw the results list's rows (the
// native tree view draws itself; wx sees no paint event of it). The call
// stays connected while the list exists.
inline void OnListPaint(ResultListView* list, std::function<void()> painting) {
    auto* call = new std::function<void()>(std::move(painting));
    g_signal_connect_data(
        list->GtkGetTreeView(), "draw",
        G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return FALSE;
        }),
        call, [](gpointer data, GClosure*) { delete static_cast<std::function<void()>*>(data); }, GConnectFlags());
}
