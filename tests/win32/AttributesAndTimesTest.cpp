#include "Win32TestSupport.h"

#ifndef _WIN32
#include <sys/xattr.h>
#endif

namespace
{

class AttributesTest : public testsupport::TempDirTest
{
protected:
    // Natively the flags beyond read-only live in an extended attribute.
    bool XattrsWork()
    {
#ifdef _WIN32
        return true;
#else
        WriteBytes(".probe", "");
        return setxattr(Path(".probe").c_str(), "user.probe", "1", 1, 0) == 0;
#endif
    }
};

using FileTimesTest = testsupport::TempDirTest;

FILETIME MakeFileTime(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms)
{
    SYSTEMTIME st{y, mo, 0, d, h, mi, s, ms};
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return ft;
}

ULONGLONG U64(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

} // namespace

TEST_F(AttributesTest, ReadOnlyIsThePermissionBits)
{
    WriteBytes("r.txt", "keep");
    const std::string p = Path("r.txt");
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, AttributesOf("r.txt"));
    ASSERT_TRUE(SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY));
#ifndef _WIN32
    struct stat st;
    ASSERT_EQ(0, stat(p.c_str(), &st));
    EXPECT_EQ(0u, st.st_mode & 0222);
#endif
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, AttributesOf("r.txt"));

    // Read-only holds even for the superuser.
    // Known Wine difference: read-only is only the Unix write bits there, which root passes.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(ERROR_ACCESS_DENIED, TryOpen("r.txt", GENERIC_WRITE));
        EXPECT_EQ(ERROR_ACCESS_DENIED, TryOpen("r.txt", GENERIC_READ, 0, CREATE_ALWAYS));
    }
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("r.txt", GENERIC_READ));
    EXPECT_EQ("keep", ReadBytes("r.txt"));

    ASSERT_TRUE(SetFileAttributesW(WPath("r.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, AttributesOf("r.txt"));
#ifndef _WIN32
    ASSERT_EQ(0, stat(p.c_str(), &st));
    EXPECT_NE(0u, st.st_mode & S_IWUSR);
#endif
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("r.txt", GENERIC_WRITE));

    // A file created read-only is still writable through its creating handle.
    HANDLE h = Open("c.txt", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD n;
    EXPECT_TRUE(WriteFile(h, "ab", 2, &n, nullptr));
    CloseHandle(h);
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, AttributesOf("c.txt"));
}

TEST_F(AttributesTest, HiddenSystemTemporaryInTheExtendedAttribute)
{
    if (!XattrsWork())
        GTEST_SKIP() << "the temporary folder's file system keeps no user extended attributes";
    WriteBytes("h.txt", "");
    const std::string p = Path("h.txt");
    const DWORD wanted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;
    ASSERT_TRUE(SetFileAttributesA(p.c_str(), wanted | FILE_ATTRIBUTE_READONLY));
    // Known Wine difference: it drops the temporary flag.
    const DWORD kept =
        testsupport::UnderWine() ? ~static_cast<DWORD>(FILE_ATTRIBUTE_TEMPORARY) : ~0u;
    EXPECT_EQ((wanted | FILE_ATTRIBUTE_READONLY) & kept, AttributesOf("h.txt"));
#ifndef _WIN32
    char value[32] = {};
    ASSERT_GT(getxattr(p.c_str(), "user.DOSATTRIB", value, sizeof value - 1), 0);
    EXPECT_STREQ("0x106", value);
#endif

    // Setting replaces every attribute; NORMAL clears them all.
    ASSERT_TRUE(SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, AttributesOf("h.txt"));
    ASSERT_TRUE(SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, AttributesOf("h.txt"));
#ifndef _WIN32
    EXPECT_LT(getxattr(p.c_str(), "user.DOSATTRIB", value, sizeof value), 0);
#endif

    // Attributes given at creation are stored.
    HANDLE h =
        Open("n.txt", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "kept", 4, &n, nullptr));
    CloseHandle(h);
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, AttributesOf("n.txt"));
    // CREATE_ALWAYS may not drop the hidden or system flag of the file it
    // replaces: it is refused and nothing changes.
    // Known Wine difference: it replaces such a file whatever flags are asked for.
    if (!testsupport::UnderWine())
    {
        for (DWORD asked : {DWORD(FILE_ATTRIBUTE_NORMAL), DWORD(FILE_ATTRIBUTE_HIDDEN),
                            DWORD(FILE_ATTRIBUTE_SYSTEM)})
            EXPECT_EQ(ERROR_ACCESS_DENIED, TryOpen("n.txt", GENERIC_WRITE, 0, CREATE_ALWAYS, asked))
                << asked;
        EXPECT_EQ("kept", ReadBytes("n.txt"));
        EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, AttributesOf("n.txt"));
    }
    // Asked with both, it replaces the file and its flags with those asked for.
    h = Open("n.txt", GENERIC_WRITE, 0, CREATE_ALWAYS,
             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(0u, GetFileSize(h, nullptr));
    CloseHandle(h);
    EXPECT_EQ((FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY) & kept,
              AttributesOf("n.txt"));
    // Truncating needs no match.
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("n.txt", GENERIC_WRITE, 0, TRUNCATE_EXISTING));

