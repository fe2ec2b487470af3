#include "velmar/win32/win32.h"

#include "Win32TestSupport.h"
#include "support/WineCheck.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/utsname.h>
#endif

TEST(OsVersion, BothStructuresAndBothWidthsAgree)
{
    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_GT(ex.dwMajorVersion, 0u);
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), ex.dwPlatformId);
    EXPECT_EQ(VER_NT_WORKSTATION, ex.wProductType);

    // The basic structure and the narrow form answer the same numbers.
    OSVERSIONINFOA basic = {};
    basic.dwOSVersionInfoSize = sizeof basic;
    ASSERT_TRUE(GetVersionExA(&basic));
    EXPECT_EQ(ex.dwMajorVersion, basic.dwMajorVersion);
    EXPECT_EQ(ex.dwMinorVersion, basic.dwMinorVersion);
    EXPECT_EQ(ex.dwBuildNumber, basic.dwBuildNumber);
    OSVERSIONINFOEXA exA = {};
    exA.dwOSVersionInfoSize = sizeof exA;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&exA)));
    EXPECT_EQ(ex.wProductType, exA.wProductType);

    // A size that is neither structure's is refused and nothing is written.
    OSVERSIONINFOW wrong = {};
    wrong.dwOSVersionInfoSize = sizeof wrong - 4;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExW(&wrong));
    if (!testsupport::UnderWine())
    { // Known Wine difference: its wide form leaves the last error alone.
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    }
    EXPECT_EQ(0u, wrong.dwMajorVersion);
    basic.dwOSVersionInfoSize = sizeof basic + 1;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&basic));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

#ifndef _WIN32
// Where the numbers come from on POSIX: the kernel release and os-release.
TEST(OsVersion, FilledFromKernelReleaseAndDistribution)
{
    struct utsname u;
    ASSERT_EQ(0, uname(&u));
    DWORD major, minor, build;
    w32::ParseKernelRelease(u.release, major, minor, build);

    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_EQ(major, ex.dwMajorVersion);
    EXPECT_EQ(minor, ex.dwMinorVersion);
    EXPECT_EQ(build, ex.dwBuildNumber);
    EXPECT_EQ(w32::WideFromUtf8(w32::DistributionName("/etc/os-release")),
              std::wstring(ex.szCSDVersion));

    // Windows' own structure size (276 bytes, 16-bit characters) is not ours.
    OSVERSIONINFOW wrong = {};
    wrong.dwOSVersionInfoSize = 276;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExW(&wrong));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST(OsVersion, ReleaseNumbersAndOsReleaseParsing)
{
    DWORD a, b, c;
    w32::ParseKernelRelease("6.1.12-generic", a, b, c);
    EXPECT_EQ(6u, a);
    EXPECT_EQ(1u, b);
    EXPECT_EQ(12u, c);
    w32::ParseKernelRelease("5.15-rc1", a, b, c);
    EXPECT_EQ(15u, b);
    EXPECT_EQ(0u, c);
    w32::ParseKernelRelease("weird", a, b, c);
    EXPECT_EQ(0u, a);
    w32::ParseKernelRelease("99999999999999999999.1.2", a, b, c);
    EXPECT_EQ(0xffffffffu, a);

    testsupport::TempDir dir;
    EXPECT_EQ(
        "Debian GNU/Linux 12 (bookworm)",
        w32::DistributionName(
            dir.write("a",
                      "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n")
                .c_str()));
    EXPECT_EQ("Arch Linux", w32::DistributionName(dir.write("b", "NAME='Arch Linux'\n").c_str()));
    EXPECT_EQ("", w32::DistributionName(dir.file("missing").c_str()));
}
#endif
