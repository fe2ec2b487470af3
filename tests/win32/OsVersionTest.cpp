#include "Win32TestSupport.h"

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
    const DWORD wrongSize = LAST_ERROR_IF(FALSE, GetVersionExW(&wrong));
    // Known Wine difference: its wide form leaves the last error alone.
    EXPECT_EQ(testsupport::UnderWine() ? 0xFFFFFFFFu : ERROR_INSUFFICIENT_BUFFER, wrongSize);
    EXPECT_EQ(0u, wrong.dwMajorVersion);
    basic.dwOSVersionInfoSize = sizeof basic + 1;
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, LAST_ERROR_IF(FALSE, GetVersionExA(&basic)));
#ifndef _WIN32
    // Windows' own structure size (276 bytes, 16-bit characters) is not ours.
    wrong.dwOSVersionInfoSize = 276;
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, LAST_ERROR_IF(FALSE, GetVersionExW(&wrong)));

    // Here the numbers come from the kernel release, the name from os-release.
    struct utsname u;
    ASSERT_EQ(0, uname(&u));
    DWORD major, minor, build;
    w32::ParseKernelRelease(u.release, major, minor, build);
    EXPECT_EQ(major, ex.dwMajorVersion);
    EXPECT_EQ(minor, ex.dwMinorVersion);
    EXPECT_EQ(build, ex.dwBuildNumber);
    EXPECT_EQ(w32::WideFromUtf8(w32::DistributionName("/etc/os-release")),
              std::wstring(ex.szCSDVersion));
#endif
}

#ifndef _WIN32
TEST(OsVersion, ReleaseNumbersAndOsReleaseParsing)
{
    const struct
    {
        const char* release;
        std::array<DWORD, 3> numbers;
    } releases[] = {
        {"6.1.12-generic", {6, 1, 12}},
        {"5.15-rc1", {5, 15, 0}},
        {"weird", {0, 0, 0}},
        {"99999999999999999999.1.2", {0xffffffffu, 1, 2}}, // too big: the largest
    };
    for (const auto& r : releases)
    {
        std::array<DWORD, 3> got{};
        w32::ParseKernelRelease(r.release, got[0], got[1], got[2]);
        EXPECT_EQ(r.numbers, got) << r.release;
    }

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
