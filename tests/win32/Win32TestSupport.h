#pragma once
// What the win32 tests share: a scratch folder as a fixture that also checks
// for leaked handles, the last error of a failed call and, on POSIX, a desktop
// of the test's own and a forked child for checks that change the process for
// good.

#include "velmar/win32/win32.h"
#include "support/EnvGuard.h"
#include "support/TempDir.h"
#include "support/TestProgramPath.h"
#include "support/Win32Doubles.h"
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
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifndef _WIN32
#include "SysCalls.h"

#include <cstdio>
#include <functional>
#include <grp.h>
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
        return Wide(Path(name));
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
