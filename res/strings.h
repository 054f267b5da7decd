// String and menu resources.
#pragma once

#include <span>

#include "res/resource.h"

// Product name: the main dialog's title and every message box caption.
inline constexpr const char* kProductName = "Zoruna";

// Loads a string resource by identifier (UTF-8); empty when there is none.
const char* LoadResString(int id);

struct MenuItemTemplate {
    int id;            // 0: separator
    const char* text;  // UTF-8, with & before the mnemonic
};

// The results list's context menu (the popup of IDR_RESULT_MENU).
std::span<const MenuItemTemplate> ResultMenuItems();
