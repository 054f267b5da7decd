// GUI test support: a wxWidgets application started once for the whole test
// executable, and a modal hook through which tests answer message boxes and
// modal dialogs. A dialog that no test expected fails the test instead of
// blocking it.
#pragma once

#include <wx/wx.h>

#include <functional>
#include <string>

// What one expected modal did: its title (wxDialog) or message text (message
// box), its style (wxICON_* bits for message boxes) and the dialog itself.
struct ModalSeen {
    std::string kind;     // "message" or the dialog's class name
    std::string title;    // dialog title / message box caption (UTF-8)
    std::string message;  // message box text (UTF-8); empty for dialogs
    long style = 0;       // message box style bits
};

// Handler for an expected modal: gets the dialog while it is "shown" and
// returns the code that ShowModal() will return (wxID_OK, wxID_CANCEL, ...).
// A handler may drive a wxDialog's controls before returning.
using ModalHandler = std::function<int(wxDialog* dialog, const ModalSeen& seen)>;

// Expect the next modal dialog or message box; handlers are used in order.
void ExpectModal(ModalHandler handler);
// Shorthand: expect a message box and answer it with code; the seen details
// are copied to *seen when given.
void ExpectMessageBox(int code = wxID_OK, ModalSeen* seen = nullptr);
// Fails the current test if expected modals were not shown; clears the queue.
void VerifyModalsShown();
// Number of modals shown since the start of the test executable.
int ModalCount();

// Runs pending events until the queue is empty (no sleeping).
void PumpEvents();

// Shows window (the modal hook never shows a dialog itself) as the window
// that gets the keyboard, with the focus on control. Bare Xvfb has no window
// manager, so the window takes the input focus itself.
void ShowForKeys(wxTopLevelWindow* window, wxWindow* control);
// Presses and releases key (WXK_... or a character) with modifiers through
// the X server, as the keyboard does, and runs the events that follow.
void PressKey(int key, int modifiers = wxMOD_NONE);
// Types text (ASCII) key by key.
void TypeKeys(const char* text);
// Moves the pointer to pos in window's client area and clicks button
// (wxMOUSE_BTN_...) through the X server, then runs events until handled()
// says that the click has arrived.
void ClickAt(wxWindow* window, const wxPoint& pos, int button, const std::function<bool()>& handled);

// UTF-8 helpers for assertions.
inline std::string U8(const wxString& s) { return std::string(s.utf8_str()); }
inline wxString W(const char* utf8) { return wxString::FromUTF8(utf8); }
