#pragma once
// Shell execution for the OS services. Here the win32 layer opens documents
// and addresses with the desktop's default application and runs "runas"
// through polkit, always through its launcher.
#include "velmar/win32/win32.h"

namespace nkPlatform
{

// Shell execution of file with params: verb (null for the default), no
// folder, shown normally. False with the last error set when nothing started;
// ERROR_CALL_NOT_IMPLEMENTED when the build has no shell execution.
bool ShellRun(const wchar_t* verb, const wchar_t* file, const wchar_t* params);

// Runs file with params in directory with elevation (the verb "runas").
bool RunElevated(const wchar_t* file, const wchar_t* params, const wchar_t* directory);
bool RunElevated(const char* file, const char* params, const char* directory);

// Whether this build can execute through the shell at all.
bool HaveShellExecution();

} // namespace nkPlatform
