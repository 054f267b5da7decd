#include "cli/parent_console.h"

#ifdef _WIN32

#include <windows.h>

#include <cstdio>

namespace {

// A handle the parent gave: a file, a pipe or a console of its own.
bool IsGiven(DWORD which) {
    const HANDLE h = GetStdHandle(which);
    return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

}  // namespace

ParentConsole::ParentConsole() {
    const bool outGiven = IsGiven(STD_OUTPUT_HANDLE);
    const bool errGiven = IsGiven(STD_ERROR_HANDLE);
    if (outGiven && errGiven) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!outGiven) std::freopen("CONOUT$", "w", stdout);
    if (!errGiven) std::freopen("CONOUT$", "w", stderr);
    // The program's texts and names are UTF-8: the console shows them as
    // such while the option runs (a file or a pipe gets the same bytes).
    m_oldCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
}

ParentConsole::~ParentConsole() {
    if (m_oldCodePage == 0) return;
    std::fflush(stdout);
    std::fflush(stderr);
    SetConsoleOutputCP(m_oldCodePage);
}

#else

ParentConsole::ParentConsole() = default;
ParentConsole::~ParentConsole() = default;

#endif
