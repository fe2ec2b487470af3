#pragma once
// Moving and replacing files: MoveFileEx and ReplaceFile, the calls a program
// uses to put a completely written temporary file in place of a document.
//
// Both fail with ERROR_ACCESS_DENIED when the file to be replaced is a folder
// or read-only (it could not be deleted either), and with
// ERROR_SHARING_VIOLATION when an open handle of either file refuses to share
// deletion. A move between file systems fails with ERROR_NOT_SAME_DEVICE;
// MOVEFILE_COPY_ALLOWED is not offered. ReplaceFile keeps the replaced file's
// owner, group, permission bits and attributes on the new content, and through
// a symbolic link replaces the file it points to (the link stays a link). When
// the owner or group cannot be given to the new content (only the superuser
// gives a file away), it fails with ERROR_INVALID_OWNER and changes nothing,
// unless REPLACEFILE_IGNORE_MERGE_ERRORS lets it go on with the caller's; a backup name
// is not supported (ERROR_NOT_SUPPORTED). The write-through flags also flush the
// folder, so the new name survives a crash once the call returns.

#include "velmar/win32/Types.h"

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_WRITE_THROUGH 0x00000008
#define REPLACEFILE_WRITE_THROUGH 0x00000001
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x00000002

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);
BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
BOOL WINAPI ReplaceFileA(LPCSTR lpReplacedFileName, LPCSTR lpReplacementFileName,
                         LPCSTR lpBackupFileName, DWORD dwReplaceFlags, LPVOID lpExclude,
                         LPVOID lpReserved);
BOOL WINAPI ReplaceFileW(LPCWSTR lpReplacedFileName, LPCWSTR lpReplacementFileName,
                         LPCWSTR lpBackupFileName, DWORD dwReplaceFlags, LPVOID lpExclude,
                         LPVOID lpReserved);
