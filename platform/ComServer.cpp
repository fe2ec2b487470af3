#include "velmar/platform/ComServer.h"

#include "velmar/platform/WinRegistry.h"

#include <cstring>

namespace nkPlatform
{

namespace
{

template <class T>
bool ReadClassEntry(const T* clsid, const char* entry, T* buffer, std::uint32_t size)
{
    if (!buffer || size == 0)
        return false;
    buffer[0] = T(0);
    if (nkMem::IsNullOrEmpty(clsid))
        return false;
    // ASCII names, taken into either width.
    nkMem::CStringT<T> path;
    path.Assign("CLSID\\");
    path.Append(clsid);
    nkMem::CStringT<T> rest;
    rest.Assign("\\");
    path.Append(rest);
    rest.Assign(entry);
    path.Append(rest);
    CWinRegistry reg;
    if (!reg.OpenEx(HKEY_CLASSES_ROOT, path.GetString(), 0, KEY_READ))
        return false;
    static const T kDefault[1] = {};
    const nkMem::CStringT<T> value = reg.ReadString(kDefault, 64);
    if (reg.lastError != ERROR_SUCCESS || value.GetLength() >= size)
        return false;
    if (!value.IsEmpty())
        std::memcpy(buffer, value.GetString(), value.GetLength() * sizeof(T));
    buffer[value.GetLength()] = T(0);
    return true;
}

template <class T> bool ReadVersionIndependent(const T* clsid, T* buffer, std::uint32_t size)
{
    // The entry's right name first; older callers wrote it misspelt, so that
    // spelling is still read.
    return ReadClassEntry(clsid, "VersionIndependentProgID", buffer, size) ||
           ReadClassEntry(clsid, "VersionIdependentProgID", buffer, size);
}

} // namespace

bool GetComServerPath(const char* clsid, char* buffer, std::uint32_t size)
{
    return ReadClassEntry(clsid, "InprocServer32", buffer, size);
}
bool GetComServerPath(const wchar_t* clsid, wchar_t* buffer, std::uint32_t size)
{
    return ReadClassEntry(clsid, "InprocServer32", buffer, size);
}
bool GetComProgID(const char* clsid, char* buffer, std::uint32_t size)
{
    return ReadClassEntry(clsid, "ProgID", buffer, size);
}
bool GetComProgID(const wchar_t* clsid, wchar_t* buffer, std::uint32_t size)
{
    return ReadClassEntry(clsid, "ProgID", buffer, size);
}
bool GetComVersionIndependentProgID(const char* clsid, char* buffer, std::uint32_t size)
{
    return ReadVersionIndependent(clsid, buffer, size);
}
bool GetComVersionIndependentProgID(const wchar_t* clsid, wchar_t* buffer, std::uint32_t size)
{
    return ReadVersionIndependent(clsid, buffer, size);
}

} // namespace nkPlatform
