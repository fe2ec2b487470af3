#pragma once
// Helpers of the system-service tests: a temporary folder, environment
// variables restored on exit, and a launcher that records instead of starting.

#include "win32/Launcher.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir()
    {
        char templ[] = "/tmp/velmar-w32sys-XXXXXX";
        const char* made = ::mkdtemp(templ);
        path_ = made ? made : "";
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (folders made as needed); mode 0755 makes it a program.
    std::string write(const std::string& name, const std::string& text, mode_t mode = 0644) const
    {
        const std::string p = file(name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << text;
        ::chmod(p.c_str(), mode);
        return p;
    }

private:
    std::string path_;
};

// Sets or clears environment variables for the life of the object.
class EnvGuard {
public:
    ~EnvGuard()
    {
        for (const auto& [name, old] : saved_) {
            if (old)
                ::setenv(name.c_str(), old->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    void set(const std::string& name, const std::string& value)
    {
        remember(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string& name)
    {
        remember(name);
        ::unsetenv(name.c_str());
    }

private:
    void remember(const std::string& name)
    {
        if (saved_.count(name))
            return;
        const char* v = std::getenv(name.c_str());
        saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

// Replaces the launcher while alive; every request is kept, nothing runs.
class LaunchRecorder {
public:
    explicit LaunchRecorder(DWORD result = 0) : result_(result)
    {
        w32::SetLauncher([this](const w32::LaunchRequest& r, int* pid) {
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

// The path of the running test program.
inline std::string SelfPath()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

} // namespace testsupport

#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/wait.h>

namespace testsupport {

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

#define CHILD_CHECK(cond)                                                                   \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            return __LINE__ % 250 + 1;                                                      \
        }                                                                                   \
    } while (0)
