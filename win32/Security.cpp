#include "velmar/win32/Security.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Scheduling.h"
#include "velmar/win32/WideText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

struct PrivilegeName
{
    DWORD luid;
    const char* name;
};

// Windows' privilege values.
constexpr PrivilegeName kPrivileges[] = {
    {2, "SeCreateTokenPrivilege"},
    {3, "SeAssignPrimaryTokenPrivilege"},
    {4, "SeLockMemoryPrivilege"},
    {5, "SeIncreaseQuotaPrivilege"},
    {6, "SeMachineAccountPrivilege"},
    {7, "SeTcbPrivilege"},
    {8, "SeSecurityPrivilege"},
    {9, "SeTakeOwnershipPrivilege"},
    {10, "SeLoadDriverPrivilege"},
    {11, "SeSystemProfilePrivilege"},
    {12, "SeSystemtimePrivilege"},
    {13, "SeProfileSingleProcessPrivilege"},
    {14, "SeIncreaseBasePriorityPrivilege"},
    {15, "SeCreatePagefilePrivilege"},
    {16, "SeCreatePermanentPrivilege"},
    {17, "SeBackupPrivilege"},
    {18, "SeRestorePrivilege"},
    {19, "SeShutdownPrivilege"},
    {20, "SeDebugPrivilege"},
    {21, "SeAuditPrivilege"},
    {22, "SeSystemEnvironmentPrivilege"},
    {23, "SeChangeNotifyPrivilege"},
    {24, "SeRemoteShutdownPrivilege"},
    {25, "SeUndockPrivilege"},
    {26, "SeSyncAgentPrivilege"},
    {27, "SeEnableDelegationPrivilege"},
    {28, "SeManageVolumePrivilege"},
    {29, "SeImpersonatePrivilege"},
    {30, "SeCreateGlobalPrivilege"},
    {31, "SeTrustedCredManAccessPrivilege"},
    {32, "SeRelabelPrivilege"},
    {33, "SeIncreaseWorkingSetPrivilege"},
    {34, "SeTimeZonePrivilege"},
    {35, "SeCreateSymbolicLinkPrivilege"},
    {36, "SeDelegateSessionUserImpersonatePrivilege"},
};
constexpr DWORD kChangeNotify = 23, kImpersonate = 29, kCreateGlobal = 30;
constexpr DWORD kStandardUser[] = {19, 23, 25, 33, 34};

// The privileges the process holds now (its credentials may change).
std::vector<DWORD> Held()
{
    std::vector<DWORD> held;
    if (::geteuid() == 0)
    {
        for (const PrivilegeName& p : kPrivileges)
            held.push_back(p.luid);
    }
    else
    {
        held.assign(std::begin(kStandardUser), std::end(kStandardUser));
    }
    return held;
}

bool IsHeld(DWORD luid)
{
    const std::vector<DWORD> held = Held();
    return std::find(held.begin(), held.end(), luid) != held.end();
}

// The enabled state of the process token's privileges.
struct PrivilegeState
{
    std::mutex mutex;
    std::map<DWORD, bool> enabled;
    std::map<DWORD, bool> removed;

    bool Enabled(DWORD luid)
    {
        if (removed.count(luid) || !IsHeld(luid))
            return false;
        const auto it = enabled.find(luid);
        if (it != enabled.end())
            return it->second;
        return luid == kChangeNotify ||
               (::geteuid() == 0 && (luid == kImpersonate || luid == kCreateGlobal));
    }
};

PrivilegeState& Privileges()
{
    static PrivilegeState* state = new PrivilegeState;
    return *state;
}

class TokenObject : public w32::KernelObject
{
public:
    DWORD MapGenericAccess(DWORD access) const override
    {
        DWORD mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
        if (access & GENERIC_READ)
            mapped |= TOKEN_READ;
        if (access & GENERIC_WRITE)
            mapped |= TOKEN_WRITE;
        if (access & GENERIC_EXECUTE)
            mapped |= TOKEN_EXECUTE;
        if (access & GENERIC_ALL)
            mapped |= TOKEN_ALL_ACCESS;
        return mapped;
    }
};

std::vector<BYTE> MakeSid(const BYTE authority[6], std::initializer_list<DWORD> subs)
{
    std::vector<BYTE> sid(8 + 4 * subs.size());
    sid[0] = SID_REVISION;
    sid[1] = static_cast<BYTE>(subs.size());
    std::memcpy(&sid[2], authority, 6);
    size_t at = 8;
    for (DWORD s : subs)
    {
        std::memcpy(&sid[at], &s, 4);
        at += 4;
    }
    return sid;
}

