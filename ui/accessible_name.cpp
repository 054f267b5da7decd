#include "ui/accessible_name.h"

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#ifdef __WXGTK__

void SetAccessibleName(wxWindow* control, const wxString& name) {
    if (!control || !control->GetHandle()) return;
    AtkObject* accessible = gtk_widget_get_accessible(control->GetHandle());
    if (accessible) atk_object_set_name(accessible, name.utf8_str());
}

wxString AccessibleName(wxWindow* control) {
    if (!control || !control->GetHandle()) return wxString();
    AtkObject* accessible = gtk_widget_get_accessible(control->GetHandle());
    const char* name = accessible ? atk_object_get_name(accessible) : nullptr;
    return name ? wxString::FromUTF8(name) : wxString();
}

#else

// Windows reads an edit's name from the label before it in tab order and a
// button's from its caption; naming beyond that needs wxAccessible, which
// the Windows build has still to bring.
void SetAccessibleName(wxWindow*, const wxString&) {}

wxString AccessibleName(wxWindow*) { return wxString(); }

#endif
