#pragma once
// Tokens, privileges and security identifiers, answered from the process's
// POSIX credentials.
//
// The process token's user is S-1-22-1-<uid> and each POSIX group appears as
// S-1-22-2-<gid> (the "Unix user/group" authority that Samba uses), beside the
// well-known groups Everyone, Users, INTERACTIVE and Authenticated Users. The
// built-in Administrators group (S-1-5-32-544) is in the token of the superuser
// and of members of the system's administrative group ("sudo", "wheel" or
// "admin"). The token is elevated when the effective user id is 0.
//
// The superuser holds every privilege; other users hold what a standard
// Windows user holds (shutdown, change notify, undock, working set, time
// zone). Only the enabled state is kept, per process; whether the system then
// allows the action is up to the system (polkit for a shut down, say).
//
// Threads never impersonate here: OpenThreadToken fails with ERROR_NO_TOKEN,
// and CheckTokenMembership takes a null token (the caller's identity); a
// primary token fails with ERROR_NO_IMPERSONATION_TOKEN, as on Windows.

#include "velmar/win32/Types.h"

typedef void* PSID;
typedef BOOL* PBOOL;
typedef DWORD* PDWORD;

typedef struct _SID_IDENTIFIER_AUTHORITY
{
    BYTE Value[6];
} SID_IDENTIFIER_AUTHORITY, *PSID_IDENTIFIER_AUTHORITY;

typedef struct _SID
{
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
    DWORD SubAuthority[ANYSIZE_ARRAY];
} SID;

#define SID_REVISION 1
#define SID_MAX_SUB_AUTHORITIES 8
#define SECURITY_NULL_SID_AUTHORITY                                                                \
    {                                                                                              \
        {                                                                                          \
            0, 0, 0, 0, 0, 0                                                                       \
        }                                                                                          \
    }
#define SECURITY_WORLD_SID_AUTHORITY                                                               \
    {                                                                                              \
        {                                                                                          \
            0, 0, 0, 0, 0, 1                                                                       \
        }                                                                                          \
    }
#define SECURITY_LOCAL_SID_AUTHORITY                                                               \
    {                                                                                              \
        {                                                                                          \
            0, 0, 0, 0, 0, 2                                                                       \
        }                                                                                          \
    }
#define SECURITY_NT_AUTHORITY                                                                      \
    {                                                                                              \
        {                                                                                          \
            0, 0, 0, 0, 0, 5                                                                       \
        }                                                                                          \
    }
#define SECURITY_UNIX_AUTHORITY                                                                    \
    {                                                                                              \
        {                                                                                          \
            0, 0, 0, 0, 0, 22                                                                      \
        }                                                                                          \
    }
#define SECURITY_WORLD_RID 0x00000000u
#define SECURITY_INTERACTIVE_RID 0x00000004u
#define SECURITY_AUTHENTICATED_USER_RID 0x0000000Bu
#define SECURITY_LOCAL_SYSTEM_RID 0x00000012u
#define SECURITY_BUILTIN_DOMAIN_RID 0x00000020u
#define DOMAIN_ALIAS_RID_ADMINS 0x00000220u
#define DOMAIN_ALIAS_RID_USERS 0x00000221u
#define DOMAIN_ALIAS_RID_GUESTS 0x00000222u

typedef struct _LUID
{
    DWORD LowPart;
    LONG HighPart;
} LUID, *PLUID;

typedef struct _LUID_AND_ATTRIBUTES
{
    LUID Luid;
    DWORD Attributes;
} LUID_AND_ATTRIBUTES, *PLUID_AND_ATTRIBUTES;

typedef struct _TOKEN_PRIVILEGES
{
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[ANYSIZE_ARRAY];
} TOKEN_PRIVILEGES, *PTOKEN_PRIVILEGES;

typedef struct _SID_AND_ATTRIBUTES
{
    PSID Sid;
    DWORD Attributes;
} SID_AND_ATTRIBUTES, *PSID_AND_ATTRIBUTES;

typedef struct _TOKEN_GROUPS
{
    DWORD GroupCount;
    SID_AND_ATTRIBUTES Groups[ANYSIZE_ARRAY];
} TOKEN_GROUPS, *PTOKEN_GROUPS;

typedef struct _TOKEN_USER
{
    SID_AND_ATTRIBUTES User;
} TOKEN_USER, *PTOKEN_USER;

typedef struct _TOKEN_ELEVATION
{
    DWORD TokenIsElevated;
} TOKEN_ELEVATION, *PTOKEN_ELEVATION;

typedef enum _TOKEN_ELEVATION_TYPE
{
    TokenElevationTypeDefault = 1,
    TokenElevationTypeFull,
    TokenElevationTypeLimited
} TOKEN_ELEVATION_TYPE;

