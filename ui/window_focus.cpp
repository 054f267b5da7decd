#include "ui/window_focus.h"

#include <wx/toplevel.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace {

bool IsWithin(const wxWindow* inner, const wxWindow* outer) {
    for (const wxWindow* w = inner; w; w = w->GetParent())
        if (w == outer) return true;
    return false;
}

}  // namespace

bool HoldsWindowFocus(const wxWindow* control) {
    if (!control) return false;
    // A focus just set and not yet delivered is known only to wxWidgets.
    if (IsWithin(wxWindow::FindFocus(), control)) return true;
#ifdef __WXGTK__
    // GTK keeps one focus widget per window; wxWidgets only knows the one in
    // the active window.
    const wxWindow* top = wxGetTopLevelParent(const_cast<wxWindow*>(control));
    GtkWidget* own = control->GetHandle();
    if (!top || !own || !GTK_IS_WINDOW(top->GetHandle())) return false;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(top->GetHandle()));
    return focus && (focus == own || gtk_widget_is_ancestor(focus, own));
#else
    return false;
#endif
}
