// String and menu resources.
#pragma once

#include <span>

#include "res/resource.h"
#include "texts/text_id.h"

// Loads a string resource by identifier (UTF-8); empty when there is none.
const char* LoadResString(int id);

struct MenuItemTemplate {
    int id;       // 0: separator
    TextId text;  // with & before the mnemonic
};

// The results list's context menu (the popup of IDR_RESULT_MENU).
std::span<const MenuItemTemplate> ResultMenuItems();
