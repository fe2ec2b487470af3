#pragma once
// Modules: LoadLibraryEx and friends over dlopen. A bare name is searched as
// the system's loader searches (LD_LIBRARY_PATH, the loader cache, the default
// folders), trying the name as given, then with ".so", then as "lib<name>.so";
// a trailing ".dll" is dropped first. Windows-only names ("kernel32",
// "uxtheme") have no counterpart and fail with ERROR_MOD_NOT_FOUND, which is
// what callers that probe for optional functions expect.
//
// Module handles are the loader's own; only handles this layer handed out are
// accepted, others fail with ERROR_MOD_NOT_FOUND instead of crashing the loader.

#include "velmar/win32/Types.h"

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001u
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002u
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008u
#define LOAD_IGNORE_CODE_AUTHZ_LEVEL 0x00000010u
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020u
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040u
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100u
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200u
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400u
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800u
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000u

// hFile must be null. Every flag above is accepted; the data-file and
// image-resource flags still load the object as code, since ELF has no
// resource-only mapping. A file that exists but is no shared object fails with
// ERROR_BAD_EXE_FORMAT.
HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
// Undoes one load; the object is unloaded with its last load.
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// An exported symbol; names only (ordinals fail with ERROR_PROC_NOT_FOUND).
// A null module means the program itself.
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// The module's full path (the program's for a null module). A short buffer
// receives a truncated, terminated name, the result is nSize and the last
// error ERROR_INSUFFICIENT_BUFFER, as on current Windows.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// A module already loaded in the process, without a load of its own; null
// names the program.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
