#include "velmar/win32/Memory.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"

#include <cstdlib>

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes)
{
    // A zero-byte request still yields a distinct block, as on Windows.
    const SIZE_T size = uBytes ? uBytes : 1;
    void* p = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (!p)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return p;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    std::free(hMem);
    return nullptr;
}
