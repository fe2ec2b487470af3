#pragma once
// Version information of a file: GetFileVersionInfoSize, GetFileVersionInfo
// and VerQueryValue over the VS_VERSIONINFO resource that our build puts in
// the ELF section w32::kVersionSectionName. A file without the section has no
// version information (size 0, ERROR_RESOURCE_TYPE_NOT_FOUND); a file that is
// no ELF object fails with ERROR_BAD_FORMAT.
//
// The block that GetFileVersionInfo fills holds the resource as stored
// (UTF-16LE) followed by room into which VerQueryValue converts string values:
// wide values to wchar_t, narrow ones to the ANSI code page. That is why the
// size asked for is several times the resource, as on Windows, where the block
// also carries room for the narrow forms.

#include "velmar/win32/Types.h"
#include "velmar/win32/VersionResource.h"

// lpdwHandle (may be null) receives 0.
DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle);
// dwLen must be at least the size above; a shorter block fails with
// ERROR_INSUFFICIENT_BUFFER rather than leaving a cut-off resource behind.
BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
BOOL WINAPI GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// "\" gives the VS_FIXEDFILEINFO (puLen = its size), "\VarFileInfo\Translation"
// the language and code-page pairs (puLen in bytes), and
// "\StringFileInfo\<lang><cp>\<name>" a terminated string (puLen in characters,
// terminator included). Names compare without regard to case.
BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
BOOL WINAPI VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
