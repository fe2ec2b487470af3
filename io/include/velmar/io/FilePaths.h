#pragma once
// File operations by name, without a file object. Times are in local time and
// in the order created, written, accessed. Each returns false when all three
// time pointers are null, when the file cannot be opened or when the system
// call fails; no handle is left open.

#include "velmar/io/DateTime.h"

namespace Orvex
{

bool GetFileTimes(const char* path, CDateTime* created, CDateTime* written, CDateTime* accessed);
bool GetFileTimes(const wchar_t* path, CDateTime* created, CDateTime* written, CDateTime* accessed);
bool SetFileTimes(const char* path, const CDateTime* created, const CDateTime* written,
                  const CDateTime* accessed);
bool SetFileTimes(const wchar_t* path, const CDateTime* created, const CDateTime* written,
                  const CDateTime* accessed);

// The same for folders.
bool GetFolderTimes(const char* path, CDateTime* created, CDateTime* written, CDateTime* accessed);
bool GetFolderTimes(const wchar_t* path, CDateTime* created, CDateTime* written,
                    CDateTime* accessed);
bool SetFolderTimes(const char* path, const CDateTime* created, const CDateTime* written,
                    const CDateTime* accessed);
bool SetFolderTimes(const wchar_t* path, const CDateTime* created, const CDateTime* written,
                    const CDateTime* accessed);

// Copies a whole file; `overwrite` allows replacing an existing destination.
bool CopyFileByPath(const wchar_t* from, const wchar_t* to, bool overwrite);
// Sets the read-only and hidden bits (kAttr...) of a file, clearing the others.
bool SetFileAttributesByPath(const char* path, uint32_t attributes);

} // namespace Orvex
