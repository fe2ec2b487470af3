#include "velmar/platform/Privileges.h"

#include "velmar/platform/OSVersion.h"
#include "velmar/win32/win32.h"

namespace nkPlatform
{

namespace
{

BOOL Lookup(const char* name, LUID* luid)
{
    return LookupPrivilegeValueA(nullptr, name, luid);
}
BOOL Lookup(const wchar_t* name, LUID* luid)
{
    return LookupPrivilegeValueW(nullptr, name, luid);
}

template <class T> bool SetPrivilege(const T* name, bool enable, const COSVersion* version)
{
    if (version && !version->IsNT())
        return true;
    if (!name)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    bool ok = Lookup(name, &tp.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr);
    // The adjustment "succeeds" for a privilege the token does not hold.
    const DWORD error = GetLastError();
    if (ok && error == ERROR_NOT_ALL_ASSIGNED)
        ok = false;
    CloseHandle(token);
    SetLastError(ok ? ERROR_SUCCESS : error);
    return ok;
}

} // namespace

bool EnablePrivilege(const char* name, const COSVersion* version)
{
    return SetPrivilege(name, true, version);
}
bool EnablePrivilege(const wchar_t* name, const COSVersion* version)
{
    return SetPrivilege(name, true, version);
}
bool DisablePrivilege(const char* name, const COSVersion* version)
{
    return SetPrivilege(name, false, version);
}
bool DisablePrivilege(const wchar_t* name, const COSVersion* version)
{
    return SetPrivilege(name, false, version);
}

std::uint32_t ShutdownCode(std::uint32_t flags)
{
    const std::uint32_t base = (flags & 1) ? EWX_SHUTDOWN : (flags & 2) ? EWX_REBOOT : EWX_LOGOFF;
    return (flags & 4) ? (base | EWX_FORCE) : base;
}

} // namespace nkPlatform