#ifndef _WIN32
    // Where the file system refuses, the call fails and changes nothing.
    w32::FailNthCall(w32::SysCall::Setxattr, 1, ENOTSUP);
    EXPECT_EQ(ERROR_NOT_SUPPORTED,
              LAST_ERROR_IF(FALSE, SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_HIDDEN |
                                                                     FILE_ATTRIBUTE_READONLY)));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, AttributesOf("h.txt"));
#endif
}

TEST_F(AttributesTest, FoldersAndMissingPaths)
{
    std::filesystem::create_directory(Path("dir"));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, AttributesOf("dir"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              LAST_ERROR_IF(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Path("none").c_str())));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND,
              LAST_ERROR_IF(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(WPath("nodir/x").c_str())));
    EXPECT_EQ(
        ERROR_FILE_NOT_FOUND,
        LAST_ERROR_IF(FALSE, SetFileAttributesA(Path("none").c_str(), FILE_ATTRIBUTE_NORMAL)));
#ifndef _WIN32
    // A null name: Windows documents no answer, ours is ERROR_INVALID_PARAMETER.
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(nullptr)));
#endif
}

TEST_F(FileTimesTest, SetAndGetRoundTrip)
{
    HANDLE h = Open("t.xml", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FILETIME created{}, accessed{}, written{};
    ASSERT_TRUE(GetFileTime(h, &created, &accessed, &written));
    // A new file was born about now (within a minute, whatever the source).
    EXPECT_LT(U64(now) - U64(created) + 600000000ULL, 1200000000ULL);

    const FILETIME w = MakeFileTime(2009, 6, 12, 0, 16, 47, 123);
    const FILETIME a = MakeFileTime(2010, 1, 2, 3, 4, 5, 6);
    ASSERT_TRUE(SetFileTime(h, nullptr, &a, &w));
    FILETIME gotA{}, gotW{};
    ASSERT_TRUE(GetFileTime(h, nullptr, &gotA, &gotW));
    EXPECT_EQ(U64(w), U64(gotW));
    EXPECT_EQ(U64(a), U64(gotA));

    // A null time, or an all-zero one, leaves that time as it was.
    const FILETIME zero{0, 0};
    const FILETIME w2 = MakeFileTime(2011, 1, 1, 0, 0, 0, 0);
    ASSERT_TRUE(SetFileTime(h, nullptr, &zero, &w2));
    ASSERT_TRUE(GetFileTime(h, nullptr, &gotA, &gotW));
    EXPECT_EQ(U64(a), U64(gotA));
    EXPECT_EQ(U64(w2), U64(gotW));

    // A creation time POSIX cannot set is kept beside the file and reported.
    const FILETIME c = MakeFileTime(2001, 2, 3, 4, 5, 6, 7);
    ASSERT_TRUE(SetFileTime(h, &c, nullptr, nullptr));
    FILETIME gotC{};
    ASSERT_TRUE(GetFileTime(h, &gotC, nullptr, nullptr));
#ifdef _WIN32
    // Known Wine difference: Linux file systems let it keep no creation time.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(U64(c), U64(gotC));
    }
#else
    // Natively only where the file system keeps extended attributes.
    char probe;
    if (getxattr(Path("t.xml").c_str(), "user.velmar.crtime", &probe, 0) >= 0)
    {
        EXPECT_EQ(U64(c), U64(gotC));
    }
#endif
    CloseHandle(h);

    // Setting needs the right to write attributes; reading does not.
    h = Open("t.xml", GENERIC_READ, FILE_SHARE_READ);
    // Known Wine difference: it sets times through a handle without FILE_WRITE_ATTRIBUTES.
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED,
              LAST_ERROR_IF(FALSE, SetFileTime(h, nullptr, nullptr, &w)));
    EXPECT_TRUE(GetFileTime(h, nullptr, nullptr, &gotW));
    CloseHandle(h);
    h = Open("t.xml", FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &w));
    CloseHandle(h);
}

