#include "velmar/win32/VirtualMemory.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/LastError.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace
{

constexpr uintptr_t kLargePage = 2u << 20;

// The reservations made here, by base, with their sizes: munmap needs the
// size that MEM_RELEASE does not pass.
struct Reservations
{
    std::mutex lock;
    std::map<uintptr_t, size_t> bySize;
};

Reservations& Table()
{
    // Never destroyed: memory may be released while statics are torn down.
    static auto* table = new Reservations;
    return *table;
}

uintptr_t PageSize()
{
    static const uintptr_t size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// Whether [begin, end) lies inside one reservation; the table is locked.
bool InsideReservation(Reservations& t, uintptr_t begin, uintptr_t end)
{
    auto it = t.bySize.upper_bound(begin);
    if (it == t.bySize.begin())
        return false;
    --it;
    return end <= it->first + it->second;
}

// The pages [begin, end) that `size` bytes at `at` touch, and 0 when they
// lie inside one reservation, else the error to report. The pages are set
// for ERROR_INVALID_ADDRESS too; only a size past the address space leaves
// them unset (ERROR_INVALID_PARAMETER).
DWORD PagesInReservation(uintptr_t at, SIZE_T size, uintptr_t& begin, uintptr_t& end)
{
    const uintptr_t page = PageSize();
    if (size > UINTPTR_MAX - at - page)
        return ERROR_INVALID_PARAMETER;
    begin = at & ~(page - 1);
    end = (at + size + page - 1) & ~(page - 1);
    Reservations& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    return InsideReservation(t, begin, end) ? 0 : ERROR_INVALID_ADDRESS;
}

void AdviseLargePages(uintptr_t begin, uintptr_t end)
{
#ifdef MADV_HUGEPAGE
    const uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t last = end & ~(kLargePage - 1);
    // Only a hint: a kernel without large pages refuses it, and that is fine.
    if (first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)end;
#endif
}

LPVOID Reserve(SIZE_T size, DWORD type, DWORD protect)
{
    const uintptr_t page = PageSize();
    if (size == 0 || size > SIZE_MAX - page)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const size_t length = (size + page - 1) & ~(page - 1);
    const bool commit = (type & MEM_COMMIT) != 0;
    const int prot = commit && protect == PAGE_READWRITE ? PROT_READ | PROT_WRITE : PROT_NONE;
    void* p = mmap(nullptr, length, prot, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const auto base = reinterpret_cast<uintptr_t>(p);
    if (prot != PROT_NONE)
        AdviseLargePages(base, base + length);
    Reservations& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    t.bySize[base] = length;
    return p;
}

} // namespace

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect)
{
    if ((flAllocationType & ~(MEM_RESERVE | MEM_COMMIT)) != 0 ||
        (flAllocationType & (MEM_RESERVE | MEM_COMMIT)) == 0 ||
        (flProtect != PAGE_READWRITE && flProtect != PAGE_NOACCESS))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (lpAddress == nullptr)
    {
        if ((flAllocationType & MEM_RESERVE) == 0)
        {
            // Committing at no address reserves as well, as on Windows.
            flAllocationType |= MEM_RESERVE;
        }
        return Reserve(dwSize, flAllocationType, flProtect);
    }
    if ((flAllocationType & MEM_COMMIT) == 0 || dwSize == 0)
    {
        // Reserving at a chosen address is not offered here.
        SetLastError(ERROR_INVALID_ADDRESS);
        return nullptr;
    }
    uintptr_t begin = 0, end = 0;
    if (const DWORD err =
            PagesInReservation(reinterpret_cast<uintptr_t>(lpAddress), dwSize, begin, end))
    {
        SetLastError(err);
        return nullptr;
    }
    const int prot = flProtect == PAGE_READWRITE ? PROT_READ | PROT_WRITE : PROT_NONE;
    if (mprotect(reinterpret_cast<void*>(begin), end - begin, prot) != 0)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (prot != PROT_NONE)
        AdviseLargePages(begin, end);
    return reinterpret_cast<LPVOID>(begin);
}

BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType)
{
    const auto at = reinterpret_cast<uintptr_t>(lpAddress);
    Reservations& t = Table();
    if (dwFreeType == MEM_RELEASE)
    {
        std::lock_guard<std::mutex> hold(t.lock);
        auto it = t.bySize.find(at);
        if (dwSize != 0 || it == t.bySize.end())
        {
            SetLastError(dwSize != 0 ? ERROR_INVALID_PARAMETER : ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        munmap(lpAddress, it->second);
        t.bySize.erase(it);
        return TRUE;
    }
    if (dwFreeType != MEM_DECOMMIT || dwSize == 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uintptr_t begin = 0, end = 0;
    if (const DWORD err = PagesInReservation(at, dwSize, begin, end))
    {
        SetLastError(err);
        return FALSE;
    }
    void* p = reinterpret_cast<void*>(begin);
    // Drop the pages first: PROT_NONE alone would keep their memory.
    if (madvise(p, end - begin, MADV_DONTNEED) != 0 || mprotect(p, end - begin, PROT_NONE) != 0)
    {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI PrefetchVirtualMemory(HANDLE hProcess, ULONG_PTR NumberOfEntries,
                                  PWIN32_MEMORY_RANGE_ENTRY VirtualAddresses, ULONG Flags)
{
    if (hProcess != GetCurrentProcess())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (NumberOfEntries == 0 || VirtualAddresses == nullptr || Flags != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (ULONG_PTR i = 0; i < NumberOfEntries; ++i)
    {
        const WIN32_MEMORY_RANGE_ENTRY& range = VirtualAddresses[i];
        uintptr_t begin = 0, end = 0;
        const DWORD where = PagesInReservation(reinterpret_cast<uintptr_t>(range.VirtualAddress),
                                               range.NumberOfBytes, begin, end);
        if (range.NumberOfBytes == 0 || where == ERROR_INVALID_PARAMETER)
            continue;
        void* p = reinterpret_cast<void*>(begin);
        if (where != 0)
        {
            // Other memory, a view of a file among it, is only read ahead:
            // a write fault would dirty shared pages.
            madvise(p, end - begin, MADV_WILLNEED);
            continue;
        }
#ifdef MADV_POPULATE_WRITE
        // Faults the pages in as a write would, without writing: safe while
        // another thread writes to them. It fails on pages that are not
        // committed read-write, which stay as they are.
        madvise(p, end - begin, MADV_POPULATE_WRITE);
#endif
    }
    return TRUE;
}
