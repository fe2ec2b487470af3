#pragma once
// Privileges of the process token. Here the win32 layer keeps their enabled
// state per process; whether the system then allows the action (a shut down,
// say) is the system's decision.
#include <cstdint>

namespace nkPlatform
{

class COSVersion;

// Enables or disables a privilege ("SeShutdownPrivilege"...) in the process
// token. True only when the token holds it and the change was made; a token
// that lacks it gives false with ERROR_NOT_ALL_ASSIGNED. Outside the NT family
// (when version says so) there is nothing to change and the result is true.
bool EnablePrivilege(const char* name, const COSVersion* version = nullptr);
bool EnablePrivilege(const wchar_t* name, const COSVersion* version = nullptr);
bool DisablePrivilege(const char* name, const COSVersion* version = nullptr);
bool DisablePrivilege(const wchar_t* name, const COSVersion* version = nullptr);

// The exit-windows code for Shutdown's flags: without force, power off 1,
// reboot 2, log off 0; with force 5, 6 and 4.
std::uint32_t ShutdownCode(std::uint32_t flags);

} // namespace nkPlatform