typedef enum _TOKEN_INFORMATION_CLASS
{
    TokenUser = 1,
    TokenGroups,
    TokenPrivileges,
    TokenOwner,
    TokenPrimaryGroup,
    TokenDefaultDacl,
    TokenSource,
    TokenType,
    TokenImpersonationLevel,
    TokenStatistics,
    TokenRestrictedSids,
    TokenSessionId,
    TokenGroupsAndPrivileges,
    TokenSessionReference,
    TokenSandBoxInert,
    TokenAuditPolicy,
    TokenOrigin,
    TokenElevationType,
    TokenLinkedToken,
    TokenElevation
} TOKEN_INFORMATION_CLASS;

#define TOKEN_ASSIGN_PRIMARY 0x0001u
#define TOKEN_DUPLICATE 0x0002u
#define TOKEN_IMPERSONATE 0x0004u
#define TOKEN_QUERY 0x0008u
#define TOKEN_QUERY_SOURCE 0x0010u
#define TOKEN_ADJUST_PRIVILEGES 0x0020u
#define TOKEN_ADJUST_GROUPS 0x0040u
#define TOKEN_ADJUST_DEFAULT 0x0080u
#define TOKEN_ADJUST_SESSIONID 0x0100u
#define TOKEN_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | 0x01FFu)
#define TOKEN_READ (STANDARD_RIGHTS_READ | TOKEN_QUERY)
#define TOKEN_WRITE                                                                                \
    (STANDARD_RIGHTS_WRITE | TOKEN_ADJUST_PRIVILEGES | TOKEN_ADJUST_GROUPS | TOKEN_ADJUST_DEFAULT)
#define TOKEN_EXECUTE STANDARD_RIGHTS_EXECUTE

#define SE_PRIVILEGE_ENABLED_BY_DEFAULT 0x00000001u
#define SE_PRIVILEGE_ENABLED 0x00000002u
#define SE_PRIVILEGE_REMOVED 0x00000004u
#define SE_PRIVILEGE_USED_FOR_ACCESS 0x80000000u

#define SE_GROUP_MANDATORY 0x00000001u
#define SE_GROUP_ENABLED_BY_DEFAULT 0x00000002u
#define SE_GROUP_ENABLED 0x00000004u
#define SE_GROUP_OWNER 0x00000008u
#define SE_GROUP_USE_FOR_DENY_ONLY 0x00000010u

// Privilege names (wide, as a Unicode build of Windows defines them).
#define SE_SECURITY_NAME L"SeSecurityPrivilege"
#define SE_TAKE_OWNERSHIP_NAME L"SeTakeOwnershipPrivilege"
#define SE_SYSTEMTIME_NAME L"SeSystemtimePrivilege"
#define SE_INC_BASE_PRIORITY_NAME L"SeIncreaseBasePriorityPrivilege"
#define SE_BACKUP_NAME L"SeBackupPrivilege"
#define SE_RESTORE_NAME L"SeRestorePrivilege"
#define SE_SHUTDOWN_NAME L"SeShutdownPrivilege"
#define SE_DEBUG_NAME L"SeDebugPrivilege"
#define SE_CHANGE_NOTIFY_NAME L"SeChangeNotifyPrivilege"
#define SE_REMOTE_SHUTDOWN_NAME L"SeRemoteShutdownPrivilege"
#define SE_UNDOCK_NAME L"SeUndockPrivilege"
#define SE_INC_WORKING_SET_NAME L"SeIncreaseWorkingSetPrivilege"
#define SE_TIME_ZONE_NAME L"SeTimeZonePrivilege"

// Only the current process and thread pseudo-handles are accepted.
BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD DesiredAccess, BOOL OpenAsSelf,
                            PHANDLE TokenHandle);
// Names compare without regard to case; a remote system name is not supported.
BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid);
BOOL WINAPI LookupPrivilegeValueW(LPCWSTR lpSystemName, LPCWSTR lpName, PLUID lpLuid);
// Succeeds with ERROR_NOT_ALL_ASSIGNED as the last error when the token lacks
// one of the privileges (the Windows quirk callers must check), else with
// ERROR_SUCCESS. PreviousState lists the privileges whose state changed.
BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength);
// TokenUser, TokenGroups, TokenPrivileges, TokenElevationType, TokenElevation.
BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength,
                                PDWORD ReturnLength);
BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                     BYTE nSubAuthorityCount, DWORD nSubAuthority0,
                                     DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4,
                                     DWORD nSubAuthority5, DWORD nSubAuthority6,
                                     DWORD nSubAuthority7, PSID* pSid);
// Returns null, as on Windows.
PVOID WINAPI FreeSid(PSID pSid);
BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2);
BOOL WINAPI IsValidSid(PSID pSid);
DWORD WINAPI GetLengthSid(PSID pSid);
BOOL WINAPI CheckTokenMembership(HANDLE TokenHandle, PSID SidToCheck, PBOOL IsMember);

namespace w32
{

// Whether the process token has the privilege (a LUID's LowPart) enabled.
bool ProcessPrivilegeEnabled(DWORD luid);

} // namespace w32
