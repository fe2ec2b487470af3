#pragma once
// Reads one named section of an ELF file (32- or 64-bit, little-endian), the
// way the version calls find a file's resource.

#include "velmar/win32/Types.h"

#include <string>
#include <vector>

namespace w32
{

// ERROR_SUCCESS with the section's bytes (at most maxBytes are accepted),
// ERROR_RESOURCE_TYPE_NOT_FOUND when the file has no such section,
// ERROR_BAD_FORMAT when it is no ELF file (or a damaged one), else the code
// of the failed open or read.
DWORD ReadElfSection(const std::string& path, const char* sectionName, size_t maxBytes,
                     std::vector<unsigned char>& out);

} // namespace w32
