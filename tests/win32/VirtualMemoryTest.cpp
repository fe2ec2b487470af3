#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace
{

constexpr SIZE_T kMB = SIZE_T(1) << 20;

bool AllBytesAre(const unsigned char* p, SIZE_T n, unsigned char v)
{
    for (SIZE_T i = 0; i < n; ++i)
        if (p[i] != v)
            return false;
    return true;
}

} // namespace

TEST(VirtualMemory, ReservedPagesAreCommittedUsedDecommittedAndReleased)
{
    auto* base =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, 8 * kMB, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, base);

    // A commit starting inside a page covers that whole page.
    unsigned char* part = static_cast<unsigned char*>(
        VirtualAlloc(base + 2 * kMB + 100, 3 * kMB, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_EQ(base + 2 * kMB, part);
    EXPECT_TRUE(AllBytesAre(part, 3 * kMB, 0));
    std::memset(part, 0x5A, 3 * kMB);
    EXPECT_TRUE(AllBytesAre(part, 3 * kMB, 0x5A));

    // Decommitting gives the memory back: committed again, it reads as zero.
    ASSERT_TRUE(VirtualFree(part, 3 * kMB, MEM_DECOMMIT));
    ASSERT_EQ(part, VirtualAlloc(part, 3 * kMB, MEM_COMMIT, PAGE_READWRITE));
    EXPECT_TRUE(AllBytesAre(part, 3 * kMB, 0));

    EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
    SetLastError(0);
    EXPECT_FALSE(VirtualFree(base, 0, MEM_RELEASE));
    EXPECT_NE(0u, GetLastError());
}

TEST(VirtualMemory, CommittingWithoutAnAddressReservesToo)
{
    auto* p = static_cast<unsigned char*>(VirtualAlloc(nullptr, 70000, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, p);
    p[0] = 1;
    p[69999] = 2;
    EXPECT_EQ(2, p[69999]);
    EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
}

#ifndef _WIN32
// Windows documents these refusals; the codes are checked on our layer only,
// as emulators differ in them.
TEST(VirtualMemory, RefusesWhatWindowsRefuses)
{
    auto* base =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, kMB, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, base);
    struct Case
    {
        const char* what;
        bool (*call)(unsigned char* base);
        DWORD error;
    };
    const Case cases[] = {
        {"reserve nothing",
         [](unsigned char*)
         { return VirtualAlloc(nullptr, 0, MEM_RESERVE, PAGE_NOACCESS) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"release with a size",
         [](unsigned char* b) { return VirtualFree(b, 4096, MEM_RELEASE) != FALSE; },
         ERROR_INVALID_PARAMETER},
        {"release inside a reservation",
         [](unsigned char* b) { return VirtualFree(b + 65536, 0, MEM_RELEASE) != FALSE; },
         ERROR_INVALID_ADDRESS},
        {"commit across the reservation's end",
         [](unsigned char* b)
         { return VirtualAlloc(b + kMB - 4096, 2 * 4096, MEM_COMMIT, PAGE_READWRITE) != nullptr; },
         ERROR_INVALID_ADDRESS},
    };
    for (const Case& c : cases)
    {
        SetLastError(0);
        EXPECT_FALSE(c.call(base)) << c.what;
        EXPECT_EQ(c.error, GetLastError()) << c.what;
    }
    // The reservation is still whole after the refusals.
    EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
}
#endif
