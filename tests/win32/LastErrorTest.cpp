#include "Win32TestSupport.h"

TEST(LastError, PerThreadValue)
{
    // Starting and joining a thread may set the last error themselves, so the
    // two threads meet on atomics, which make no system calls.
    std::atomic<int> step{0};
    DWORD other = 0xFFFF;
    std::thread t(
        [&]
        {
            while (step.load() != 1)
                ;
            other = GetLastError();
            SetLastError(99);
            step.store(2);
        });
    SetLastError(1234);
    step.store(1);
    while (step.load() != 2)
        ;
    const DWORD mine = GetLastError();
    t.join();
    EXPECT_EQ(1234u, mine);
    EXPECT_EQ(0u, other); // a new thread starts without an error
}

// The errno mapping and the call table are our layer's own.
#ifndef _WIN32
TEST(LastError, ErrnoMappingKnownAndUnmapped)
{
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, w32::Win32ErrorFromErrno(ENOENT));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, w32::Win32ErrorFromErrno(ENOTDIR));
    EXPECT_EQ(ERROR_ACCESS_DENIED, w32::Win32ErrorFromErrno(EACCES));
    EXPECT_EQ(ERROR_DISK_FULL, w32::Win32ErrorFromErrno(ENOSPC));
    EXPECT_EQ(ERROR_INVALID_HANDLE, w32::Win32ErrorFromErrno(EBADF));
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, w32::Win32ErrorFromErrno(ENAMETOOLONG));
    EXPECT_EQ(ERROR_FILE_EXISTS, w32::Win32ErrorFromErrno(EEXIST));

    // An errno without a mapping is a general failure and is remembered.
    SetLastError(7);
    EXPECT_EQ(ERROR_GEN_FAILURE, w32::SetLastErrorFromErrno(EHWPOISON));
    EXPECT_EQ(ERROR_GEN_FAILURE, GetLastError());
    EXPECT_EQ(EHWPOISON, w32::LastUnmappedErrno());
}

TEST(LastError, EveryMappedCodeHasAMessage)
{
    for (int e = 0; e < 200; ++e)
    {
        const DWORD code = w32::Win32ErrorFromErrno(e);
        EXPECT_NE(nullptr, w32::SystemMessageText(code)) << "errno " << e << " -> " << code;
    }
}

TEST(SysCalls, NthCallFailsOnceWithChosenErrno)
{
    w32::ClearInjectedFaults();
    w32::FailNthCall(w32::SysCall::Stat, 2, EIO);
    struct stat st;
    EXPECT_EQ(0, w32::sys::stat("/", &st));
    errno = 0;
    EXPECT_EQ(-1, w32::sys::stat("/", &st));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(0, w32::sys::stat("/", &st));
    const unsigned long before = w32::SysCallCount(w32::SysCall::Stat);
    w32::sys::stat("/", &st);
    EXPECT_EQ(before + 1, w32::SysCallCount(w32::SysCall::Stat));
}
#endif
