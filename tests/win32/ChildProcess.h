#pragma once
// Runs the tests' second process (helpers/ipc_child.cpp) with a job.

#include <initializer_list>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace w32test {

// Starts the child with the arguments; its pid, or -1.
inline pid_t StartChild(std::initializer_list<std::string> args)
{
    std::vector<std::string> words{VELMAR_WIN32_IPC_CHILD};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

// The child's exit code, or -1 when it did not exit normally.
inline int WaitChild(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

inline int RunChild(std::initializer_list<std::string> args)
{
    return WaitChild(StartChild(args));
}

} // namespace w32test
