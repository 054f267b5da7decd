#include "res/icons.h"

#include "res/resource.h"

#ifndef __WXMSW__
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include "app_icon_png.h"
#include "row_state_svg.h"
#endif

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

constexpr int kRowStateSize = 16;

#ifdef __WXMSW__

// The row pictures are icon resources (dist/windows/zoruna.rc.in) with the
// SVG rendered at these sizes, as wxMSW has no SVG renderer.
constexpr int kRowStateSizes[] = {16, 20, 24, 32};

const char* RowStateResource(int id) {
    switch (id) {
        case IDI_ONLY_A: return "ROW_ONLY_A";
        case IDI_ONLY_B: return "ROW_ONLY_B";
        case IDI_A_NEWER: return "ROW_A_NEWER";
        case IDI_B_NEWER: return "ROW_B_NEWER";
        case IDI_UNDECIDED: return "ROW_UNDECIDED";
        default: return nullptr;
    }
}

wxBitmapBundle RowStatePicture(int id) {
    const char* resource = RowStateResource(id);
    if (!resource) return wxBitmapBundle();
    wxVector<wxBitmap> sizes;
    for (int size : kRowStateSizes) {
        const wxIcon icon(resource, wxBITMAP_TYPE_ICO_RESOURCE, size, size);
        if (icon.IsOk()) sizes.push_back(wxBitmap(icon));
    }
    return wxBitmapBundle::FromBitmaps(sizes);
}

#else

const char* RowStateSvg(int id) {
    switch (id) {
        case IDI_ONLY_A: return k_only_a_svg;
        case IDI_ONLY_B: return k_only_b_svg;
        case IDI_A_NEWER: return k_a_newer_svg;
        case IDI_B_NEWER: return k_b_newer_svg;
        case IDI_UNDECIDED: return k_undecided_svg;
        default: return nullptr;
    }
}

wxBitmapBundle RowStatePicture(int id) {
    const char* svg = RowStateSvg(id);
    return svg ? wxBitmapBundle::FromSVG(svg, wxSize(kRowStateSize, kRowStateSize)) : wxBitmapBundle();
}

#endif

}  // namespace

wxBitmapBundle LoadRowStateBundle(int id) { return RowStatePicture(id); }

wxIcon LoadIconResource(int id) {
    switch (id) {
        case IDR_MAINFRAME: return AppIconOfSize(32);
        default: {
            const wxBitmapBundle picture = LoadRowStateBundle(id);
            if (!picture.IsOk()) return wxNullIcon;
            return picture.GetIcon(wxSize(kRowStateSize, kRowStateSize));
        }
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