const BYTE kWorld[6] = {0, 0, 0, 0, 0, 1};
const BYTE kNt[6] = {0, 0, 0, 0, 0, 5};
const BYTE kUnix[6] = {0, 0, 0, 0, 0, 22};

bool InAdminGroup()
{
    std::vector<gid_t> groups(static_cast<size_t>(std::max(0, ::getgroups(0, nullptr))) + 1);
    const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(n > 0 ? static_cast<size_t>(n) : 0);
    groups.push_back(::getegid());
    for (const char* name : {"sudo", "wheel", "admin"})
    {
        group g;
        group* found = nullptr;
        std::vector<char> buf(16384);
        if (::getgrnam_r(name, &g, buf.data(), buf.size(), &found) == 0 && found &&
            std::find(groups.begin(), groups.end(), found->gr_gid) != groups.end())
            return true;
    }
    return false;
}

bool IsAdministrator()
{
    return ::geteuid() == 0 || ::getuid() == 0 || InAdminGroup();
}

struct Identity
{
    std::vector<BYTE> user;
    std::vector<std::pair<std::vector<BYTE>, DWORD>> groups;
};

Identity CurrentIdentity()
{
    const DWORD on = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
    Identity id;
    id.user = MakeSid(kUnix, {1, static_cast<DWORD>(::geteuid())});
    id.groups.emplace_back(MakeSid(kWorld, {SECURITY_WORLD_RID}), on);
    if (IsAdministrator())
        id.groups.emplace_back(MakeSid(kNt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}),
                               on);
    id.groups.emplace_back(MakeSid(kNt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}), on);
    id.groups.emplace_back(MakeSid(kNt, {SECURITY_INTERACTIVE_RID}), on);
    id.groups.emplace_back(MakeSid(kNt, {SECURITY_AUTHENTICATED_USER_RID}), on);
    std::vector<gid_t> gids(static_cast<size_t>(std::max(0, ::getgroups(0, nullptr))) + 1);
    const int n = ::getgroups(static_cast<int>(gids.size()), gids.data());
    gids.resize(n > 0 ? static_cast<size_t>(n) : 0);
    gids.insert(gids.begin(), ::getegid());
    std::vector<gid_t> seen;
    for (gid_t g : gids)
    {
        if (std::find(seen.begin(), seen.end(), g) != seen.end())
            continue;
        seen.push_back(g);
        id.groups.emplace_back(MakeSid(kUnix, {2, static_cast<DWORD>(g)}), on);
    }
    return id;
}

bool ValidSid(const void* p)
{
    const BYTE* sid = static_cast<const BYTE*>(p);
    return sid && sid[0] == SID_REVISION && sid[1] <= SID_MAX_SUB_AUTHORITIES;
}

size_t SidLength(const void* p)
{
    return 8 + 4 * size_t(static_cast<const BYTE*>(p)[1]);
}

std::shared_ptr<TokenObject> Token(HANDLE h, DWORD need)
{
    DWORD access = 0;
    std::shared_ptr<TokenObject> token = w32::LookupHandleAs<TokenObject>(h, &access);
    if (!token)
        return nullptr;
    if ((access & need) != need)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return token;
}

// Lays out SID_AND_ATTRIBUTES records followed by their SIDs; offsets of the
// records are relative to the start of the buffer.
void AppendSids(std::vector<BYTE>& out, size_t recordsAt,
                const std::vector<std::pair<std::vector<BYTE>, DWORD>>& sids,
                std::vector<std::pair<size_t, size_t>>& fixups)
{
    size_t sidAt = recordsAt + sids.size() * sizeof(SID_AND_ATTRIBUTES);
    out.resize(sidAt);
    for (size_t i = 0; i < sids.size(); ++i)
    {
        const size_t rec = recordsAt + i * sizeof(SID_AND_ATTRIBUTES);
        std::memcpy(out.data() + rec + offsetof(SID_AND_ATTRIBUTES, Attributes), &sids[i].second,
                    4);
        fixups.emplace_back(rec + offsetof(SID_AND_ATTRIBUTES, Sid), sidAt);
        out.insert(out.end(), sids[i].first.begin(), sids[i].first.end());
        sidAt = out.size();
    }
}

template <typename C> BOOL Lookup(const C* system, const C* name, PLUID luid)
{
    if (system && *system)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (!name || !luid)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::basic_string<C> given(name);
    for (const PrivilegeName& p : kPrivileges)
    {
        const std::string n(p.name);
        if constexpr (sizeof(C) == 1)
        {
            if (!w32::EqualsNoCase(given, n))
                continue;
        }
        else
        {
            if (!w32::EqualsNoCase(given, std::wstring(n.begin(), n.end())))
                continue;
        }
        luid->LowPart = p.luid;
        luid->HighPart = 0;
        return TRUE;
    }
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
}

} // namespace

