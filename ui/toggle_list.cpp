#include "ui/toggle_list.h"

#include <algorithm>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#else
#include <wx/msw/wrapwin.h>
#endif

#ifdef __WXGTK__

namespace {

void ReportSelectionChange(wxListBox* list, int line) {
    wxCommandEvent change(wxEVT_LISTBOX, list->GetId());
    change.SetEventObject(list);
    change.SetInt(line);
    list->HandleWindowEvent(change);
}

void ToggleLine(wxListBox* list, int line) {
    SetCaretLine(list, line);
    if (list->IsSelected(line))
        list->Deselect(line);
    else
        list->SetSelection(line);
    ReportSelectionChange(list, line);
}

void OnLeftDown(wxListBox* list, const wxMouseEvent& event) {
    list->SetFocus();
    const int line = list->HitTest(event.GetPosition());
    if (line != wxNOT_FOUND) ToggleLine(list, line);
}

// Where a navigation key moves the caret from line, or wxNOT_FOUND for a key
// that is not one.
int NavigationTarget(const wxListBox* list, int key, int line) {
    const int last = static_cast<int>(list->GetCount()) - 1;
    const int page = std::max(1, list->GetCountPerPage() - 1);
    int target;
    switch (key) {
        case WXK_UP: case WXK_NUMPAD_UP: target = line - 1; break;
        case WXK_DOWN: case WXK_NUMPAD_DOWN: target = line + 1; break;
        case WXK_HOME: case WXK_NUMPAD_HOME: target = 0; break;
        case WXK_END: case WXK_NUMPAD_END: target = last; break;
        case WXK_PAGEUP: case WXK_NUMPAD_PAGEUP: target = line - page; break;
        case WXK_PAGEDOWN: case WXK_NUMPAD_PAGEDOWN: target = line + page; break;
        default: return wxNOT_FOUND;
    }
    return std::clamp(target, 0, last);
}

void OnKeyDown(wxListBox* list, wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    // Tab moves on and Alt combinations belong to the dialog; Shift and Ctrl
    // change nothing, as on Windows (GTK would select ranges or all lines).
    if (key == WXK_TAB || event.AltDown()) {
        event.Skip();
        return;
    }
    if (list->GetCount() == 0) return;
    // Without a caret the first line counts as focused, as on Windows.
    const int caret = std::max(GetCaretLine(list), 0);
    if (key == WXK_SPACE || key == WXK_NUMPAD_SPACE) {
        ToggleLine(list, caret);
        return;
    }
    const int target = NavigationTarget(list, key, caret);
    if (target != wxNOT_FOUND) SetCaretLine(list, target);
    // Every other key is dropped: the view would select the line it finds
    // by typing, or all lines, without the dialog knowing.
}

gboolean OnViewEvent(GtkWidget*, GdkEvent* event, gpointer data) {
    if (event->type != GDK_KEY_PRESS) return FALSE;
    const GdkEventKey& key = event->key;
    if (key.keyval != GDK_KEY_Return && key.keyval != GDK_KEY_KP_Enter && key.keyval != GDK_KEY_ISO_Enter)
        return FALSE;
    auto* list = static_cast<wxListBox*>(data);
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = key.keyval == GDK_KEY_KP_Enter ? WXK_NUMPAD_ENTER : WXK_RETURN;
    enter.SetShiftDown(key.state & GDK_SHIFT_MASK);
    enter.SetControlDown(key.state & GDK_CONTROL_MASK);
    enter.SetAltDown(key.state & GDK_MOD1_MASK);
    enter.SetEventObject(list);
    // Handed on as wx's own GTK callbacks do, so that the application's
    // handling of exceptions from a handler applies here too.
    list->HandleWindowEvent(enter);
    return TRUE;
}

struct TreePath {
    explicit TreePath(int line) : path(gtk_tree_path_new_from_indices(line, -1)) {}
    ~TreePath() { gtk_tree_path_free(path); }
    TreePath(const TreePath&) = delete;
    TreePath& operator=(const TreePath&) = delete;
    GtkTreePath* path;
};

}  // namespace

void UseToggleSelection(wxListBox* list) {
    list->Bind(wxEVT_LEFT_DOWN, [list](wxMouseEvent& event) { OnLeftDown(list, event); });
    // Each press of a double click has toggled its line already.
    list->Bind(wxEVT_LEFT_DCLICK, [](wxMouseEvent&) {});
    list->Bind(wxEVT_KEY_DOWN, [list](wxKeyEvent& event) { OnKeyDown(list, event); });
    // wxGTK's list box keeps Enter for itself while a line is selected: it
    // reports a double click and then activates the window's default button
    // on its own, so a dialog would run it twice. Enter is taken before
    // either sees it and goes to the window as the key it was, where a
    // dialog presses its default button once.
    g_signal_connect(list->m_treeview, "event", G_CALLBACK(OnViewEvent), list);
}

int GetCaretLine(const wxListBox* list) {
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(list->m_treeview, &path, nullptr);
    if (!path) return wxNOT_FOUND;
    const int depth = gtk_tree_path_get_depth(path);
    const int line = depth > 0 ? gtk_tree_path_get_indices(path)[0] : wxNOT_FOUND;
    gtk_tree_path_free(path);
    return line;
}

void SetCaretLine(wxListBox* list, int line) {
    if (line < 0 || line >= static_cast<int>(list->GetCount())) return;
    // Setting GTK's cursor selects that line alone; the selection is put back
    // as it was, unseen by the dialog.
    wxArrayInt selected;
    list->GetSelections(selected);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(list->m_treeview);
    list->GTKDisableEvents();
    gtk_tree_view_set_cursor(list->m_treeview, TreePath(line).path, nullptr, FALSE);
    gtk_tree_selection_unselect_all(selection);
    for (int i : selected) gtk_tree_selection_select_path(selection, TreePath(i).path);
    list->GTKEnableEvents();
}

#else  // Windows: LBS_MULTIPLESEL does it all.

void UseToggleSelection(wxListBox*) {}

int GetCaretLine(const wxListBox* list) {
    const LRESULT line = ::SendMessage(static_cast<HWND>(list->GetHandle()), LB_GETCARETINDEX, 0, 0);
    return line == LB_ERR || list->GetCount() == 0 ? wxNOT_FOUND : static_cast<int>(line);
}

void SetCaretLine(wxListBox* list, int line) {
    if (line < 0 || line >= static_cast<int>(list->GetCount())) return;
    ::SendMessage(static_cast<HWND>(list->GetHandle()), LB_SETCARETINDEX, line, FALSE);
}

#endif
