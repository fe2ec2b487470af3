#include "velmar/platform/OSVersion.h"

namespace nkPlatform
{

COSVersion::COSVersion()
{
    Query();
}

bool COSVersion::Query()
{
    info = OSVERSIONINFOEXW{};
    major = minor = build = 0;
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
    {
        info = OSVERSIONINFOEXW{};
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
            return false;
    }
    major = info.dwMajorVersion;
    minor = info.dwMinorVersion;
    build = info.dwBuildNumber;
    return true;
}

} // namespace nkPlatform
