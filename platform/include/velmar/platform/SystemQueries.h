#pragma once
// Questions about the machine and the process. What each answers here:
//   IsWow64              false: "kernel32" and its IsWow64Process do not exist.
//   IsVisualThemeActive  false: "uxtheme" and its IsThemeActive do not exist.
//   IsAdministrator      the superuser, or a member of the system's
//                        administrative group (sudo, wheel or admin).
//   IsElevated           whether the process runs with an effective user id of 0.
#include "velmar/win32/win32.h"

namespace nkPlatform
{

// Whether the process is a 32-bit one running on a 64-bit Windows.
bool IsWow64();
// Whether visual themes are active.
bool IsVisualThemeActive();
// Whether the caller's token is in the built-in Administrators group.
bool IsAdministrator();
// False when the token cannot be read; else true with elevated set.
bool IsElevated(HANDLE process, bool& elevated);

} // namespace nkPlatform