namespace w32
{

bool ProcessPrivilegeEnabled(DWORD luid)
{
    PrivilegeState& s = Privileges();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.Enabled(luid);
}

} // namespace w32

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle)
{
    if (ProcessHandle != GetCurrentProcess())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!TokenHandle)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    auto token = std::make_shared<TokenObject>();
    const DWORD access = token->MapGenericAccess(DesiredAccess);
    *TokenHandle = w32::InsertHandle(std::move(token), access);
    return TRUE;
}

BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD, BOOL, PHANDLE TokenHandle)
{
    if (TokenHandle)
        *TokenHandle = nullptr;
    SetLastError(ThreadHandle == GetCurrentThread() ? ERROR_NO_TOKEN : ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid)
{
    return Lookup<char>(lpSystemName, lpName, lpLuid);
}

BOOL WINAPI LookupPrivilegeValueW(LPCWSTR lpSystemName, LPCWSTR lpName, PLUID lpLuid)
{
    return Lookup<wchar_t>(lpSystemName, lpName, lpLuid);
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength)
{
    if (!Token(TokenHandle, TOKEN_ADJUST_PRIVILEGES | (PreviousState ? TOKEN_QUERY : 0)))
        return FALSE;
    if (!DisableAllPrivileges && !NewState)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PrivilegeState& s = Privileges();
    std::lock_guard<std::mutex> lock(s.mutex);

    // Work out the changes first: a short PreviousState buffer changes nothing.
    std::vector<std::pair<DWORD, DWORD>> wanted; // luid, new attributes
    bool notAll = false;
    if (DisableAllPrivileges)
    {
        for (DWORD luid : Held())
            wanted.emplace_back(luid, 0);
    }
    else
    {
        for (DWORD i = 0; i < NewState->PrivilegeCount; ++i)
        {
            const LUID_AND_ATTRIBUTES& p = NewState->Privileges[i];
            if (p.Luid.HighPart != 0 || !IsHeld(p.Luid.LowPart) || s.removed.count(p.Luid.LowPart))
            {
                notAll = true;
                continue;
            }
            wanted.emplace_back(p.Luid.LowPart, p.Attributes);
        }
    }
    std::vector<LUID_AND_ATTRIBUTES> previous;
    for (const auto& [luid, attrs] : wanted)
    {
        const bool was = s.Enabled(luid);
        const bool now = (attrs & SE_PRIVILEGE_ENABLED) != 0 && !(attrs & SE_PRIVILEGE_REMOVED);
        if (was != now || (attrs & SE_PRIVILEGE_REMOVED))
            previous.push_back(LUID_AND_ATTRIBUTES{LUID{luid, 0}, was ? SE_PRIVILEGE_ENABLED : 0u});
    }
    if (PreviousState)
    {
        const DWORD needed =
            static_cast<DWORD>(offsetof(TOKEN_PRIVILEGES, Privileges) +
                               std::max<size_t>(previous.size(), 1) * sizeof(LUID_AND_ATTRIBUTES));
        if (ReturnLength)
            *ReturnLength = needed;
        if (BufferLength < needed)
        {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        PreviousState->PrivilegeCount = static_cast<DWORD>(previous.size());
        std::copy(previous.begin(), previous.end(), PreviousState->Privileges);
    }
    for (const auto& [luid, attrs] : wanted)
    {
        if (attrs & SE_PRIVILEGE_REMOVED)
            s.removed[luid] = true;
        else
            s.enabled[luid] = (attrs & SE_PRIVILEGE_ENABLED) != 0;
    }
    SetLastError(notAll ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength,
                                PDWORD ReturnLength)
{
    if (!Token(TokenHandle, TOKEN_QUERY))
        return FALSE;
    if (!ReturnLength)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::vector<BYTE> out;
    std::vector<std::pair<size_t, size_t>> fixups; // pointer field, target offset
    switch (TokenInformationClass)
    {
    case TokenUser:
    {
        const Identity id = CurrentIdentity();
        AppendSids(out, 0, {{id.user, 0}}, fixups);
        break;
    }
    case TokenGroups:
    {
        const Identity id = CurrentIdentity();
        const DWORD count = static_cast<DWORD>(id.groups.size());
        out.resize(offsetof(TOKEN_GROUPS, Groups));
        std::memcpy(out.data(), &count, 4);
        AppendSids(out, offsetof(TOKEN_GROUPS, Groups), id.groups, fixups);
        break;
    }
    case TokenPrivileges:
    {
        PrivilegeState& s = Privileges();
        std::lock_guard<std::mutex> lock(s.mutex);
        std::vector<LUID_AND_ATTRIBUTES> list;
        for (DWORD luid : Held())
        {
            if (s.removed.count(luid))
                continue;
            DWORD attrs = s.Enabled(luid) ? SE_PRIVILEGE_ENABLED : 0;
            if (luid == kChangeNotify)
                attrs |= SE_PRIVILEGE_ENABLED_BY_DEFAULT;
            list.push_back(LUID_AND_ATTRIBUTES{LUID{luid, 0}, attrs});
        }
        const DWORD count = static_cast<DWORD>(list.size());
        out.resize(offsetof(TOKEN_PRIVILEGES, Privileges) +
                   list.size() * sizeof(LUID_AND_ATTRIBUTES));
        std::memcpy(out.data(), &count, 4);
        if (!list.empty())
            std::memcpy(out.data() + offsetof(TOKEN_PRIVILEGES, Privileges), list.data(),
                        list.size() * sizeof(LUID_AND_ATTRIBUTES));
        break;
    }
    case TokenElevationType:
    {
        const DWORD type = ::geteuid() == 0    ? TokenElevationTypeFull
                           : IsAdministrator() ? TokenElevationTypeLimited
                                               : TokenElevationTypeDefault;
        out.resize(4);
        std::memcpy(out.data(), &type, 4);
        break;
    }
    case TokenElevation:
    {
        const DWORD elevated = ::geteuid() == 0 ? 1 : 0;
        out.resize(4);
        std::memcpy(out.data(), &elevated, 4);
        break;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *ReturnLength = static_cast<DWORD>(out.size());
    if (!TokenInformation || TokenInformationLength < out.size())
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    BYTE* dest = static_cast<BYTE*>(TokenInformation);
    std::memcpy(dest, out.data(), out.size());
    for (const auto& [field, target] : fixups)
    {
        BYTE* pointer = dest + target;
        std::memcpy(dest + field, &pointer, sizeof pointer);
    }
    return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                     BYTE nSubAuthorityCount, DWORD s0, DWORD s1, DWORD s2,
                                     DWORD s3, DWORD s4, DWORD s5, DWORD s6, DWORD s7, PSID* pSid)
{
    if (!pIdentifierAuthority || !pSid)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (nSubAuthorityCount > SID_MAX_SUB_AUTHORITIES)
    {
        // What the system's own SID builder answers: no such SID can exist.
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    const DWORD subs[8] = {s0, s1, s2, s3, s4, s5, s6, s7};
    SID* sid = static_cast<SID*>(std::calloc(1, 8 + 4 * size_t(SID_MAX_SUB_AUTHORITIES)));
    if (!sid)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    sid->Revision = SID_REVISION;
    sid->SubAuthorityCount = nSubAuthorityCount;
    sid->IdentifierAuthority = *pIdentifierAuthority;
    std::memcpy(reinterpret_cast<BYTE*>(sid) + 8, subs, 4 * size_t(nSubAuthorityCount));
    *pSid = sid;
    return TRUE;
}

PVOID WINAPI FreeSid(PSID pSid)
{
    std::free(pSid);
    return nullptr;
}

BOOL WINAPI IsValidSid(PSID pSid)
{
    return ValidSid(pSid) ? TRUE : FALSE;
}

DWORD WINAPI GetLengthSid(PSID pSid)
{
    return ValidSid(pSid) ? static_cast<DWORD>(SidLength(pSid)) : 0;
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2)
{
    if (!ValidSid(pSid1) || !ValidSid(pSid2))
    {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return SidLength(pSid1) == SidLength(pSid2) && std::memcmp(pSid1, pSid2, SidLength(pSid1)) == 0;
}

BOOL WINAPI CheckTokenMembership(HANDLE TokenHandle, PSID SidToCheck, PBOOL IsMember)
{
    if (TokenHandle)
    {
        if (Token(TokenHandle, 0))
            SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
        return FALSE;
    }
    if (!ValidSid(SidToCheck) || !IsMember)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Identity id = CurrentIdentity();
    const size_t len = SidLength(SidToCheck);
    auto same = [&](const std::vector<BYTE>& sid)
    { return sid.size() == len && std::memcmp(sid.data(), SidToCheck, len) == 0; };
    bool member = same(id.user);
    for (const auto& [sid, attrs] : id.groups)
        if ((attrs & SE_GROUP_ENABLED) && !(attrs & SE_GROUP_USE_FOR_DENY_ONLY) && same(sid))
            member = true;
    *IsMember = member ? TRUE : FALSE;
    return TRUE;
}
