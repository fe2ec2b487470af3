#include "TempDir.h"
#include "support/TestProgramPath.h"

#include <string>

#ifndef _WIN32
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace
{

// Access kinds of the matrix and the Win32 rights that ask for them.
struct AccessCase
{
    DWORD rights;
    unsigned kinds; // 1 read, 2 write, 4 delete
};
const AccessCase kAccesses[] = {
    {GENERIC_READ, 1}, {GENERIC_WRITE, 2},        {GENERIC_READ | GENERIC_WRITE, 3},
    {DELETE, 4},       {FILE_READ_ATTRIBUTES, 0},
};

// Windows' rule: the second open fits when neither side holds what the other denies.
bool Compatible(const AccessCase& first, DWORD firstShare, const AccessCase& second,
                DWORD secondShare)
{
    if (!first.kinds || !second.kinds)
        return true; // no data access: sharing is not checked
    return (second.kinds & ~firstShare) == 0 && (first.kinds & ~secondShare) == 0;
}

// A second process holding one open of a file, told over a pipe to reopen it.
class Holder
{
public:
    Holder(const std::string& path, DWORD access, DWORD share)
    {
        if (Start(path, std::to_string(access), std::to_string(share)))
            answer_ = ReadLine();
    }
    ~Holder() { Stop(false); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    // Closes the child's handle and opens the file again as told.
    void Reopen(DWORD access, DWORD share)
    {
        answer_.clear();
        const std::string line = std::to_string(access) + " " + std::to_string(share) + "\n";
        if (Send(line))
            answer_ = ReadLine();
    }

    bool Opened() const { return answer_ == "ok\n"; }
    const std::string& Answer() const { return answer_; }

#ifdef _WIN32
    // Ends the child: politely (its handle is closed) or by a kill.
    void Stop(bool kill)
    {
        if (!process_)
            return;
        if (kill)
            TerminateProcess(process_, 9);
        CloseHandle(toChild_);
        WaitForSingleObject(process_, INFINITE);
        CloseHandle(fromChild_);
        CloseHandle(process_);
        process_ = nullptr;
    }

private:
    bool Start(const std::string& path, const std::string& access, const std::string& share)
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!CreatePipe(&childIn, &toChild_, &inherit, 0))
            return false;
        if (!CreatePipe(&fromChild_, &childOut, &inherit, 0))
        {
            CloseHandle(childIn);
            CloseHandle(toChild_);
            return false;
        }
        SetHandleInformation(toChild_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromChild_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = childIn;
        si.hStdOutput = childOut;
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        const std::string helper = testsupport::BesideTestProgram("win32_share_helper.exe");
        std::string command = "\"" + helper + "\" \"" + path + "\" " + access + " " + share;
        PROCESS_INFORMATION pi{};
        const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &si, &pi);
        CloseHandle(childIn);
        CloseHandle(childOut);
        if (!started)
        {
            CloseHandle(toChild_);
            CloseHandle(fromChild_);
            return false;
        }
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        return true;
    }

    bool Send(const std::string& line)
    {
        DWORD n = 0;
        return process_ &&
               WriteFile(toChild_, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    }

    std::string ReadLine()
    {
        std::string line;
        char c = 0;
        DWORD n = 0;
        while (line.size() < 64 && ReadFile(fromChild_, &c, 1, &n, nullptr) && n == 1)
        {
            if (c == '\r')
                continue; // the child's run-time writes text lines
            line += c;
            if (c == '\n')
                break;
        }
        return line;
    }

    HANDLE process_ = nullptr;
    HANDLE toChild_ = nullptr;
    HANDLE fromChild_ = nullptr;
#else
    // Ends the child: politely (its handle is closed) or by a kill.
    void Stop(bool kill)
    {
        if (pid_ <= 0)
            return;
        if (kill)
            ::kill(pid_, SIGKILL);
        close(toChild_);
        int status;
        waitpid(pid_, &status, 0);
        if (fromChild_)
            fclose(fromChild_);
        pid_ = -1;
    }

private:
    bool Start(const std::string& path, const std::string& a, const std::string& s)
    {
        int in[2], out[2];
        if (pipe(in) != 0)
            return false;
        if (pipe(out) != 0)
        {
            close(in[0]);
            close(in[1]);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* argv[] = {const_cast<char*>(W32_SHARE_HELPER), const_cast<char*>(path.c_str()),
                        const_cast<char*>(a.c_str()), const_cast<char*>(s.c_str()), nullptr};
        if (posix_spawn(&pid_, W32_SHARE_HELPER, &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = fdopen(out[0], "r");
        if (pid_ <= 0)
        {
            close(toChild_);
            if (fromChild_)
                fclose(fromChild_);
            fromChild_ = nullptr;
            return false;
        }
        return fromChild_ != nullptr;
    }

    bool Send(const std::string& line)
    {
        return pid_ > 0 &&
               write(toChild_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }

    std::string ReadLine()
    {
        char line[64] = {};
        return fromChild_ && fgets(line, sizeof line, fromChild_) ? line : "";
    }

    pid_t pid_ = -1;
    int toChild_ = -1;
    FILE* fromChild_ = nullptr;
#endif
    std::string answer_;
};

class ShareModes : public TempDirTest
{
};

} // namespace

TEST_F(ShareModes, MatrixBetweenHandlesOfOneProcess)
{
    WriteBytes("m.txt", "matrix");
    for (const AccessCase& first : kAccesses)
        for (DWORD firstShare = 0; firstShare < 8; ++firstShare)
        {
            HANDLE h1 = Open("m.txt", first.rights, firstShare);
            ASSERT_NE(INVALID_HANDLE_VALUE, h1);
            for (const AccessCase& second : kAccesses)
                for (DWORD secondShare = 0; secondShare < 8; ++secondShare)
                {
                    SetLastError(0);
                    HANDLE h2 = Open("m.txt", second.rights, secondShare);
                    const bool expected = Compatible(first, firstShare, second, secondShare);
                    EXPECT_EQ(expected, h2 != INVALID_HANDLE_VALUE)
                        << "first " << first.rights << "/" << firstShare << " second "
                        << second.rights << "/" << secondShare;
                    if (h2 != INVALID_HANDLE_VALUE)
                        CloseHandle(h2);
                    else
                        EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
                }
            CloseHandle(h1);
        }
    // Nothing stays registered once every handle is closed.
    HANDLE exclusive = Open("m.txt", GENERIC_READ | GENERIC_WRITE | DELETE, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, exclusive);
    CloseHandle(exclusive);
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_empty(Path("locks")))
        << "the last closer removes the lock file";
#endif
}

TEST_F(ShareModes, MatrixAcrossProcesses)
{
    WriteBytes("p.txt", "processes");
    const AccessCase firsts[] = {kAccesses[0], kAccesses[1], kAccesses[2], kAccesses[3]};
    // One child, told to reopen the file for each case: the open it gives up
    // must leave nothing behind either.
    Holder child(Path("p.txt"), FILE_READ_ATTRIBUTES, 0);
    ASSERT_TRUE(child.Opened()) << child.Answer();
    for (const AccessCase& first : firsts)
        for (DWORD firstShare = 0; firstShare < 8; ++firstShare)
        {
            child.Reopen(first.rights, firstShare);
            ASSERT_TRUE(child.Opened()) << child.Answer();
            for (const AccessCase& second : kAccesses)
                for (DWORD secondShare = 0; secondShare < 8; ++secondShare)
                {
                    HANDLE h2 = Open("p.txt", second.rights, secondShare);
                    EXPECT_EQ(Compatible(first, firstShare, second, secondShare),
                              h2 != INVALID_HANDLE_VALUE)
                        << "child " << first.rights << "/" << firstShare << " here "
                        << second.rights << "/" << secondShare;
                    if (h2 != INVALID_HANDLE_VALUE)
                        CloseHandle(h2);
                    else
                        EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
                }
        }
}

TEST_F(ShareModes, ExclusiveOpenHoldsUntilClosedOrTheProcessDies)
{
    WriteBytes("x.txt", "exclusive");
    {
        Holder child(Path("x.txt"), GENERIC_READ, 0);
        ASSERT_TRUE(child.Opened());
        SetLastError(0);
        EXPECT_EQ(INVALID_HANDLE_VALUE,
                  Open("x.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
        EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
        EXPECT_FALSE(DeleteFileA(Path("x.txt").c_str()));
        EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
        child.Stop(false);
        HANDLE h = Open("x.txt", GENERIC_READ);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        CloseHandle(h);
    }
    {
        Holder child(Path("x.txt"), GENERIC_WRITE, 0);
        ASSERT_TRUE(child.Opened());
        EXPECT_EQ(INVALID_HANDLE_VALUE, Open("x.txt", GENERIC_READ, 7));
        child.Stop(true); // a killed process leaves no lock behind
        HANDLE h = Open("x.txt", GENERIC_READ);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        CloseHandle(h);
    }
    // This process holds it now; the child is refused.
    HANDLE mine = Open("x.txt", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, mine);
    {
        Holder reader(Path("x.txt"), GENERIC_READ, FILE_SHARE_READ);
        EXPECT_TRUE(reader.Opened());
        Holder writer(Path("x.txt"), GENERIC_WRITE, 7);
        EXPECT_EQ("err 32\n", writer.Answer());
    }
    CloseHandle(mine);
}
