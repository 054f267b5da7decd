#include "res/strings.h"

namespace {

const MenuItemTemplate kResultMenu[] = {
    {ID_SELECT_ALL, "全選択(&A)"},
    {0, nullptr},
    {ID_COPY_SELECTED, "選択ﾌｧｲﾙｺﾋﾟｰ(&C)"},
};

}  // namespace

const char* LoadResString(int id) {
    switch (id) {
        case IDS_ABOUTBOX: return "ﾊﾞｰｼﾞｮﾝ情報(zoruna) (&A)...";
        default: return "";
    }
}

std::span<const MenuItemTemplate> ResultMenuItems() { return kResultMenu; }
