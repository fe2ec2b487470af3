#include "Win32TestSupport.h"
#include "support/Privileges.h"

using testsupport::PrivilegeAttributes;
using testsupport::PrivilegeEnabled;
using testsupport::TokenInfo;

namespace
{

// The privilege names in wide text; Windows' macros follow the UNICODE setting.
const wchar_t kShutdown[] = L"SeShutdownPrivilege";
const wchar_t kDebug[] = L"SeDebugPrivilege";

PSID Administrators()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid));
    return sid;
}

#ifndef _WIN32
// The way the OS services decide "administrator": the token's group list.
bool GroupsContainAdministrators()
{
    const std::vector<BYTE> buf = TokenInfo(TokenGroups);
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buf.data());
    PSID admins = Administrators();
    bool found = false;
    for (DWORD i = 0; !buf.empty() && i < groups->GroupCount; ++i)
        found = found || EqualSid(groups->Groups[i].Sid, admins);
    FreeSid(admins);
    return found;
}

// A number the token gives for a class: elevated or not, the elevation type.
DWORD TokenNumber(TOKEN_INFORMATION_CLASS kind)
{
    const std::vector<BYTE> buf = TokenInfo(kind);
    return buf.size() == sizeof(DWORD) ? *reinterpret_cast<const DWORD*>(buf.data()) : 99;
}

BOOL IsMember(PSID sid)
{
    BOOL member = 2;
    if (!CheckTokenMembership(nullptr, sid, &member))
        return 3;
    return member;
}

// Enables or disables one privilege the way the OS services do it.
bool SetPrivilege(LPCWSTR name, bool enable, DWORD* lastError = nullptr)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    const bool found = LookupPrivilegeValueW(nullptr, name, &tp.Privileges[0].Luid);
    tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    const bool ok = found && AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    if (lastError)
        *lastError = GetLastError();
    CloseHandle(token);
    return ok;
}
#endif

} // namespace

TEST(Security, TokenHandlesAccessAndBufferSizes)
{
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    ASSERT_NE(nullptr, token);

    // Size probing: too small reports the size needed.
    DWORD needed = 0;
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER,
              LAST_ERROR_IF(FALSE, GetTokenInformation(token, TokenGroups, nullptr, 0, &needed)));
    EXPECT_GT(needed, sizeof(TOKEN_GROUPS));
    std::vector<BYTE> buf(needed);
    DWORD len = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buf.data(), needed, &len));
    EXPECT_EQ(needed, len);
    const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buf.data());
    ASSERT_GE(groups->GroupCount, 1u);
    // Every SID points inside the caller's buffer and is valid.
    for (DWORD i = 0; i < groups->GroupCount; ++i)
    {
        const BYTE* sid = static_cast<const BYTE*>(groups->Groups[i].Sid);
        EXPECT_GE(sid, buf.data());
        EXPECT_LE(sid + GetLengthSid(groups->Groups[i].Sid), buf.data() + buf.size());
        EXPECT_TRUE(IsValidSid(groups->Groups[i].Sid));
    }

    // The user's SID, in the caller's buffer too; a short buffer reports the size.
    BYTE userBuf[128];
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, userBuf, sizeof userBuf, &len));
    const PSID userSid = reinterpret_cast<TOKEN_USER*>(userBuf)->User.Sid;
    EXPECT_TRUE(IsValidSid(userSid));
    EXPECT_LE(static_cast<const BYTE*>(userSid) + GetLengthSid(userSid), userBuf + len);
    DWORD userNeeded = 0;
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER,
              LAST_ERROR_IF(FALSE, GetTokenInformation(token, TokenUser, userBuf, 8, &userNeeded)));
    EXPECT_EQ(len, userNeeded);
#ifndef _WIN32
    // Here the user is the Unix user SID of the effective uid, S-1-22-1-uid.
    const SID* user = static_cast<const SID*>(userSid);
    EXPECT_EQ(22, user->IdentifierAuthority.Value[5]);
    ASSERT_EQ(2, user->SubAuthorityCount);
    EXPECT_EQ(1u, user->SubAuthority[0]);
    EXPECT_EQ(static_cast<DWORD>(geteuid()), user->SubAuthority[1]);
#endif

    // Adjusting needs the adjust right; unknown classes are refused.
    TOKEN_PRIVILEGES tp = {};
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              LAST_ERROR_IF(FALSE, AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr)));
#ifndef _WIN32
    // The classes the program never asks for are not kept here.
    EXPECT_EQ(
        ERROR_INVALID_PARAMETER,
        LAST_ERROR_IF(FALSE, GetTokenInformation(token, TokenSource, buf.data(), needed, &len)));
