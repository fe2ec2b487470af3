#pragma once
// File mappings: sections over a file or over memory, views of them, and
// names that other processes can open.
//
// Windows' checks are kept: a protection wider than the file handle's access
// is ERROR_ACCESS_DENIED; a zero-length file cannot be mapped with size 0
// (ERROR_FILE_INVALID); a read-only mapping larger than its file is
// ERROR_NOT_ENOUGH_MEMORY, a writable one extends the file; view offsets are
// multiples of 65536 (ERROR_MAPPED_ALIGNMENT); a view beyond the section, or
// wider than the protection or the handle allows, is ERROR_ACCESS_DENIED.
// Writes through a shared view reach the file; FILE_MAP_COPY views are private.
//
// Names ("Local\" and "Global\" prefixes accepted, one namespace here) live
// as small files in $VELMAR_SHM_DIR, else /dev/shm/velmar-<uid>; a name is
// visible while a handle or a view of it is open in some process (Windows
// drops the name with the last handle; here the views keep it too).
// Memory-backed named sections keep their bytes in that file; a file-backed
// one is joined through the open file of a process that uses it
// (/proc/<pid>/fd), never by path, so a backing file renamed or deleted
// meanwhile is still the one shared.

#include "velmar/win32/Types.h"

#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_WRITECOPY 0x08u
#define PAGE_EXECUTE 0x10u
#define PAGE_EXECUTE_READ 0x20u
#define PAGE_EXECUTE_READWRITE 0x40u
#define PAGE_EXECUTE_WRITECOPY 0x80u
#define SEC_FILE 0x00800000u
#define SEC_IMAGE 0x01000000u
#define SEC_RESERVE 0x04000000u
#define SEC_COMMIT 0x08000000u
#define SEC_NOCACHE 0x10000000u

#define SECTION_QUERY 0x0001u
#define SECTION_MAP_WRITE 0x0002u
#define SECTION_MAP_READ 0x0004u
#define SECTION_MAP_EXECUTE 0x0008u
#define SECTION_EXTEND_SIZE 0x0010u
#define SECTION_ALL_ACCESS 0xF001Fu
#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE SECTION_MAP_WRITE
#define FILE_MAP_READ SECTION_MAP_READ
#define FILE_MAP_EXECUTE 0x0020u
#define FILE_MAP_ALL_ACCESS SECTION_ALL_ACCESS

// A handle (not INVALID_HANDLE_VALUE) or NULL on failure. hFile may be
// INVALID_HANDLE_VALUE for memory, whose size must then be given. An existing
// name gives a handle to that section with ERROR_ALREADY_EXISTS.
HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                                 DWORD flProtect, DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                                 LPCSTR lpName);
HANDLE WINAPI CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                                 DWORD flProtect, DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                                 LPCWSTR lpName);
// NULL with ERROR_FILE_NOT_FOUND when no section has the name.
HANDLE WINAPI OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
HANDLE WINAPI OpenFileMappingW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
// dwNumberOfBytesToMap 0 maps from the offset to the end of the section.
LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                            DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                            SIZE_T dwNumberOfBytesToMap);
// lpBaseAddress must be an address MapViewOfFile returned (ERROR_INVALID_ADDRESS otherwise).
BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress);
BOOL WINAPI FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush);
