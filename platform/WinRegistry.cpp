#include "velmar/platform/WinRegistry.h"

#include <cstring>
#include <cwchar>

namespace nkPlatform
{

namespace
{

// The registry calls of each width, so that the operations are written once.
struct NarrowCalls
{
    static LSTATUS Open(HKEY k, const char* s, PHKEY out) { return RegOpenKeyA(k, s, out); }
    static LSTATUS OpenEx(HKEY k, const char* s, DWORD o, REGSAM a, PHKEY out)
    {
        return RegOpenKeyExA(k, s, o, a, out);
    }
    static LSTATUS Query(HKEY k, const char* n, DWORD* t, void* d, DWORD* s)
    {
        return RegQueryValueExA(k, n, nullptr, t, static_cast<BYTE*>(d), s);
    }
    static LSTATUS Set(HKEY k, const char* n, DWORD t, const void* d, DWORD s)
    {
        return RegSetValueExA(k, n, 0, t, static_cast<const BYTE*>(d), s);
    }
    static LSTATUS Delete(HKEY k, const char* n) { return RegDeleteValueA(k, n); }
};

struct WideCalls
{
    static LSTATUS Open(HKEY k, const wchar_t* s, PHKEY out) { return RegOpenKeyW(k, s, out); }
    static LSTATUS OpenEx(HKEY k, const wchar_t* s, DWORD o, REGSAM a, PHKEY out)
    {
        return RegOpenKeyExW(k, s, o, a, out);
    }
    static LSTATUS Query(HKEY k, const wchar_t* n, DWORD* t, void* d, DWORD* s)
    {
        return RegQueryValueExW(k, n, nullptr, t, static_cast<BYTE*>(d), s);
    }
    static LSTATUS Set(HKEY k, const wchar_t* n, DWORD t, const void* d, DWORD s)
    {
        return RegSetValueExW(k, n, 0, t, static_cast<const BYTE*>(d), s);
    }
    static LSTATUS Delete(HKEY k, const wchar_t* n) { return RegDeleteValueW(k, n); }
};

template <class T>
using Calls = std::conditional_t<std::is_same_v<T, char>, NarrowCalls, WideCalls>;

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

template <class T>
nkMem::CStringT<T> ReadStringT(HKEY key, LONG& lastError, const T* name, std::uint32_t initialSize)
{
    nkMem::CStringT<T> result;
    T* p = result.GetBuffer(initialSize);
    // The last character stays free: a stored string need not end with a zero.
    DWORD size = (result.GetCapacity() - 1) * sizeof(T);
    DWORD type = REG_NONE;
    LONG status = Calls<T>::Query(key, name, &type, p, &size);
    if (status == ERROR_MORE_DATA)
    {
        p = result.GetBuffer((size + sizeof(T) - 1) / sizeof(T));
        size = (result.GetCapacity() - 1) * sizeof(T);
        status = Calls<T>::Query(key, name, &type, p, &size);
    }
    if (status == ERROR_SUCCESS && !IsStringType(type))
        status = ERROR_INVALID_DATA;
    lastError = status;
    if (status != ERROR_SUCCESS)
    {
        p[0] = T(0);
        result.ReleaseBuffer(0);
        return result;
    }
    p[size / sizeof(T)] = T(0);
    result.ReleaseBuffer(-1);
    return result;
}

template <class T, class U>
bool ReadConvertedT(HKEY key, LONG& lastError, const T* name, DWORD* type, T* buffer, DWORD size,
                    bool convert)
{
    if (!buffer || size == 0)
    {
        lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    buffer[0] = T(0);
    DWORD valueType = REG_NONE;
    if (!convert)
    {
        DWORD bytes = (size - 1) * sizeof(T);
        lastError = Calls<T>::Query(key, name, &valueType, buffer, &bytes);
        if (type)
            *type = valueType;
        if (lastError != ERROR_SUCCESS)
            return false;
        buffer[bytes / sizeof(T)] = T(0);
        return true;
    }
    // Read in the other width into a scratch buffer of the same number of characters.
    nkMem::CStringT<U> otherName;
    if (name)
        otherName.Assign(name);
    const U* queryName = name ? otherName.GetSafeString() : nullptr;
    nkMem::CStringT<U> scratch;
    U* tmp = scratch.GetBuffer(size);
    DWORD bytes = (scratch.GetCapacity() - 1) * sizeof(U);
    lastError = Calls<U>::Query(key, queryName, &valueType, tmp, &bytes);
    if (type)
        *type = valueType;
    if (lastError != ERROR_SUCCESS)
        return false;
    tmp[bytes / sizeof(U)] = U(0);
    scratch.ReleaseBuffer(-1);
    nkMem::CStringT<T> converted;
    if (!scratch.IsEmpty() && !converted.AssignCP(scratch.GetString(), nkMem::kCodePageAnsi))
    {
        lastError = ERROR_NO_UNICODE_TRANSLATION;
        return false;
    }
    if (converted.GetLength() >= size)
    {
        lastError = ERROR_MORE_DATA;
        return false;
    }
    if (!converted.IsEmpty())
        std::memcpy(buffer, converted.GetString(), converted.GetLength() * sizeof(T));
    buffer[converted.GetLength()] = T(0);
    return true;
}

struct RootName
{
    const char* name;
    const wchar_t* wide;
    HKEY key;
};

const RootName kRoots[] = {
    {"HKEY_LOCAL_MACHINE", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_CURRENT_USER", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_USERS", L"HKEY_USERS", HKEY_USERS},
    {"HKEY_CLASSES_ROOT", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_CONFIG", L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", L"HKEY_DYN_DATA", HKEY_DYN_DATA},
};

const char* RootText(const RootName& r, const char*)
{
    return r.name;
}
const wchar_t* RootText(const RootName& r, const wchar_t*)
{
    return r.wide;
}
int CompareN(const char* a, const char* b, std::uint32_t n)
{
    return std::strncmp(a, b, n);
}
int CompareN(const wchar_t* a, const wchar_t* b, std::uint32_t n)
{
    return std::wcsncmp(a, b, n);
}
int CompareAll(const char* a, const char* b)
{
    return std::strcmp(a, b);
}
int CompareAll(const wchar_t* a, const wchar_t* b)
{
    return std::wcscmp(a, b);
}

template <class T> HKEY RootFromName(const T* name, std::uint32_t n, bool whole)
{
    // n of 0 would match the first entry with any name at all.
    if (!name || (!whole && n == 0))
        return nullptr;
    for (const RootName& r : kRoots)
    {
        const T* text = RootText(r, name);
        if ((whole ? CompareAll(name, text) : CompareN(name, text, n)) == 0)
            return r.key;
    }
    return nullptr;
}

} // namespace

CWinRegistry::~CWinRegistry()
{
    if (key)
        Close();
}

bool CWinRegistry::Open(HKEY root, const char* subKey)
{
    ReleaseKey();
    HKEY opened = nullptr;
    if (!Status(NarrowCalls::Open(root, subKey, &opened)))
        return false;
    key = opened;
    return true;
}

bool CWinRegistry::Open(HKEY root, const wchar_t* subKey)
{
    ReleaseKey();
    HKEY opened = nullptr;
    if (!Status(WideCalls::Open(root, subKey, &opened)))
        return false;
    key = opened;
    return true;
}

bool CWinRegistry::OpenEx(HKEY root, const char* subKey, DWORD options, REGSAM access)
{
    ReleaseKey();
    HKEY opened = nullptr;
    if (!Status(NarrowCalls::OpenEx(root, subKey, options, access, &opened)))
        return false;
    key = opened;
    return true;
}

bool CWinRegistry::OpenEx(HKEY root, const wchar_t* subKey, DWORD options, REGSAM access)
{
    ReleaseKey();
    HKEY opened = nullptr;
    if (!Status(WideCalls::OpenEx(root, subKey, options, access, &opened)))
        return false;
    key = opened;
    return true;
}

void CWinRegistry::ReleaseKey()
{
    // A handle the registry refuses to close is no use either: forget it.
    if (key)
        Close();
    key = nullptr;
}

bool CWinRegistry::Close()
{
    if (!Status(RegCloseKey(key)))
        return false;
    key = nullptr;
    return true;
}

bool CWinRegistry::CreateSubKey(const char* subKey, char* className, DWORD options, REGSAM access,
                                const SECURITY_ATTRIBUTES* security, DWORD* disposition,
                                CWinRegistry* out)
{
    HKEY created = nullptr;
    if (!Status(RegCreateKeyExA(key, subKey, 0, className, options, access,
                                const_cast<SECURITY_ATTRIBUTES*>(security), &created, disposition)))
        return false;
    if (!out)
        return Status(RegCloseKey(created));
    out->ReleaseKey();
    out->key = created;
    out->lastError = ERROR_SUCCESS;
    return true;
}

bool CWinRegistry::CreateSubKey(const wchar_t* subKey, wchar_t* className, DWORD options,
                                REGSAM access, const SECURITY_ATTRIBUTES* security,
                                DWORD* disposition, CWinRegistry* out)
{
    HKEY created = nullptr;
    if (!Status(RegCreateKeyExW(key, subKey, 0, className, options, access,
                                const_cast<SECURITY_ATTRIBUTES*>(security), &created, disposition)))
        return false;
    if (!out)
        return Status(RegCloseKey(created));
    out->ReleaseKey();
    out->key = created;
    out->lastError = ERROR_SUCCESS;
    return true;
}

bool CWinRegistry::QueryInfo(char* className, DWORD* classChars, DWORD* subKeys,
                             DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                             DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securitySize,
                             FILETIME* lastWrite)
{
    return Status(RegQueryInfoKeyA(key, className, classChars, nullptr, subKeys, maxSubKeyLen,
                                   maxClassLen, values, maxValueNameLen, maxValueLen, securitySize,
                                   lastWrite));
}

bool CWinRegistry::QueryInfo(wchar_t* className, DWORD* classChars, DWORD* subKeys,
                             DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                             DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securitySize,
                             FILETIME* lastWrite)
{
    return Status(RegQueryInfoKeyW(key, className, classChars, nullptr, subKeys, maxSubKeyLen,
                                   maxClassLen, values, maxValueNameLen, maxValueLen, securitySize,
                                   lastWrite));
}

bool CWinRegistry::QueryValue(const char* name, DWORD* type, void* data, DWORD* size)
{
    return Status(NarrowCalls::Query(key, name, type, data, size));
}

bool CWinRegistry::QueryValue(const wchar_t* name, DWORD* type, void* data, DWORD* size)
{
    return Status(WideCalls::Query(key, name, type, data, size));
}

bool CWinRegistry::SetValue(const char* name, DWORD type, const void* data, DWORD size)
{
    return Status(NarrowCalls::Set(key, name, type, data, size));
}

bool CWinRegistry::SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    return Status(WideCalls::Set(key, name, type, data, size));
}

bool CWinRegistry::DeleteValue(const char* name)
{
    return name ? Status(NarrowCalls::Delete(key, name)) : Status(ERROR_INVALID_PARAMETER);
}

bool CWinRegistry::DeleteValue(const wchar_t* name)
{
    return name ? Status(WideCalls::Delete(key, name)) : Status(ERROR_INVALID_PARAMETER);
}

DWORD CWinRegistry::ReadDword(const char* name, DWORD def)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return QueryValue(name, nullptr, &value, &size) ? value : def;
}

