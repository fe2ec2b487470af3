#pragma once
// Reserved and committed address space: a range is reserved whole, its pages
// are committed and decommitted in place, and it is released whole.
//
// Windows' rules are kept: MEM_RELEASE takes the base a reservation returned
// and a size of 0; MEM_COMMIT and MEM_DECOMMIT act on the pages a range
// touches and only inside a reservation (else ERROR_INVALID_ADDRESS). Only
// PAGE_NOACCESS and PAGE_READWRITE are offered. Committed pages read as zero
// until written; decommitted ones give their memory back to the system.
// Here a committed range of 2 MB or more is also offered to the kernel for
// large pages, which saves a fault per 4 KB page when it is first written.

#include "velmar/win32/FileMapping.h"
#include "velmar/win32/Types.h"

#define MEM_COMMIT 0x00001000u
#define MEM_RESERVE 0x00002000u
#define MEM_DECOMMIT 0x00004000u
#define MEM_RELEASE 0x00008000u

typedef struct _WIN32_MEMORY_RANGE_ENTRY
{
    PVOID VirtualAddress;
    SIZE_T NumberOfBytes;
} WIN32_MEMORY_RANGE_ENTRY, *PWIN32_MEMORY_RANGE_ENTRY;

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType,
                           DWORD flProtect);
BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType);
// Brings the pages of the ranges into memory ahead of use; a hint, so a page
// that cannot be brought in is left as it is. Committed read-write pages of a
// reservation are made present and writable without changing what they hold
// (a fresh page is zeroed here, not at its first write); other ranges are
// read ahead. Only for GetCurrentProcess(), with Flags 0.
BOOL WINAPI PrefetchVirtualMemory(HANDLE hProcess, ULONG_PTR NumberOfEntries,
                                  PWIN32_MEMORY_RANGE_ENTRY VirtualAddresses, ULONG Flags);
