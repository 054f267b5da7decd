// Base of every dialog: a C++ object that lives as long as its owner and
// builds a real wxDialog from its layout in res/ each time it runs, the way a
// dialog object outlives its window on Windows. Handlers are bound to the
// window in OnInitDialog with Bind().
//
// The keyboard works as in a Windows dialog on every platform: Escape is the
// Cancel command in every state; Enter presses the push button that has the
// focus, or else the default button while it is enabled; the controls take
// the focus in the order of the layout, and a control that is disabled while
// it holds the focus hands it to the next enabled one.
#pragma once

#include <wx/dialog.h>
#include <wx/event.h>

#include "res/dialog_template.h"

class ResourceDialog : public wxEvtHandler {
public:
    explicit ResourceDialog(const DialogTemplate& tmpl);
    ~ResourceDialog() override;
    ResourceDialog(const ResourceDialog&) = delete;
    ResourceDialog& operator=(const ResourceDialog&) = delete;

    // Creates the window, runs OnInitDialog, shows it modally and destroys it.
    // Returns the code the dialog ended with (wxID_OK, wxID_CANCEL, ...).
    int DoModal(wxWindow* parent = nullptr);
    // Creates the window without a modal loop (progress window, tests).
    bool Create(wxWindow* parent, bool show = true);
    void DestroyWindow();
    // Ends a modal run with code; a modeless window is hidden and keeps it
    // as its return code. Called from OnInitDialog, the window is not shown
    // at all and DoModal returns code.
    void EndDialog(int code);

    wxDialog* GetWindow() const { return m_wnd; }
    // A control by its resource identifier (IDOK and IDCANCEL included).
    wxWindow* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const { return dynamic_cast<T*>(GetDlgItem(id)); }

    // Enables or disables a control; a control that loses the focus this way
    // passes it on to the next enabled control in tab order.
    void EnableDlgItem(int id, bool enable);
    // Puts the focus on control; an edit gets its whole text selected, so
    // that typing replaces it.
    void GotoDlgCtrl(wxWindow* control);
    const DialogTemplate& Template() const { return m_tmpl; }

    // The window identifier of a resource identifier: IDOK and IDCANCEL
    // become wxID_OK and wxID_CANCEL, IDC_STATIC wxID_ANY.
    static int WxId(int resourceId);

protected:
    // Runs after the controls exist and before the window is shown. True:
    // the focus goes to the first control in tab order that can take it;
    // false: OnInitDialog has placed the focus itself.
    virtual bool OnInitDialog() { return true; }
    // The OK button (IDOK), also reached by Enter on a default OK button.
    virtual void OnOK() { EndDialog(wxID_OK); }
    // The Cancel button (IDCANCEL), Escape and the window's close box.
    virtual void OnCancel() { EndDialog(wxID_CANCEL); }

private:
    void BuildWindow(wxWindow* parent);
    // Builds the window and runs OnInitDialog.
    void Initialize(wxWindow* parent);
    // The first control after from (from the start for nullptr) in tab
    // order that is enabled and shown, wrapping around; nullptr if none.
    wxWindow* NextTabStop(const wxWindow* from) const;
    wxWindow* DefaultButton() const;
    void OnCharHook(wxKeyEvent& event);
    void OnButtonOK(wxCommandEvent& event);
    void OnButtonCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    const DialogTemplate& m_tmpl;
    wxDialog* m_wnd = nullptr;
    bool m_initializing = false;  // OnInitDialog is running
    bool m_endedInInit = false;   // EndDialog came from OnInitDialog
};
