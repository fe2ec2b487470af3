#pragma once
// The system's version. Here major, minor and build are the running kernel's
// release numbers, the platform is the NT family (the one whose calls the
// win32 layer answers) and the service-pack text is the distribution's name.
#include "velmar/win32/win32.h"

namespace nkPlatform
{

class COSVersion
{
public:
    // Queries the system at once.
    COSVersion();

    // Fills the extended version information, falling back to the basic one;
    // false (numbers 0) when both fail.
    bool Query();
    // Whether the platform is the NT family (platform identifier 2).
    bool IsNT() const { return info.dwPlatformId == VER_PLATFORM_WIN32_NT; }

    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    OSVERSIONINFOEXW info{};
};

} // namespace nkPlatform
