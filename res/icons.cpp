#include "res/icons.h"

#include "res/resource.h"

#ifndef __WXMSW__
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include "app_icon_png.h"
#endif

#include "res/icons/a_newer.xpm"
#include "res/icons/b_newer.xpm"
#include "res/icons/only_a.xpm"
#include "res/icons/only_b.xpm"
#include "res/icons/undecided.xpm"

namespace {

#ifdef __WXMSW__

// zoruna.exe carries the icon in every size as its APPICON resource
// (dist/windows/zoruna.rc.in), made from the same PNGs.
constexpr const char* kAppIconResource = "APPICON";

wxIcon AppIconOfSize(int size) { return wxIcon(kAppIconResource, wxBITMAP_TYPE_ICO_RESOURCE, size, size); }

#else

// Decoded with a handler of its own, so that loading the icons does not
// depend on which image handlers the application has registered.
wxIcon AppIcon(const AppIconPng& png) {
    wxMemoryInputStream in(png.data, png.length);
    wxImage image;
    wxPNGHandler handler;
    wxIcon icon;
    if (handler.LoadFile(&image, in, false)) icon.CopyFromBitmap(wxBitmap(image));
    return icon;
}

wxIcon AppIconOfSize(int size) {
    for (const AppIconPng& png : kAppIconPngs)
        if (png.size == size) return AppIcon(png);
    return wxNullIcon;
}

#endif

}  // namespace

wxIcon LoadIconResource(int id) {
    switch (id) {
        case IDR_MAINFRAME: return AppIconOfSize(32);
        case IDI_ONLY_A: return wxIcon(only_a_xpm);
        case IDI_ONLY_B: return wxIcon(only_b_xpm);
        case IDI_A_NEWER: return wxIcon(a_newer_xpm);
        case IDI_B_NEWER: return wxIcon(b_newer_xpm);
        case IDI_UNDECIDED: return wxIcon(undecided_xpm);
        default: return wxNullIcon;
    }
}

wxIconBundle LoadAppIcons() {
#ifdef __WXMSW__
    return wxIconBundle(kAppIconResource, nullptr);
#else
    wxIconBundle icons;
    for (const AppIconPng& png : kAppIconPngs) icons.AddIcon(AppIcon(png));
    return icons;
#endif
}
