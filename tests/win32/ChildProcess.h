#pragma once
// Runs the tests' second process (helpers/ipc_child.cpp) with a job.

#include <initializer_list>
#include <string>
#include <vector>

#ifdef _WIN32
#include "velmar/win32/win32.h"
#include "support/TestProgramPath.h"
#else
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

namespace testsupport
{

#ifdef _WIN32
using ChildId = HANDLE;

// Quotes one argument by the rules the C runtime's parser undoes.
inline std::string QuoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg)
    {
        if (c == '\\')
        {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

// Starts the child with the arguments; its process handle, or null.
inline ChildId StartChild(std::initializer_list<std::string> args)
{
    std::string line = QuoteArgument(BesideTestProgram("win32_ipc_child.exe"));
    for (const std::string& a : args)
        line += " " + QuoteArgument(a);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The child's exit code, or -1 when it could not be waited for.
inline int WaitChild(ChildId child)
{
    if (!child)
        return -1;
    DWORD code = 0;
    const bool ok =
        WaitForSingleObject(child, 60000) == WAIT_OBJECT_0 && GetExitCodeProcess(child, &code);
    CloseHandle(child);
    return ok ? static_cast<int>(code) : -1;
}
#else
using ChildId = pid_t;

// Starts the child with the arguments; its pid, or -1.
inline ChildId StartChild(std::initializer_list<std::string> args)
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
inline int WaitChild(ChildId pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
#endif

inline int RunChild(std::initializer_list<std::string> args)
{
    return WaitChild(StartChild(args));
}

} // namespace testsupport
