#pragma once
// Registration of COM classes, read from HKEY_CLASSES_ROOT\CLSID\{...}. Here
// these keys exist only when something wrote them to the registry store.
#include <cstdint>

namespace nkPlatform
{

// The default value of "CLSID\<clsid>\InprocServer32" (the server's file),
// "...\ProgID" or "...\VersionIndependentProgID" into buffer of size
// characters. False when the class, the entry or the room is missing; the
// buffer is then empty.
bool GetComServerPath(const char* clsid, char* buffer, std::uint32_t size);
bool GetComServerPath(const wchar_t* clsid, wchar_t* buffer, std::uint32_t size);
bool GetComProgID(const char* clsid, char* buffer, std::uint32_t size);
bool GetComProgID(const wchar_t* clsid, wchar_t* buffer, std::uint32_t size);
bool GetComVersionIndependentProgID(const char* clsid, char* buffer, std::uint32_t size);
bool GetComVersionIndependentProgID(const wchar_t* clsid, wchar_t* buffer, std::uint32_t size);

} // namespace nkPlatform
