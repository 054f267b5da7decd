// Driving the pair dialogs from tests: buttons, edits and the list box by
// resource identifier, and small pair tables.
#pragma once

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/resource_dialog.h"
#include "ui/wx_text.h"
#include "core/records.h"
#include "gui/support/gui_test_main.h"
#include "res/resource.h"

inline wxWindow* Control(wxDialog* d, int resId) { return d->FindWindow(ResourceDialog::WxId(resId)); }

// Sends a click to a button the way the button itself would, enabled or not.
inline void Press(wxDialog* d, int resId) {
    wxWindow* button = Control(d, resId);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

inline bool Enabled(wxDialog* d, int resId) { return Control(d, resId)->IsThisEnabled(); }

inline wxTextCtrl* Edit(wxDialog* d, int resId) { return static_cast<wxTextCtrl*>(Control(d, resId)); }
inline void SetText(wxDialog* d, int resId, const std::string& bytes) { Edit(d, resId)->SetValue(ToWx(bytes)); }
inline std::string Text(wxDialog* d, int resId) { return FromWx(Edit(d, resId)->GetValue()); }

// The input dialog's "compare whole trees" check box.
inline wxCheckBox* SubdirsBox(wxDialog* d) { return static_cast<wxCheckBox*>(Control(d, IDC_SUBDIRS)); }

inline wxListBox* PairList(wxDialog* d) { return static_cast<wxListBox*>(Control(d, IDC_PAIR_LIST)); }

inline std::vector<std::string> Lines(wxDialog* d) {
    std::vector<std::string> lines;
    for (const wxString& s : PairList(d)->GetStrings()) lines.push_back(FromWx(s));
    return lines;
}

// Selects exactly these lines and tells the dialog, as a click would.
inline void SelectLines(wxDialog* d, std::initializer_list<int> lines) {
    wxListBox* list = PairList(d);
    list->DeselectAll();
    for (int line : lines) list->SetSelection(line);
    wxCommandEvent change(wxEVT_LISTBOX, list->GetId());
    change.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(change);
}

inline DirPair MakePair(const std::string& a, const std::string& b, std::initializer_list<const char*> masks = {}) {
    DirPair p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.dirA, a.c_str());
    std::strcpy(p.dirB, b.c_str());
    int i = 0;
    for (const char* m : masks) std::strcpy(p.masks[i++], m);
    return p;
}

// n pairs /a<i> and /b<i>, each with the mask m<i>.
inline DirPairTable MakeTable(int n) {
    DirPairTable t;
    std::memset(&t, 0, sizeof t);
    for (int i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        t.pairs[i] = MakePair("/a" + k, "/b" + k, {("m" + k).c_str()});
    }
    t.count = n;
    return t;
}

inline bool SameBytes(const DirPairTable& x, const DirPairTable& y) { return std::memcmp(&x, &y, sizeof x) == 0; }

inline std::string MaskSlots(const DirPair& p) {
    std::string s;
    for (int i = 0; i < MAX_MASKS; ++i) {
        if (i) s += '|';
        s += std::string(p.masks[i], strnlen(p.masks[i], MASK_LEN));
    }
    return s;
}

// Answers the input dialog: types both directories and presses button.
inline ModalHandler TypeInput(std::string a, std::string b, int button = IDOK) {
    return [a, b, button](wxDialog* d, const ModalSeen& seen) {
        EXPECT_EQ(seen.title, "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］");
        SetText(d, IDC_DIR_A, a);
        SetText(d, IDC_DIR_B, b);
        Press(d, button);
        return d->GetReturnCode();
    };
}

