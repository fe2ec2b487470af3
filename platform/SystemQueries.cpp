#include "velmar/platform/SystemQueries.h"

#include "velmar/platform/DllModule.h"

#include <vector>

namespace nkPlatform
{

bool IsWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, BOOL*);
    CDllModule kernel;
    if (!kernel.Load("kernel32"))
        return false;
    auto fn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void (*)()>(kernel.GetProc("IsWow64Process")));
    BOOL wow = FALSE;
    return fn && fn(GetCurrentProcess(), &wow) && wow == TRUE;
}

bool IsVisualThemeActive()
{
    typedef BOOL(WINAPI * IsThemeActiveFn)();
    CDllModule uxtheme;
    if (!uxtheme.Load("uxtheme"))
        return false;
    auto fn = reinterpret_cast<IsThemeActiveFn>(
        reinterpret_cast<void (*)()>(uxtheme.GetProc("IsThemeActive")));
    return fn && fn() == TRUE;
}

bool IsAdministrator()
{
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    // 1 KiB holds a typical group list; a user in many groups needs more, and
    // a short buffer must not turn into "not an administrator".
    std::vector<unsigned char> buffer(1024);
    DWORD needed = 0;
    BOOL ok = GetTokenInformation(token, TokenGroups, buffer.data(),
                                  static_cast<DWORD>(buffer.size()), &needed);
    if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size())
    {
        buffer.resize(needed);
        ok = GetTokenInformation(token, TokenGroups, buffer.data(),
                                 static_cast<DWORD>(buffer.size()), &needed);
    }
    CloseHandle(token);
    if (!ok)
        return false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                  0, 0, 0, 0, 0, &admins))
        return false;
    const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i)
        found = EqualSid(groups->Groups[i].Sid, admins) != FALSE;
    FreeSid(admins);
    return found;
}

bool IsElevated(HANDLE process, bool& elevated)
{
    elevated = false;
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION info{};
    DWORD size = 0;
    const BOOL ok = GetTokenInformation(token, TokenElevation, &info, sizeof info, &size);
    CloseHandle(token);
    if (!ok)
        return false;
    elevated = info.TokenIsElevated != 0;
    return true;
}

} // namespace nkPlatform
