#include "velmar/win32/Launcher.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace w32
{

namespace
{

std::mutex g_mutex;
Launcher g_launcher;

} // namespace

void SetLauncher(Launcher launcher)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_launcher = std::move(launcher);
}

DWORD Launch(const LaunchRequest& request, int* processId)
{
    if (processId)
        *processId = 0;
    if (request.argv.empty() || request.argv[0].empty())
        return ERROR_FILE_NOT_FOUND;
    Launcher launcher;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        launcher = g_launcher;
    }
    return launcher ? launcher(request, processId) : SpawnDetached(request, processId);
}

DWORD SpawnDetached(const LaunchRequest& request, int* processId)
{
    if (request.argv.empty() || request.argv[0].empty())
        return ERROR_FILE_NOT_FOUND;
    std::vector<char*> argv;
    argv.reserve(request.argv.size() + 1);
    for (const std::string& a : request.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!request.directory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, request.directory.c_str());
    // The new program must not inherit our blocked or ignored signals, nor die
    // with our terminal.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    pid_t pid = 0;
    const int err = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (err != 0)
        return Win32ErrorFromErrno(err);
    if (processId)
        *processId = pid;
    std::thread(
        [pid]
        {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
            {
            }
        })
        .detach();
    return ERROR_SUCCESS;
}

} // namespace w32
