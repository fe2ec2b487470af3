#pragma once
// ExitWindowsEx asks the system's session and power services (systemd-logind
// through loginctl and systemctl) and returns once the request is handed over,
// as Windows returns once the shut down has begun. The command goes through
// the launcher (win32/Launcher.h), which tests replace.
//
//   log off      loginctl terminate-session $XDG_SESSION_ID
//                (loginctl terminate-user <uid> outside a session)
//   shut down    systemctl poweroff      (EWX_SHUTDOWN or EWX_POWEROFF)
//   reboot       systemctl reboot
// EWX_FORCE and EWX_FORCEIFHUNG add --ignore-inhibitors: programs that asked to
// delay the shut down are not waited for, as forced Windows shut downs do not
// ask programs. Shutting down and rebooting need SeShutdownPrivilege enabled in
// the process token (ERROR_PRIVILEGE_NOT_HELD otherwise); logging off does not.

#include "velmar/win32/Types.h"

#define EWX_LOGOFF 0x00000000u
#define EWX_SHUTDOWN 0x00000001u
#define EWX_REBOOT 0x00000002u
#define EWX_FORCE 0x00000004u
#define EWX_POWEROFF 0x00000008u
#define EWX_FORCEIFHUNG 0x00000010u
#define EWX_RESTARTAPPS 0x00000040u

#define SHTDN_REASON_MAJOR_OTHER 0x00000000u
#define SHTDN_REASON_MINOR_OTHER 0x00000000u
#define SHTDN_REASON_FLAG_PLANNED 0x80000000u

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason);
