#include "res/icons.h"

#include "res/resource.h"

#include "res/icons/a_newer.xpm"
#include "res/icons/app_16.xpm"
#include "res/icons/app_32.xpm"
#include "res/icons/b_newer.xpm"
#include "res/icons/only_a.xpm"
#include "res/icons/only_b.xpm"

wxIcon LoadIconResource(int id) {
    switch (id) {
        case IDR_MAINFRAME: return wxIcon(app_32_xpm);
        case IDI_ONLY_A: return wxIcon(only_a_xpm);
        case IDI_ONLY_B: return wxIcon(only_b_xpm);
        case IDI_A_NEWER: return wxIcon(a_newer_xpm);
        case IDI_B_NEWER: return wxIcon(b_newer_xpm);
        default: return wxNullIcon;
    }
}

wxIconBundle LoadAppIcons() {
    wxIconBundle icons;
    icons.AddIcon(wxIcon(app_16_xpm));
    icons.AddIcon(wxIcon(app_32_xpm));
    return icons;
}
