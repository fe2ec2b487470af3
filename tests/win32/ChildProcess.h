#pragma once
// The tests' second process (helpers/ipc_child.cpp): started with a job on its
// command line and, when asked, pipes to its standard input and output.

#include "velmar/win32/win32.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "support/TestProgramPath.h"
#else
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace testsupport
{

class ChildProcess
{
public:
    explicit ChildProcess(const std::vector<std::string>& args, bool piped = false)
    {
#ifdef _WIN32
        // No argument of ours holds a quote or ends in a backslash: quotes
        // around each keep it whole for the child's run-time.
        std::string line = "\"" + BesideTestProgram("win32_ipc_child.exe") + "\"";
        for (const std::string& a : args)
            line += " \"" + a + "\"";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        const bool pipes = !piped || (CreatePipe(&childIn, &in_, &inherit, 0) &&
                                      CreatePipe(&out_, &childOut, &inherit, 0));
        if (piped && pipes)
        {
            // Only the child's ends are inherited, so that closing ours ends its input.
            SetHandleInformation(in_, HANDLE_FLAG_INHERIT, 0);
            SetHandleInformation(out_, HANDLE_FLAG_INHERIT, 0);
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdInput = childIn;
            si.hStdOutput = childOut;
            si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        }
        PROCESS_INFORMATION pi{};
        if (pipes && CreateProcessA(nullptr, line.data(), nullptr, nullptr, piped, 0, nullptr,
                                    nullptr, &si, &pi))
        {
            CloseHandle(pi.hThread);
            process_ = pi.hProcess;
        }
        for (HANDLE h : {childIn, childOut})
            if (h)
                CloseHandle(h);
#else
        std::vector<std::string> words{VELMAR_WIN32_IPC_CHILD};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        // Our ends are closed on exec, so that no other child keeps them open.
        int in[2] = {-1, -1}, out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (piped && pipe2(in, O_CLOEXEC) == 0 && pipe2(out, O_CLOEXEC) == 0)
        {
            posix_spawn_file_actions_adddup2(&actions, in[0], 0);
            posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        }
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        for (int fd : {in[0], out[1]})
            if (fd >= 0)
                ::close(fd);
        in_ = in[1];
        out_ = out[0] >= 0 ? fdopen(out[0], "r") : nullptr;
#endif
    }
    ~ChildProcess()
    {
        Wait();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

#ifdef _WIN32
    bool Send(const std::string& line)
    {
        DWORD n = 0;
        return in_ && WriteFile(in_, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    }
    // One line of the child's output with its end, empty at the end of it.
    std::string ReadLine()
    {
        std::string line;
        char c = 0;
        DWORD n = 0;
        while (out_ && line.size() < 64 && ReadFile(out_, &c, 1, &n, nullptr) && n == 1)
        {
            if (c == '\r')
                continue; // the child's run-time writes text lines
            line += c;
            if (c == '\n')
                break;
        }
        return line;
    }
    void Kill()
    {
        if (process_)
            TerminateProcess(process_, 9);
    }
    // Closes the child's input and waits: its exit code, or -1.
    int Wait()
    {
        for (HANDLE* h : {&in_, &out_})
            if (*h)
                CloseHandle(std::exchange(*h, nullptr));
        if (!process_)
            return -1;
        DWORD code = 0;
        const bool ok = WaitForSingleObject(process_, 60000) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process_, &code);
        CloseHandle(std::exchange(process_, nullptr));
        return ok ? static_cast<int>(code) : -1;
    }

private:
    HANDLE process_ = nullptr;
    HANDLE in_ = nullptr;
    HANDLE out_ = nullptr;
#else
    bool Send(const std::string& line)
    {
        return in_ >= 0 && write(in_, line.data(), line.size()) == ssize_t(line.size());
    }
    // One line of the child's output with its end, empty at the end of it.
    std::string ReadLine()
    {
        char line[64] = {};
        return out_ && fgets(line, sizeof line, out_) ? line : "";
    }
    void Kill()
    {
        if (pid_ > 0)
            ::kill(pid_, SIGKILL);
    }
    // Closes the child's input and waits: its exit code, or -1.
    int Wait()
    {
        if (in_ >= 0)
            ::close(std::exchange(in_, -1));
        int status = 0;
        const bool exited =
            pid_ > 0 && waitpid(std::exchange(pid_, -1), &status, 0) > 0 && WIFEXITED(status);
        if (out_)
            fclose(std::exchange(out_, nullptr));
        return exited ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    FILE* out_ = nullptr;
#endif
};

// Runs the child with a job to its end: its exit code, or -1.
inline int RunChild(const std::vector<std::string>& args)
{
    return ChildProcess(args).Wait();
}

} // namespace testsupport
