#include "app/headless.h"

#include <cstring>

bool IsHeadlessOption(const char* arg) { return arg && std::strncmp(arg, "--", 2) == 0; }

int RunHeadless(int, char**, std::FILE*, std::FILE* err) {
    std::fputs("zoruna: headless options are not built yet\n", err);
    return 2;
}
