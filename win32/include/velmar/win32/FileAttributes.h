#pragma once
// File attributes. Read-only is the file's write permission: set, it removes
// every write bit; cleared, it gives the owner write permission back. Hidden,
// system, archive, temporary, offline and not-content-indexed are kept in the
// user.DOSATTRIB extended attribute as the text "0x<hex>" (the form Samba
// also reads). Where the file system keeps no user extended attributes,
// those bits read as clear, and setting any of them fails with
// ERROR_NOT_SUPPORTED (read-only is then left unchanged too).
// Folders report FILE_ATTRIBUTE_DIRECTORY and never read-only.

#include "velmar/win32/Types.h"

#include <string>

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);
DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName);
BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes);
BOOL WINAPI SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes);

namespace w32
{

// The attribute bits kept in the extended attribute.
constexpr DWORD kStoredAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                    FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The stored bits of a file (0 when none are stored or the file system keeps none).
DWORD StoredAttributes(const std::string& path);
// Stores the stored bits; 0 or a Win32 error.
DWORD StoreAttributes(const std::string& path, DWORD attributes);
// All attributes of a path; INVALID_FILE_ATTRIBUTES with the last error set on failure.
DWORD AttributesOfPath(const std::string& path);

} // namespace w32
