#pragma once
// What the win32 tests share: a scratch folder, alone or as a fixture that
// also checks for leaked handles, environment variables restored on exit, the
// last error of a failed call and, on POSIX, a launcher that records instead
// of starting and a forked child for checks that change the process for good.

#include "velmar/win32/win32.h"
#include "support/TestProgramPath.h"
#include "support/WineCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifndef _WIN32
#include "SysCalls.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <grp.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// The last error a call leaves when it returns `failed`, ERROR_SUCCESS when it
// returns anything else. The error is set to 0xFFFFFFFF first, so a failure
// that sets none shows as that.
#define LAST_ERROR_IF(failed, call)                                                                \
    (SetLastError(0xFFFFFFFFu), (call) == (failed) ? GetLastError() : DWORD(ERROR_SUCCESS))

namespace testsupport
{

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir
{
public:
    TempDir()
    {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt)
        {
            const std::filesystem::path p = base / ("velmar-win32-" + std::to_string(seed()));
            if (std::filesystem::create_directory(p, ec)) // false for a name already taken
                path_ = p.generic_string();               // forward slashes in both builds
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        if (path_.empty())
            return;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
#ifdef _WIN32
        // A read-only file cannot be deleted there.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
        ec.clear();
#endif
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const
    {
        return path_;
    }
    std::string file(const std::string& name) const
    {
        return path_ + "/" + name;
    }
    std::wstring wfile(const std::string& name) const;
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
            Put(name, old ? old->c_str() : nullptr);
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

inline std::wstring TempDir::wfile(const std::string& name) const
{
    return Wide(file(name));
}

// A scratch folder per test, which also holds our layer's share locks, so no
// test touches anything outside; a test must close every handle it opens,
// and faults injected into our layer's calls end with it.
class TempDirTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir_.empty()) << "no scratch folder";
#ifndef _WIN32
        env_.set("VELMAR_SHARE_DIR", dir_ + "/locks");
#endif
        handlesBefore_ = HandleCount();
    }
    void TearDown() override
    {
#ifndef _WIN32
        w32::ClearInjectedFaults();
#endif
        EXPECT_EQ(handlesBefore_, HandleCount()) << "a test leaked handles";
    }

    // Handles this process holds: ours natively, the system's count on Windows
    // (Wine answers 0 there, which leaves the check idle under it).
    static size_t HandleCount()
    {
#ifdef _WIN32
        DWORD count = 0;
        return GetProcessHandleCount(GetCurrentProcess(), &count) ? count : 0;
#else
        return w32::OpenHandleCount();
#endif
    }

    std::string Path(const std::string& name) const
    {
        return scratch_.file(name);
    }
    std::wstring WPath(const std::string& name) const
    {
        return scratch_.wfile(name);
    }

    void WriteBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::string ReadBytes(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The attributes of a file in the folder. On Windows the archive flag is
    // left aside: the system sets it on every new or changed file (Wine on
    // every file), and a file with no other flag reads FILE_ATTRIBUTE_NORMAL.
    DWORD AttributesOf(const std::string& name) const
    {
        DWORD attributes = GetFileAttributesA(Path(name).c_str());
#ifdef _WIN32
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return attributes;
        attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
        if (attributes == 0)
            attributes = FILE_ATTRIBUTE_NORMAL;
#endif
        return attributes;
    }

    HANDLE Open(const std::string& name, DWORD access, DWORD share = 0,
                DWORD disposition = OPEN_EXISTING, DWORD flags = FILE_ATTRIBUTE_NORMAL) const
    {
        return CreateFileA(Path(name).c_str(), access, share, nullptr, disposition, flags, nullptr);
    }

    // Opens and closes again: ERROR_SUCCESS, or the last error of the refusal.
    DWORD TryOpen(const std::string& name, DWORD access, DWORD share = 0,
                  DWORD disposition = OPEN_EXISTING, DWORD flags = FILE_ATTRIBUTE_NORMAL) const
    {
        HANDLE h = INVALID_HANDLE_VALUE;
        const DWORD error =
            LAST_ERROR_IF(INVALID_HANDLE_VALUE, h = Open(name, access, share, disposition, flags));
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return error;
    }

    TempDir scratch_;
    const std::string dir_ = scratch_.path();
    EnvGuard env_;
    size_t handlesBefore_ = 0;
};

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

// A desktop of our own: HOME, the XDG folders and PATH inside a scratch folder,
// no editor or browser configured, the launcher replaced by a recorder; a
// program "tool" on the PATH and a document.
class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        env.set("HOME", dir.path());
        env.set("XDG_CONFIG_HOME", dir.file("config"));
        env.set("XDG_DATA_HOME", dir.file("data"));
        env.set("XDG_CONFIG_DIRS", dir.file("etc-xdg"));
        env.set("XDG_DATA_DIRS", dir.file("share"));
        env.set("PATH", dir.file("bin"));
        env.unset("VISUAL");
        env.unset("BROWSER");
        env.unset("XDG_CURRENT_DESKTOP");
        tool = dir.write("bin/tool", "#!/bin/sh\nexit 0\n", 0755);
        doc = dir.write("docs/a b.xml", "<?xml version=\"1.0\"?><r/>");
    }
    std::string program(const std::string& name)
    {
        return dir.write("bin/" + name, "#!/bin/sh\n", 0755);
    }

    TempDir dir;
    EnvGuard env;
    LaunchRecorder recorder;
    std::string tool, doc;
};

// Answers message boxes and file dialogs from a script and records what it was
// asked, property sheets included.
class ScriptedUi : public w32::IUiProvider
{
public:
    std::deque<int> boxAnswers;
    std::deque<std::wstring> fileAnswers; // empty string: the user cancels
    std::vector<w32::MessageBoxRequest> boxes;
    std::vector<w32::FileDialogRequest> dialogs;
    std::vector<std::pair<HWND, std::wstring>> sheets;
    DWORD chosenFilter = 0;

    int ShowMessageBox(const w32::MessageBoxRequest& request) override
    {
        boxes.push_back(request);
        if (boxAnswers.empty())
            return request.defaultButton;
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    bool ShowFileDialog(const w32::FileDialogRequest& request,
                        w32::FileDialogAnswer& answer) override
    {
        dialogs.push_back(request);
        if (fileAnswers.empty() || fileAnswers.front().empty())
            return false;
        answer.path = fileAnswers.front();
        answer.filterIndex = chosenFilter;
        fileAnswers.pop_front();
        return true;
    }
    bool ShowFileProperties(HWND owner, const std::wstring& path) override
    {
        sheets.emplace_back(owner, path);
        return true;
    }
};

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
#endif

} // namespace testsupport

#ifndef _WIN32
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
