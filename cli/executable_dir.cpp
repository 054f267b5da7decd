#include "cli/executable_dir.h"

#ifdef _WIN32
#include <windows.h>

#include <string>

#include "core/win32_text.h"
#else
#include <limits.h>
#include <unistd.h>
#endif

std::string ExecutableDir() {
#ifdef _WIN32
    // Wide, as the folder may have a name the ANSI code page cannot hold, and
    // longer than MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return ".";
        path.resize(path.size() * 2);
    }
    const std::string exe = PlainPath(path);
    const auto slash = exe.find_last_of("\\/");
    return slash == std::string::npos ? "." : exe.substr(0, slash);
#else
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
#endif
}
