#pragma once
// Helpers of the system-service tests: a temporary folder, environment
// variables restored on exit, the running program's path and, on POSIX, a
// launcher that records instead of starting and a forked child for checks
// that change the process for good.

#include "velmar/win32/win32.h"
#include "support/TestProgramPath.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include "velmar/win32/Launcher.h"

#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testsupport
{

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir
{
public:
    TempDir()
    {
        static std::atomic<unsigned> counter{0};
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt)
        {
            const std::filesystem::path p = base / ("velmar-w32sys-" + std::to_string(ProcessId()) +
                                                    "-" + std::to_string(counter++));
            if (std::filesystem::create_directory(p, ec))
                path_ = p.generic_string();
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (folders made as needed); on POSIX, mode 0755 makes it a program.
    std::string write(const std::string& name, const std::string& text, unsigned mode = 0644) const
    {
        const std::string p = file(name);
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path(), ec);
        std::ofstream(p, std::ios::binary) << text;
#ifndef _WIN32
        ::chmod(p.c_str(), static_cast<mode_t>(mode));
#else
        (void)mode;
#endif
        return p;
    }

private:
    static unsigned long ProcessId()
    {
#ifdef _WIN32
        return GetCurrentProcessId();
#else
        return static_cast<unsigned long>(::getpid());
#endif
    }
    std::string path_;
};

// Sets or clears environment variables for the life of the object.
class EnvGuard
{
public:
    EnvGuard() = default;
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    ~EnvGuard()
    {
        for (const auto& [name, old] : saved_)
        {
            if (old)
                Put(name, old->c_str());
            else
                Put(name, nullptr);
        }
    }
    void set(const std::string& name, const std::string& value)
    {
        remember(name);
        Put(name, value.c_str());
    }
    void unset(const std::string& name)
    {
        remember(name);
        Put(name, nullptr);
    }

private:
    static void Put(const std::string& name, const char* value)
    {
#ifdef _WIN32
        // The C runtime's copy is what getenv reads; an empty value removes it.
        _putenv_s(name.c_str(), value ? value : "");
#else
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
#endif
    }
    void remember(const std::string& name)
    {
        if (saved_.count(name))
            return;
        const char* v = std::getenv(name.c_str());
        saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

using testsupport::SelfPath;

// Wide text from UTF-8, for paths made by the tests.
inline std::wstring Wide(const std::string& s)
{
    if (s.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

#ifndef _WIN32
// Replaces the launcher while alive; every request is kept, nothing runs.
class LaunchRecorder
{
public:
    explicit LaunchRecorder(DWORD result = 0) : result_(result)
    {
        w32::SetLauncher(
            [this](const w32::LaunchRequest& r, int* pid)
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(r);
                if (pid)
                    *pid = result_ ? 0 : 4242;
                return result_;
            });
    }
    ~LaunchRecorder() { w32::SetLauncher(nullptr); }
    std::vector<w32::LaunchRequest> requests() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    std::vector<std::string> lastArgv() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_.empty() ? std::vector<std::string>() : requests_.back().argv;
    }

private:
    DWORD result_;
    mutable std::mutex mutex_;
    std::vector<w32::LaunchRequest> requests_;
};
#endif

} // namespace testsupport

#ifndef _WIN32
#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/wait.h>

namespace testsupport
{

// Runs body in a forked child (so that it may change priorities, affinity or
// its user for good) and returns its exit code: 0 when every check held, else
// the line of the first that failed.
inline int RunInChild(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// A user other than root to become in a child: nobody, when it exists.
inline bool SwitchToUnprivilegedUser()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

} // namespace testsupport

#define CHILD_CHECK(cond)                                                                          \
    do                                                                                             \
    {                                                                                              \
        if (!(cond))                                                                               \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            return __LINE__ % 250 + 1;                                                             \
        }                                                                                          \
    } while (0)
#endif
