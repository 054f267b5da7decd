// Whether the tests run under Wine, which is not Windows in everything:
// handles remember the path they were opened by, so an open folder moved
// elsewhere is not followed.
#pragma once

#ifdef _WIN32
#include <windows.h>
#undef CreateDirectory

inline bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#else
inline bool RunningUnderWine() { return false; }
#endif
