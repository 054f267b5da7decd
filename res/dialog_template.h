// A dialog's layout as data: its controls with identifiers, texts, rectangles
// in dialog units and styles. The UI builds real windows from these.
#pragma once

#include <span>

#include "texts/text_id.h"

enum class ControlKind {
    PushButton,
    DefPushButton,  // the dialog's default button (Enter)
    ListView,       // report-style list with multiple selection
    ListBox,
    Edit,
    CheckBox,       // two-state check box with its text on the right
    Static,         // text label
    Icon,           // static picture
};

// Control style flags that matter to the builder.
enum ControlStyle : unsigned {
    CS_NONE = 0,
    CS_MULTIPLESEL = 1u << 0,  // list box: each click toggles one line
    CS_VSCROLL = 1u << 1,
    CS_BORDER = 1u << 2,
    CS_AUTOHSCROLL = 1u << 3,
    CS_NOPREFIX = 1u << 4,     // static text shown without mnemonic (&) processing
    CS_REPORT = 1u << 5,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    TextId text;       // TextId::None: no caption
    int x, y, cx, cy;  // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id;
    TextId title;
    int cx, cy;            // client size in dialog units
    const char* fontFace;  // UTF-8 face name
    int fontPoints;
    std::span<const ControlTemplate> controls;  // in tab order
    bool resizable = false;  // the user may grow the window beyond cx, cy
};