#endif
    // Membership is asked of an impersonation token or of none (the caller's);
    // a primary token is refused.
    PSID admins = Administrators();
    BOOL member = 2;
    EXPECT_EQ(ERROR_NO_IMPERSONATION_TOKEN,
              LAST_ERROR_IF(FALSE, CheckTokenMembership(token, admins, &member)));
    EXPECT_TRUE(CheckTokenMembership(nullptr, admins, &member));
    EXPECT_TRUE(member == TRUE || member == FALSE);
    FreeSid(admins);
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_EQ(
        ERROR_INVALID_HANDLE,
        LAST_ERROR_IF(FALSE, GetTokenInformation(token, TokenGroups, buf.data(), needed, &len)));

    // Threads do not impersonate: callers fall back to the process token.
    HANDLE threadToken = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(ERROR_NO_TOKEN, LAST_ERROR_IF(FALSE, OpenThreadToken(GetCurrentThread(), TOKEN_QUERY,
                                                                   TRUE, &threadToken)));
    EXPECT_EQ(nullptr, threadToken);
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              LAST_ERROR_IF(FALSE,
                            OpenProcessToken(reinterpret_cast<HANDLE>(0x44), TOKEN_QUERY, &token)));
}

TEST(Security, PrivilegeLookupAndAdjustment)
{
    LUID luid = {};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, kShutdown, &luid));
    EXPECT_EQ(19u, luid.LowPart);
    EXPECT_EQ(0, luid.HighPart);
    ASSERT_TRUE(LookupPrivilegeValueA("", "sedebugprivilege", &luid));
    EXPECT_EQ(20u, luid.LowPart);
    EXPECT_EQ(ERROR_NO_SUCH_PRIVILEGE,
              LAST_ERROR_IF(FALSE, LookupPrivilegeValueW(nullptr, L"SeMadeUpPrivilege", &luid)));

    HANDLE token = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, kShutdown, &tp.Privileges[0].Luid));
    // Start from the privilege held but disabled, as a standard user has it.
    tp.Privileges[0].Attributes = 0;
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr));
    ASSERT_FALSE(PrivilegeEnabled(kShutdown));
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;

    // A previous-state buffer that is too small changes nothing. Known Wine
    // difference: Wine makes the change and reports success.
    TOKEN_PRIVILEGES previous = {};
    DWORD len = 0;
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(
            ERROR_INSUFFICIENT_BUFFER,
            LAST_ERROR_IF(FALSE, AdjustTokenPrivileges(token, FALSE, &tp, 4, &previous, &len)));
        EXPECT_FALSE(PrivilegeEnabled(kShutdown));
    }

    SetLastError(0xdead);
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &tp, sizeof previous, &previous, &len));
    EXPECT_EQ(0u, GetLastError());
    ASSERT_EQ(1u, previous.PrivilegeCount);
    EXPECT_EQ(19u, previous.Privileges[0].Luid.LowPart);
    EXPECT_EQ(0u, previous.Privileges[0].Attributes);
#ifndef _WIN32
    EXPECT_TRUE(w32::ProcessPrivilegeEnabled(19));
#endif

    // The token lists it as enabled; change notify is on by default.
    EXPECT_EQ(static_cast<DWORD>(SE_PRIVILEGE_ENABLED), PrivilegeAttributes(kShutdown));
    EXPECT_EQ(static_cast<DWORD>(SE_PRIVILEGE_ENABLED | SE_PRIVILEGE_ENABLED_BY_DEFAULT),
              PrivilegeAttributes(L"SeChangeNotifyPrivilege"));

    // The previous state puts it back.
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &previous, 0, nullptr, nullptr));
    EXPECT_FALSE(PrivilegeEnabled(kShutdown));
#ifndef _WIN32
    EXPECT_FALSE(w32::ProcessPrivilegeEnabled(19));
#endif
    CloseHandle(token);
}

