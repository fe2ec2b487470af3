#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>
#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

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

TEST(VirtualMemory, PrefetchKeepsWhatPagesHoldWhileTheyAreWritten)
{
    auto* base =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, 4 * kMB, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, base);
    ASSERT_EQ(base, VirtualAlloc(base, 2 * kMB, MEM_COMMIT, PAGE_READWRITE));
    std::memset(base, 0x5A, 4096);

    // A writer fills the range word by word while the pages are brought in
    // over and over: a prefetch that wrote would lose some of its words.
    auto* words = reinterpret_cast<std::uint32_t*>(base + 4096);
    const SIZE_T count = (2 * kMB - 4096) / sizeof(std::uint32_t);
    std::atomic<bool> done{false};
    std::thread writer(
        [&]
        {
            for (SIZE_T i = 0; i < count; ++i)
                words[i] = static_cast<std::uint32_t>(i) | 1u;
            done = true;
        });
    // The uncommitted half is passed too: it is left as it is.
    WIN32_MEMORY_RANGE_ENTRY whole{base, 4 * kMB};
    do
        EXPECT_TRUE(PrefetchVirtualMemory(GetCurrentProcess(), 1, &whole, 0));
    while (!done);
    writer.join();
    EXPECT_TRUE(AllBytesAre(base, 4096, 0x5A));
    SIZE_T wrong = 0;
    for (SIZE_T i = 0; i < count; ++i)
        wrong += words[i] != (static_cast<std::uint32_t>(i) | 1u);
    EXPECT_EQ(0u, wrong);

    // Memory that is no reservation of ours is only read ahead.
    std::vector<unsigned char> heap(3 * 4096, 0x33);
    WIN32_MEMORY_RANGE_ENTRY other{heap.data(), heap.size()};
    EXPECT_TRUE(PrefetchVirtualMemory(GetCurrentProcess(), 1, &other, 0));
    EXPECT_TRUE(AllBytesAre(heap.data(), heap.size(), 0x33));

    // The half that was never committed reads as zero once it is.
    ASSERT_EQ(base + 2 * kMB, VirtualAlloc(base + 2 * kMB, 2 * kMB, MEM_COMMIT, PAGE_READWRITE));
    EXPECT_TRUE(AllBytesAre(base + 2 * kMB, 2 * kMB, 0));
    EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
}

#ifndef _WIN32
// What the prefetch is for: committed pages are present before their first
// write, and pages not committed are not made present.
TEST(VirtualMemory, PrefetchMakesCommittedPagesPresent)
{
    const SIZE_T page = static_cast<SIZE_T>(sysconf(_SC_PAGESIZE));
    auto* base =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, 4 * kMB, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, base);
    ASSERT_EQ(base, VirtualAlloc(base, 2 * kMB, MEM_COMMIT, PAGE_READWRITE));
    auto present = [&](unsigned char* from, SIZE_T n)
    {
        std::vector<unsigned char> map(n / page);
        EXPECT_EQ(0, mincore(from, n, map.data()));
        SIZE_T in = 0;
        for (unsigned char m : map)
            in += m & 1;
        return in;
    };
    EXPECT_EQ(0u, present(base, 2 * kMB));
    WIN32_MEMORY_RANGE_ENTRY whole{base, 4 * kMB};
    EXPECT_TRUE(PrefetchVirtualMemory(GetCurrentProcess(), 1, &whole, 0));
    EXPECT_EQ(2 * kMB / page, present(base, 2 * kMB));
    EXPECT_EQ(0u, present(base + 2 * kMB, 2 * kMB));
    EXPECT_TRUE(AllBytesAre(base, 2 * kMB, 0));

    // Refusals: another process, no ranges, or flags.
    SetLastError(0);
    EXPECT_FALSE(PrefetchVirtualMemory(reinterpret_cast<HANDLE>(42), 1, &whole, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(PrefetchVirtualMemory(GetCurrentProcess(), 0, &whole, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(PrefetchVirtualMemory(GetCurrentProcess(), 1, &whole, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
}

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