TEST(TimeConversion, SystemTimeAndFileTime)
{
    EXPECT_EQ(0u, U64(MakeFileTime(1601, 1, 1, 0, 0, 0, 0)));
    EXPECT_EQ(116444736000000000ULL, U64(MakeFileTime(1970, 1, 1, 0, 0, 0, 0)));

    // Back again, with the day of the week filled in (2024-02-29 was a Thursday).
    SYSTEMTIME st{2024, 2, 6, 29, 23, 59, 58, 999};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ((std::array<WORD, 8>{2024, 2, 4, 29, 23, 59, 58, 999}),
              (std::array<WORD, 8>{back.wYear, back.wMonth, back.wDayOfWeek, back.wDay, back.wHour,
                                   back.wMinute, back.wSecond, back.wMilliseconds}));

    // Fields out of range, a day that does not exist, a time past the range.
    // Known Wine difference: it takes 29 February of a common year as 1 March.
    if (!testsupport::UnderWine())
    {
        const SYSTEMTIME noSuchDay{2023, 2, 0, 29, 0, 0, 0, 0};
        EXPECT_FALSE(SystemTimeToFileTime(&noSuchDay, &ft));
    }
    for (SYSTEMTIME bad :
         {SYSTEMTIME{2023, 2, 0, 31, 0, 0, 0, 0}, SYSTEMTIME{2023, 13, 0, 1, 0, 0, 0, 0},
          SYSTEMTIME{2023, 1, 0, 1, 24, 0, 0, 0}, SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0},
          SYSTEMTIME{2023, 1, 0, 1, 0, 0, 0, 1000}})
        EXPECT_EQ(ERROR_INVALID_PARAMETER, LAST_ERROR_IF(FALSE, SystemTimeToFileTime(&bad, &ft)))
            << bad.wYear << "-" << bad.wMonth << "-" << bad.wDay << " " << bad.wHour << ":"
            << bad.wMilliseconds;
    const FILETIME tooLate{0, 0x80000000u};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &back));
}

// Our layer takes the zone from TZ; Windows from its own settings.
#ifndef _WIN32
TEST(TimeConversion, LocalTimeFollowsTheZoneAtThatInstant)
{
    {
        testsupport::EnvGuard env;
        env.set("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        const FILETIME summer = MakeFileTime(2009, 7, 1, 12, 0, 0, 0);
        const struct
        {
            FILETIME utc;
            ULONGLONG hoursAhead;
        } cases[] = {{summer, 2}, {MakeFileTime(2009, 1, 1, 12, 0, 0, 0), 1}};
        FILETIME local{}, utc{};
        for (const auto& c : cases)
        {
            ASSERT_TRUE(FileTimeToLocalFileTime(&c.utc, &local));
            EXPECT_EQ(U64(c.utc) + c.hoursAhead * 3600 * 10000000, U64(local));
            ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
            EXPECT_EQ(U64(c.utc), U64(utc));
        }

        // The library's path: file time -> local -> calendar fields.
        SYSTEMTIME fields{};
        ASSERT_TRUE(FileTimeToLocalFileTime(&summer, &local));
        ASSERT_TRUE(FileTimeToSystemTime(&local, &fields));
        EXPECT_EQ(14, fields.wHour);
    }
    tzset();
}

namespace
{

// The clocks are read through our layer's call table.
long long g_fakeMs = 0;
int FakeClock(clockid_t, struct timespec* ts)
{
    ts->tv_sec = g_fakeMs / 1000;
    ts->tv_nsec = (g_fakeMs % 1000) * 1000000;
    return 0;
}

} // namespace

TEST(Timers, MillisecondsWrapAtTwoToTheThirtyTwo)
{
    w32::SysCallTable table = w32::DefaultSysCalls();
    table.clock_gettime = FakeClock;
    w32::SetSysCalls(table);
    g_fakeMs = (1LL << 32) - 5;
    const DWORD start = timeGetTime();
    EXPECT_EQ(0xFFFFFFFBu, start);
    g_fakeMs += 10;
    const DWORD end = timeGetTime();
    EXPECT_EQ(5u, end);
    EXPECT_EQ(10u, end - start); // unsigned difference survives the wrap
    EXPECT_EQ(5u, GetTickCount());
    EXPECT_EQ((1ULL << 32) + 5, GetTickCount64());
    w32::ResetSysCalls();
}
#endif

TEST(Timers, RealClocksAdvance)
{
    LARGE_INTEGER freq, c0, c1;
    ASSERT_TRUE(QueryPerformanceFrequency(&freq));
    EXPECT_GT(freq.QuadPart, 0);
#ifndef _WIN32
    // Our counter counts nanoseconds.
    EXPECT_EQ(1000000000LL, freq.QuadPart);
#endif
    ASSERT_TRUE(QueryPerformanceCounter(&c0));
    const DWORD t0 = timeGetTime();
    Sleep(20);
    ASSERT_TRUE(QueryPerformanceCounter(&c1));
    const DWORD t1 = timeGetTime();
    EXPECT_GE(c1.QuadPart - c0.QuadPart, freq.QuadPart / 50);
    EXPECT_GE(t1 - t0, 19u);
    EXPECT_LT(t1 - t0, 2000u);
    SYSTEMTIME now;
    GetSystemTime(&now);
    EXPECT_GE(now.wYear, 2024);
}
