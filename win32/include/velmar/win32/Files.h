#pragma once
// Files: create or open, read, write, position, length, flush, delete, copy.
//
// Quirks kept from Windows on purpose: a synchronous read at the end of a file
// succeeds with 0 bytes; SetFilePointer and GetFileSize return 0xFFFFFFFF on
// failure with the last error set, and set the last error to 0 when a
// successful result has that value; SetFilePointer without the high word
// refuses a new position past 4 GiB (ERROR_INVALID_PARAMETER, the pointer
// stays); calls on a closed handle fail with
// ERROR_INVALID_HANDLE; a handle without read (write) access cannot read
// (write): ERROR_ACCESS_DENIED; a missing file is ERROR_FILE_NOT_FOUND, a
// missing folder ERROR_PATH_NOT_FOUND; OPEN_ALWAYS and CREATE_ALWAYS on an
// existing file succeed with ERROR_ALREADY_EXISTS; a read-only file cannot
// be opened for writing, truncated or deleted, even by the superuser.
//
// A file created with FILE_ATTRIBUTE_TEMPORARY is private to its owner (mode
// 0600) until something gives it other permissions; OPEN_ALWAYS and
// CREATE_ALWAYS through a symbolic link to nothing create the file it names.
//
// Share modes are enforced between handles and between processes (see
// win32/ShareModes.h). A handle that denies write sharing keeps the file's
// length and reads ahead, so byte-at-a-time reading costs no system call per
// byte (see win32/FileObject.h). A transfer with an OVERLAPPED record runs at its offset: at once
// on a synchronous handle, on the I/O thread (ERROR_IO_PENDING) on a handle opened with
// FILE_FLAG_OVERLAPPED (see win32/Overlapped.h).

#include "velmar/win32/Types.h"

#include <string>

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
// On a full disk: FALSE, ERROR_DISK_FULL, and the bytes that did get written.
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod);
BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                             PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod);
DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize);
BOOL WINAPI SetEndOfFile(HANDLE hFile);
BOOL WINAPI FlushFileBuffers(HANDLE hFile);
BOOL WINAPI DeleteFileA(LPCSTR lpFileName);
BOOL WINAPI DeleteFileW(LPCWSTR lpFileName);
// The folder for temporary files with a trailing separator: TMPDIR when set,
// else /tmp. Its length without the zero; the size needed, zero included,
// when the buffer is too small.
DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
// Copies data, last-write time and attributes; a failed copy leaves no
// partial destination behind. Source and destination are opened sharing
// reading and writing, so the copy works while other handles hold them as
// long as those share reading (source) and writing (destination). A file is
// never copied onto itself (ERROR_SHARING_VIOLATION).
BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);

namespace w32
{

// CreateFile on a file-system (UTF-8) path.
HANDLE CreateFileUtf8(const std::string& path, DWORD access, DWORD share,
                      LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flagsAndAttributes);

} // namespace w32
