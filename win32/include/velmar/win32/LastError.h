#pragma once
// The calling thread's last error, and the one place where errno values
// become Win32 codes.

#include "velmar/win32/Types.h"

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);

namespace w32
{

// The Win32 code for an errno value; ERROR_GEN_FAILURE for one without a
// mapping (also noted in LastUnmappedErrno so that a test can name it).
DWORD Win32ErrorFromErrno(int err);

// Sets the thread's last error from err and returns the code set.
DWORD SetLastErrorFromErrno(int err);

// The last errno of this thread that had no mapping, 0 if none since start.
int LastUnmappedErrno();

} // namespace w32
