#pragma once
// Every process this layer starts (shell execution, the browser, the session
// and power commands of ExitWindowsEx) goes through one launcher function, so
// that a test can put a recorder in its place and nothing real is started.

#include "velmar/win32/Types.h"

#include <functional>
#include <string>
#include <vector>

namespace w32
{

struct LaunchRequest
{
    // argv[0] is the program: a path, or a bare name searched in PATH.
    std::vector<std::string> argv;
    // Working folder of the new process; empty keeps the caller's.
    std::string directory;
};

// Starts the program without waiting for it. ERROR_SUCCESS with *processId set
// (when given), or the Win32 code of the failure.
using Launcher = std::function<DWORD(const LaunchRequest& request, int* processId)>;

// Replaces the launcher; an empty function restores the system's.
void SetLauncher(Launcher launcher);

// Runs a request through the current launcher.
DWORD Launch(const LaunchRequest& request, int* processId = nullptr);

// The system's launcher: posix_spawn in a new session with default signals;
// the child is reaped in the background so that it never lingers as a zombie.
DWORD SpawnDetached(const LaunchRequest& request, int* processId);

} // namespace w32
