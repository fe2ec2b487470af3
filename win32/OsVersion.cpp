#include "velmar/win32/OsVersion.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/WideText.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sys/utsname.h>

namespace
{

struct Version
{
    DWORD major = 0, minor = 0, build = 0;
    std::string distribution;
};

Version Current()
{
    Version v;
    struct utsname u;
    if (::uname(&u) == 0)
        w32::ParseKernelRelease(u.release, v.major, v.minor, v.build);
    v.distribution = w32::DistributionName("/etc/os-release");
    if (v.distribution.empty())
        v.distribution = w32::DistributionName("/usr/lib/os-release");
    return v;
}

// Unquotes an os-release value (shell-style single or double quotes).
std::string Unquote(const std::string& value)
{
    if (value.size() < 2 || (value[0] != '"' && value[0] != '\''))
        return value;
    const char q = value[0];
    std::string out;
    for (size_t i = 1; i < value.size() && value[i] != q; ++i)
    {
        if (q == '"' && value[i] == '\\' && i + 1 < value.size())
            ++i;
        out += value[i];
    }
    return out;
}

template <typename Info, typename Ex, typename C>
BOOL Fill(Info* info, C* csd, size_t csdChars, const std::basic_string<C>& name, const Version& v)
{
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwBuildNumber = v.build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    const size_t n = std::min(name.size(), csdChars - 1);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), csd);
    csd[n] = C(0);
    if (info->dwOSVersionInfoSize == sizeof(Ex))
    {
        Ex* ex = reinterpret_cast<Ex*>(info);
        ex->wServicePackMajor = 0;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = 0;
        ex->wProductType = VER_NT_WORKSTATION;
        ex->wReserved = 0;
    }
    return TRUE;
}

} // namespace

namespace w32
{

void ParseKernelRelease(const char* release, DWORD& major, DWORD& minor, DWORD& build)
{
    DWORD* parts[3] = {&major, &minor, &build};
    major = minor = build = 0;
    const char* p = release ? release : "";
    for (int i = 0; i < 3; ++i)
    {
        if (*p < '0' || *p > '9')
            break;
        unsigned long long value = 0;
        while (*p >= '0' && *p <= '9')
        {
            if (value < 0xffffffffull)
                value = value * 10 + static_cast<unsigned>(*p - '0');
            ++p;
        }
        *parts[i] = static_cast<DWORD>(value > 0xffffffffull ? 0xffffffffull : value);
        if (*p != '.')
            break;
        ++p;
    }
}

std::string DistributionName(const char* osReleasePath)
{
    std::ifstream in(osReleasePath);
    std::string line, pretty, name;
    while (std::getline(in, line))
    {
        if (line.compare(0, 12, "PRETTY_NAME=") == 0)
            pretty = Unquote(line.substr(12));
        else if (line.compare(0, 5, "NAME=") == 0)
            name = Unquote(line.substr(5));
    }
    return pretty.empty() ? name : pretty;
}

} // namespace w32

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA)))
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const Version v = Current();
    std::string ansi;
    if (!w32::AnsiFromWide(w32::WideFromUtf8(v.distribution), ansi))
        ansi.clear();
    return Fill<OSVERSIONINFOA, OSVERSIONINFOEXA, char>(info, info->szCSDVersion, 128, ansi, v);
}

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW)))
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const Version v = Current();
    return Fill<OSVERSIONINFOW, OSVERSIONINFOEXW, wchar_t>(info, info->szCSDVersion, 128,
                                                           w32::WideFromUtf8(v.distribution), v);
}
