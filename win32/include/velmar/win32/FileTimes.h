#pragma once
// Times of an open file, in the Win32 argument order (creation, last access,
// last write).
//
// The creation time is the file system's birth time (statx) where it keeps
// one, else the earlier of the change and modification times. POSIX cannot
// set a birth time: SetFileTime stores a creation time in the user extended
// attribute user.velmar.crtime, which GetFileTime then reports in place of
// the birth time; where the file system keeps no user extended attributes the
// creation time is accepted and dropped. A null time, or one of all zero or
// all one bits, leaves that time unchanged.

#include "velmar/win32/Types.h"

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime);
// Needs FILE_WRITE_ATTRIBUTES (GENERIC_WRITE includes it).
BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime,
                        const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime);