DWORD CWinRegistry::ReadDword(const wchar_t* name, DWORD def)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return QueryValue(name, nullptr, &value, &size) ? value : def;
}

bool CWinRegistry::WriteDword(const char* name, DWORD value)
{
    return SetValue(name, REG_DWORD, &value, 4);
}

bool CWinRegistry::WriteDword(const wchar_t* name, DWORD value)
{
    return SetValue(name, REG_DWORD, &value, 4);
}

nkMem::CStringT<char> CWinRegistry::ReadString(const char* name, std::uint32_t initialSize)
{
    return ReadStringT(key, lastError, name, initialSize);
}

nkMem::CStringT<wchar_t> CWinRegistry::ReadString(const wchar_t* name, std::uint32_t initialSize)
{
    return ReadStringT(key, lastError, name, initialSize);
}

bool CWinRegistry::ReadStringConverted(const char* name, DWORD* type, char* buffer, DWORD size,
                                       bool convert)
{
    return ReadConvertedT<char, wchar_t>(key, lastError, name, type, buffer, size, convert);
}

bool CWinRegistry::ReadStringConverted(const wchar_t* name, DWORD* type, wchar_t* buffer,
                                       DWORD size, bool convert)
{
    return ReadConvertedT<wchar_t, char>(key, lastError, name, type, buffer, size, convert);
}

HKEY RootKeyFromName(const char* name, std::uint32_t n)
{
    return RootFromName(name, n, false);
}
HKEY RootKeyFromName(const wchar_t* name, std::uint32_t n)
{
    return RootFromName(name, n, false);
}
HKEY RootKeyFromName(const char* name)
{
    return RootFromName(name, 0, true);
}
HKEY RootKeyFromName(const wchar_t* name)
{
    return RootFromName(name, 0, true);
}

} // namespace nkPlatform
