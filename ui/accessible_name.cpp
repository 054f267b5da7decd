#include "ui/accessible_name.h"

#ifdef __WXGTK__
#include <gtk/gtk.h>
#else
#include <wx/access.h>
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

#elif wxUSE_ACCESSIBILITY

// Answers a screen reader's question for the control's name with the name
// given; every other question goes to the control's standard object, as
// before (wxACC_NOT_IMPLEMENTED hands it on).
class NamedAccessible : public wxAccessible {
public:
    NamedAccessible(wxWindow* control, const wxString& name) : wxAccessible(control), m_name(name) {}

    wxAccStatus GetName(int childId, wxString* name) override {
        if (childId != wxACC_SELF) return wxACC_NOT_IMPLEMENTED;
        *name = m_name;
        return wxACC_OK;
    }

private:
    wxString m_name;
};

void SetAccessibleName(wxWindow* control, const wxString& name) {
    if (control) control->SetAccessible(new NamedAccessible(control, name));
}

wxString AccessibleName(wxWindow* control) {
    wxAccessible* accessible = control ? control->GetAccessible() : nullptr;
    wxString name;
    if (!accessible || accessible->GetName(wxACC_SELF, &name) != wxACC_OK) return wxString();
    return name;
}

#else

// Without accessibility support, Windows reads an edit's name from the label
// before it in tab order and a button's from its caption.
void SetAccessibleName(wxWindow*, const wxString&) {}

wxString AccessibleName(wxWindow*) { return wxString(); }

#endif
