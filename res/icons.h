// The program's pictures: the application icon (rendered at build time from
// res/icons/zoruna.svg, the source of the installed icons too) and the results
// list's row-state pictures, drawn from SVG files under res/icons/.
#pragma once

#include <wx/bmpbndl.h>
#include <wx/icon.h>
#include <wx/iconbndl.h>

// An icon resource by identifier: IDR_MAINFRAME (its 32 x 32 image) or one of
// IDI_ONLY_A, IDI_ONLY_B, IDI_A_NEWER, IDI_B_NEWER, IDI_UNDECIDED (16 x 16).
// wxNullIcon for any other identifier.
wxIcon LoadIconResource(int id);

// A row-state picture (IDI_ONLY_A ... IDI_UNDECIDED) at 16 x 16 and any
// multiple of it, rendered from its SVG; an empty bundle for other ids.
wxBitmapBundle LoadRowStateBundle(int id);

// Every rendered size of the application icon (16 x 16 to 256 x 256), for a
// window's title bar, task bar and switcher.
wxIconBundle LoadAppIcons();
