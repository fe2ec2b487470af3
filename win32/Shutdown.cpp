#include "velmar/win32/Shutdown.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Launcher.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Security.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

constexpr DWORD kShutdownPrivilege = 19;

} // namespace

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD)
{
    const bool force = (uFlags & (EWX_FORCE | EWX_FORCEIFHUNG)) != 0;
    w32::LaunchRequest request;
    if (uFlags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF))
    {
        if (!w32::ProcessPrivilegeEnabled(kShutdownPrivilege))
        {
            SetLastError(ERROR_PRIVILEGE_NOT_HELD);
            return FALSE;
        }
        request.argv = {"systemctl", (uFlags & EWX_REBOOT) ? "reboot" : "poweroff"};
        if (force)
            request.argv.push_back("--ignore-inhibitors");
    }
    else
    {
        const char* session = std::getenv("XDG_SESSION_ID");
        if (session && *session)
            request.argv = {"loginctl", "terminate-session", session};
        else
            request.argv = {"loginctl", "terminate-user", std::to_string(::getuid())};
    }
    const DWORD err = w32::Launch(request);
    if (err != ERROR_SUCCESS)
    {
        SetLastError(err);
        return FALSE;
    }
    return TRUE;
}