#ifndef _WIN32
// Who is an administrator follows the Unix user and groups: root is one,
// and elevated; the debug privilege is his to enable.
TEST(Security, AdministratorsFollowTheUnixUserAndGroups)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "switching users needs root";
    PSID admins = Administrators();
    EXPECT_EQ(TRUE, IsMember(admins));
    EXPECT_TRUE(GroupsContainAdministrators());
    EXPECT_EQ(1u, TokenNumber(TokenElevation));
    FreeSid(admins);
    DWORD err = 0;
    EXPECT_TRUE(SetPrivilege(kDebug, true, &err));
    EXPECT_EQ(0u, err);
    EXPECT_TRUE(SetPrivilege(kDebug, false));

    // An ordinary user: no Administrators, not elevated, no debug privilege.
    EXPECT_EQ(0, testsupport::RunInChild(
                     []
                     {
                         CHILD_CHECK(testsupport::SwitchToUnprivilegedUser());
                         PSID admins = Administrators();
                         CHILD_CHECK(IsMember(admins) == FALSE);
                         CHILD_CHECK(!GroupsContainAdministrators());
                         CHILD_CHECK(TokenNumber(TokenElevation) == 0);
                         SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
                         PSID everyone = nullptr;
                         CHILD_CHECK(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0,
                                                              0, 0, 0, 0, 0, &everyone));
                         CHILD_CHECK(IsMember(everyone) == TRUE);
                         CHILD_CHECK(!EqualSid(everyone, admins));
                         CHILD_CHECK(FreeSid(everyone) == nullptr);
                         FreeSid(admins);
                         // Not held: the call succeeds and says so only through the last error.
                         DWORD err = 0;
                         CHILD_CHECK(SetPrivilege(kDebug, true, &err));
                         CHILD_CHECK(err == ERROR_NOT_ALL_ASSIGNED);
                         CHILD_CHECK(!w32::ProcessPrivilegeEnabled(20));
                         // A standard user holds the shut-down privilege.
                         CHILD_CHECK(SetPrivilege(kShutdown, true, &err));
                         CHILD_CHECK(err == ERROR_SUCCESS);
                         return 0;
                     }));

    // A member of the administrative group who is not root.
    group* sudo = getgrnam("sudo");
    if (!sudo)
        sudo = getgrnam("wheel");
    if (!sudo)
        GTEST_SKIP() << "the machine has no sudo or wheel group";
    const gid_t adminGid = sudo->gr_gid;
    EXPECT_EQ(0, testsupport::RunInChild(
                     [adminGid]
                     {
                         CHILD_CHECK(setgroups(1, &adminGid) == 0 && setgid(65534) == 0 &&
                                     setuid(65534) == 0);
                         PSID admins = Administrators();
                         CHILD_CHECK(IsMember(admins) == TRUE);
                         CHILD_CHECK(GroupsContainAdministrators());
                         CHILD_CHECK(TokenNumber(TokenElevation) == 0);
                         CHILD_CHECK(TokenNumber(TokenElevationType) == TokenElevationTypeLimited);
                         FreeSid(admins);
                         return 0;
                     }));
}

#endif

TEST(Security, SidAllocationChecks)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_EQ(ERROR_INVALID_SID,
              LAST_ERROR_IF(FALSE, AllocateAndInitializeSid(&nt, 9, 0, 0, 0, 0, 0, 0, 0, 0, &sid)));
    PSID a = Administrators(), b = Administrators();
    EXPECT_TRUE(EqualSid(a, b));
    EXPECT_EQ(16u, GetLengthSid(a));
    EXPECT_EQ(544u, static_cast<SID*>(a)->SubAuthority[1]);
    BYTE junk[8] = {7, 200, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(IsValidSid(junk));
#ifndef _WIN32
    // Windows leaves comparing an invalid SID undefined; ours refuses it.
    EXPECT_EQ(ERROR_INVALID_SID, LAST_ERROR_IF(FALSE, EqualSid(a, junk)));
#endif
    FreeSid(a);
    FreeSid(b);
}

#ifndef _WIN32
// The session and power commands of a POSIX desktop, recorded, never run.
TEST(Shutdown, ExitWindowsExRunsTheSessionAndPowerCommands)
{
    testsupport::LaunchRecorder recorder;
    testsupport::EnvGuard env;
    env.set("XDG_SESSION_ID", "c7");

    // Without the privilege only log-off is allowed, and nothing runs.
    EXPECT_EQ(ERROR_PRIVILEGE_NOT_HELD, LAST_ERROR_IF(FALSE, ExitWindowsEx(EWX_SHUTDOWN, 0)));
    EXPECT_TRUE(recorder.requests().empty());
    ASSERT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0));
    EXPECT_EQ((std::vector<std::string>{"loginctl", "terminate-session", "c7"}),
              recorder.lastArgv());

    // As the OS services' Shutdown does: enable, exit, disable.
    ASSERT_TRUE(SetPrivilege(kShutdown, true));
    struct Case
    {
        UINT flags;
        std::vector<std::string> argv;
    } cases[] = {
        {1, {"systemctl", "poweroff"}},
        {2, {"systemctl", "reboot"}},
        {5, {"systemctl", "poweroff", "--ignore-inhibitors"}},
        {6, {"systemctl", "reboot", "--ignore-inhibitors"}},
        {EWX_POWEROFF, {"systemctl", "poweroff"}},
        {4, {"loginctl", "terminate-session", "c7"}},
    };
    for (const Case& c : cases)
    {
        EXPECT_TRUE(ExitWindowsEx(c.flags, SHTDN_REASON_FLAG_PLANNED)) << c.flags;
        EXPECT_EQ(c.argv, recorder.lastArgv()) << c.flags;
        EXPECT_TRUE(recorder.requests().back().directory.empty());
    }
    env.unset("XDG_SESSION_ID");
    EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0));
    EXPECT_EQ((std::vector<std::string>{"loginctl", "terminate-user", std::to_string(getuid())}),
              recorder.lastArgv());
    EXPECT_TRUE(SetPrivilege(kShutdown, false));
    EXPECT_EQ(8u, recorder.requests().size());

    // A command that cannot be started fails with its error.
    testsupport::LaunchRecorder failing(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LAST_ERROR_IF(FALSE, ExitWindowsEx(EWX_LOGOFF, 0)));
}
#endif
