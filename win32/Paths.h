#pragma once
// File names as the file system takes them. Names on disk are UTF-8 bytes;
// wide names are encoded to UTF-8, narrow names are taken in the ANSI code
// page and re-encoded when that page is not UTF-8. Separators are left as
// given.

#include "velmar/win32/Types.h"

#include <string>

namespace w32
{

// False (ERROR_INVALID_PARAMETER or ERROR_PATH_NOT_FOUND set) for a null or
// empty name, or one that does not convert.
bool PathFromWide(LPCWSTR name, std::string& path);
bool PathFromAnsi(LPCSTR name, std::string& path);

// The Win32 code of a failed lookup: ENOENT becomes ERROR_PATH_NOT_FOUND when
// the folder part does not exist, as Windows tells the two apart.
DWORD SetLastErrorForPath(int err, const std::string& path);

} // namespace w32
