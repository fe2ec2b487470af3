#pragma once
// Whether the suite runs on Wine rather than Windows. Wine answers a few calls
// unlike Windows; the tests name each such case with its reason.

#include "velmar/win32/win32.h"

namespace testsupport
{

inline bool UnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

} // namespace testsupport
