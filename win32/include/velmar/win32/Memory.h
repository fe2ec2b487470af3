#pragma once
// Local heap blocks: what FormatMessage allocates and callers free.

#include "velmar/win32/Types.h"

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
// Returns NULL on success (Windows' convention), the block on failure.
HLOCAL WINAPI LocalFree(HLOCAL hMem);
