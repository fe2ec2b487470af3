#pragma once
// What the process token says: one class of its information, and the state
// of a privilege.

#include "velmar/win32/win32.h"

#include <vector>

namespace testsupport
{

// One class of the process token's information; empty when it cannot be read.
inline std::vector<BYTE> TokenInfo(TOKEN_INFORMATION_CLASS kind)
{
    HANDLE token = nullptr;
    std::vector<BYTE> buf(4096);
    DWORD len = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, kind, buf.data(), static_cast<DWORD>(buf.size()), &len))
        len = 0;
    if (token)
        CloseHandle(token);
    buf.resize(len); // smaller: the pointers into it stay valid
    return buf;
}

// The attributes the process token lists for a privilege; 0xFFFFFFFF when absent.
inline DWORD PrivilegeAttributes(const wchar_t* name)
{
    LUID luid{};
    const std::vector<BYTE> buf = TokenInfo(TokenPrivileges);
    if (buf.empty() || !LookupPrivilegeValueW(nullptr, name, &luid))
        return 0xFFFFFFFF;
    const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buf.data());
    for (DWORD i = 0; i < list->PrivilegeCount; ++i)
        if (list->Privileges[i].Luid.LowPart == luid.LowPart &&
            list->Privileges[i].Luid.HighPart == luid.HighPart)
            return list->Privileges[i].Attributes;
    return 0xFFFFFFFF;
}

// Whether the process token holds the privilege and has it enabled.
inline bool PrivilegeEnabled(const wchar_t* name)
{
    const DWORD attributes = PrivilegeAttributes(name);
    return attributes != 0xFFFFFFFF && (attributes & SE_PRIVILEGE_ENABLED) != 0;
}

} // namespace testsupport
