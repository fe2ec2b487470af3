#include "ChildProcess.h"
#include "Win32TestSupport.h"
#ifndef _WIN32
#include "ShareModes.h"
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

// A second process holding one open of a file, told to reopen it as it goes.
class Holder
{
public:
    Holder(const std::string& path, DWORD access, DWORD share)
        : child_({"hold", path, std::to_string(access), std::to_string(share)}, true),
          answer_(child_.ReadLine())
    {
    }
    // Closes the child's handle and opens the file again as told.
    void Reopen(DWORD access, DWORD share)
    {
        const std::string line = std::to_string(access) + " " + std::to_string(share) + "\n";
        answer_ = child_.Send(line) ? child_.ReadLine() : "";
    }
    bool Opened() const { return answer_ == "ok\n"; }
    const std::string& Answer() const { return answer_; }
    // Ends the child: politely (its handle is closed) or by a kill.
    void Stop(bool kill)
    {
        if (kill)
            child_.Kill();
        child_.Wait();
    }

private:
    testsupport::ChildProcess child_;
    std::string answer_;
};

class ShareModesTest : public testsupport::TempDirTest
{
protected:
    // Every second open of the file, against a first one held here or by the child.
    void ExpectSecondOpens(const std::string& name, const AccessCase& first, DWORD firstShare)
    {
        for (const AccessCase& second : kAccesses)
            for (DWORD secondShare = 0; secondShare < 8; ++secondShare)
                EXPECT_EQ(Compatible(first, firstShare, second, secondShare)
                              ? ERROR_SUCCESS
                              : ERROR_SHARING_VIOLATION,
                          TryOpen(name, second.rights, secondShare))
                    << "first " << first.rights << "/" << firstShare << " second " << second.rights
                    << "/" << secondShare;
    }
};

} // namespace

TEST_F(ShareModesTest, MatrixBetweenHandlesOfOneProcess)
{
    WriteBytes("m.txt", "matrix");
    for (const AccessCase& first : kAccesses)
        for (DWORD firstShare = 0; firstShare < 8; ++firstShare)
        {
            HANDLE h1 = Open("m.txt", first.rights, firstShare);
            ASSERT_NE(INVALID_HANDLE_VALUE, h1);
            ExpectSecondOpens("m.txt", first, firstShare);
            CloseHandle(h1);
        }
    // Nothing stays registered once every handle is closed.
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("m.txt", GENERIC_READ | GENERIC_WRITE | DELETE));
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_empty(Path("locks")))
        << "the last closer removes the lock file";
#endif
}

TEST_F(ShareModesTest, MatrixAcrossProcesses)
{
    WriteBytes("p.txt", "processes");
    // One child, told to reopen the file for each case: the open it gives up
    // must leave nothing behind either.
    Holder child(Path("p.txt"), FILE_READ_ATTRIBUTES, 0);
    ASSERT_TRUE(child.Opened()) << child.Answer();
    for (const AccessCase& first : {kAccesses[0], kAccesses[1], kAccesses[2], kAccesses[3]})
        for (DWORD firstShare = 0; firstShare < 8; ++firstShare)
        {
            child.Reopen(first.rights, firstShare);
            ASSERT_TRUE(child.Opened()) << child.Answer();
            ExpectSecondOpens("p.txt", first, firstShare);
        }
}

TEST_F(ShareModesTest, ExclusiveOpenHoldsUntilClosedOrTheProcessDies)
{
    WriteBytes("x.txt", "exclusive");
    {
        Holder child(Path("x.txt"), GENERIC_READ, 0);
        ASSERT_TRUE(child.Opened());
        EXPECT_EQ(ERROR_SHARING_VIOLATION,
                  TryOpen("x.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
        EXPECT_EQ(ERROR_SHARING_VIOLATION,
                  LAST_ERROR_IF(FALSE, DeleteFileA(Path("x.txt").c_str())));
        child.Stop(false);
        EXPECT_EQ(ERROR_SUCCESS, TryOpen("x.txt", GENERIC_READ));
    }
    {
        Holder child(Path("x.txt"), GENERIC_WRITE, 0);
        ASSERT_TRUE(child.Opened());
        EXPECT_EQ(ERROR_SHARING_VIOLATION, TryOpen("x.txt", GENERIC_READ, 7));
        child.Stop(true); // a killed process leaves no lock behind
        EXPECT_EQ(ERROR_SUCCESS, TryOpen("x.txt", GENERIC_READ));
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

#ifndef _WIN32
// Lock files are this layer's own emulation of share modes.
TEST_F(ShareModesTest, LockFilesOfKilledHoldersGoWithTheNextProcess)
{
    // The kernel drops a killed process's locks but not its lock file; the
    // next process to use the folder removes every file nobody holds.
    const auto lockFiles = []
    {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(w32::ShareLockDirectory()))
            n += e.path().extension() == ".lock";
        return n;
    };
    WriteBytes("x.txt", "x");
    WriteBytes("y.txt", "y");
    WriteBytes("z.txt", "z");
    {
        Holder killed(Path("z.txt"), GENERIC_WRITE, 0);
        ASSERT_TRUE(killed.Opened());
        Holder alive(Path("x.txt"), GENERIC_WRITE, 0);
        ASSERT_TRUE(alive.Opened());
        killed.Stop(true);
        EXPECT_EQ(2, lockFiles());
        Holder next(Path("y.txt"), GENERIC_READ, 0);
        ASSERT_TRUE(next.Opened());
        EXPECT_EQ(2, lockFiles()); // its own and the living holder's
        next.Stop(false);
        alive.Stop(false);
    }
    EXPECT_EQ(0, lockFiles());
}
#endif
