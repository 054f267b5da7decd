#include "res/strings.h"

#include "texts/texts.h"

namespace {

const MenuItemTemplate kResultMenu[] = {
    {ID_SELECT_ALL, TextId::SelectAllItem},
    {0, TextId::None},
    {ID_COPY_SELECTED, TextId::CopySelectedItem},
};

}  // namespace

const char* LoadResString(int id) {
    switch (id) {
        case IDS_ABOUTBOX: return Text(TextId::AboutItem);
        default: return "";
    }
}

std::span<const MenuItemTemplate> ResultMenuItems() { return kResultMenu; }
