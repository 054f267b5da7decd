#include <cstdio>

#include "app/gui_main.h"

int RunGui(int, char**) {
    std::puts("The main window is not built yet; see zoruna --help.");
    return 0;
}
