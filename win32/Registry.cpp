#include "velmar/win32/Registry.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Unicode.h"
#include "RegistryStore.h"
#include "velmar/win32/LastError.h"
#include "Paths.h"
#include "SysCalls.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace
{

using w32::RegistryStore;

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

// What a key handle stands for: a key row of one store, with the rights granted.
struct OpenKey
{
    std::shared_ptr<RegistryStore> store;
    int64_t id = 0;
    REGSAM access = 0;
};

std::mutex g_keysMutex;
std::unordered_map<uintptr_t, OpenKey> g_keys;
uintptr_t g_nextKey = 0x100;

// The root index of a predefined handle (sign-extended as on Windows, or the
// plain 32-bit number), -1 for any other handle.
int RootIndex(HKEY hKey)
{
    const uint64_t v = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hKey));
    const uint64_t low = v & 0xFFFFFFFFull;
    const uint64_t high = v >> 32;
    if ((high == 0 || high == 0xFFFFFFFFull) && low >= 0x80000000ull &&
        low < 0x80000000ull + w32::kRootKeyCount)
        return static_cast<int>(low - 0x80000000ull);
    return -1;
}

REGSAM MapKeyAccess(REGSAM sam)
{
    REGSAM out = sam & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL |
                         MAXIMUM_ALLOWED | KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (sam & (GENERIC_READ | GENERIC_EXECUTE))
        out |= KEY_READ;
    if (sam & GENERIC_WRITE)
        out |= KEY_WRITE;
    if (sam & (GENERIC_ALL | MAXIMUM_ALLOWED))
        out |= KEY_ALL_ACCESS;
    return out;
}

// The key behind a handle, checked for the rights an operation needs.
LONG Resolve(HKEY hKey, REGSAM needed, OpenKey* key)
{
    if (!hKey)
        return ERROR_INVALID_HANDLE;
    const int root = RootIndex(hKey);
    if (root >= 0)
    {
        LONG error = ERROR_SUCCESS;
        key->store = RegistryStore::Open(w32::RegistryStorePath(), &error);
        if (!key->store)
            return error;
        key->id = root + 1;
        key->access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    {
        std::lock_guard<std::mutex> lock(g_keysMutex);
        const auto it = g_keys.find(reinterpret_cast<uintptr_t>(hKey));
        if (it == g_keys.end())
            return ERROR_INVALID_HANDLE;
        *key = it->second;
    }
    return (key->access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

HKEY InsertKey(const OpenKey& key)
{
    std::lock_guard<std::mutex> lock(g_keysMutex);
    const uintptr_t value = g_nextKey;
    g_nextKey += 4;
    g_keys.emplace(value, key);
    return reinterpret_cast<HKEY>(value);
}

std::wstring FromAnsi(const char* s, size_t bytes)
{
    std::wstring out;
    if (!s || !bytes)
        return out;
    const int n = MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(bytes), nullptr, 0);
    if (n > 0)
    {
        out.resize(static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(bytes), out.data(), n);
    }
    return out;
}

std::wstring FromAnsi(LPCSTR s)
{
    return s ? FromAnsi(s, std::strlen(s)) : std::wstring();
}

std::string ToAnsi(const std::wstring& s)
{
    std::string out;
    if (s.empty())
        return out;
    const int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n > 0)
    {
        out.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                            nullptr);
    }
    return out;
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string ToUtf16le(const std::wstring& s)
{
    std::string out;
    out.reserve(s.size() * 2);
    auto unit = [&out](uint32_t u)
    {
        out.push_back(static_cast<char>(u & 0xff));
        out.push_back(static_cast<char>((u >> 8) & 0xff));
    };
    for (wchar_t c : s)
    {
        // Lone surrogates are kept, so that what was stored reads back.
        uint32_t u = static_cast<uint32_t>(c);
        if (u > unicode::kMaxCodePoint)
            u = unicode::kReplacementCharacter;
        if (unicode::NeedsSurrogatePair(u))
        {
            unit(unicode::HighSurrogateOf(u));
            unit(unicode::LowSurrogateOf(u));
        }
        else
        {
            unit(u);
        }
    }
    return out;
}

std::wstring FromUtf16le(const std::string& bytes)
{
    std::wstring out;
    const size_t units = bytes.size() / 2;
    out.reserve(units);
    auto unit = [&bytes](size_t i)
    {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
    };
    for (size_t i = 0; i < units; ++i)
    {
        const uint32_t u = unit(i);
        if (unicode::IsHighSurrogate(u) && i + 1 < units && unicode::IsLowSurrogate(unit(i + 1)))
        {
            out.push_back(static_cast<wchar_t>(unicode::JoinSurrogates(u, unit(i + 1))));
            ++i;
        }
        else
        {
            out.push_back(static_cast<wchar_t>(u));
        }
    }
    return out;
}

// The caller's bytes as the store keeps them.
std::string ToStored(DWORD type, const BYTE* data, DWORD cb, bool wide)
{
    if (!data || !cb)
        return std::string();
    if (!IsStringType(type))
        return std::string(reinterpret_cast<const char*>(data), cb);
    if (wide)
    {
        std::wstring s(cb / sizeof(wchar_t), L'\0');
        std::memcpy(s.data(), data, s.size() * sizeof(wchar_t));
        return ToUtf16le(s);
    }
    return ToUtf16le(FromAnsi(reinterpret_cast<const char*>(data), cb));
}

// The stored bytes as the caller's form expects them.
std::string FromStored(DWORD type, const std::string& stored, bool wide)
{
    if (!IsStringType(type))
        return stored;
    const std::wstring s = FromUtf16le(stored);
    if (wide)
        return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
    return ToAnsi(s);
}

// Splits a subkey path at its backslashes. A leading backslash or an empty
// component is not a key name; a trailing backslash is allowed.
LONG SplitPath(const std::wstring& path, std::vector<std::wstring>* parts)
{
    if (!path.empty() && path[0] == L'\\')
        return ERROR_BAD_PATHNAME;
    size_t start = 0;
    while (start < path.size())
    {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = path.size();
        if (end == start)
            return ERROR_BAD_PATHNAME;
        if (end - start > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        parts->push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

LONG CopyData(const std::string& bytes, BYTE* lpData, LPDWORD lpcbData)
{
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (bytes.size() > 0xFFFFFFFFu)
        return ERROR_ARITHMETIC_OVERFLOW;
    const DWORD need = static_cast<DWORD>(bytes.size());
    if (lpData)
    {
        if (*lpcbData < need)
        {
            *lpcbData = need;
            return ERROR_MORE_DATA;
        }
        if (need)
            std::memcpy(lpData, bytes.data(), need);
    }
    *lpcbData = need;
    return ERROR_SUCCESS;
}

// Copies a name with its terminator into a buffer counted in characters.
template <typename C> LONG CopyName(const std::basic_string<C>& name, C* buffer, LPDWORD count)
{
    if (name.size() + 1 > *count)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(C));
    *count = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

std::basic_string<char> InWidth(const std::wstring& s, char*)
{
    return ToAnsi(s);
}
std::basic_string<wchar_t> InWidth(const std::wstring& s, wchar_t*)
{
    return s;
}

void ToFileTime(uint64_t t, PFILETIME ft)
{
    if (ft)
    {
        ft->dwLowDateTime = static_cast<DWORD>(t);
        ft->dwHighDateTime = static_cast<DWORD>(t >> 32);
    }
}

// --- The calls, on names already in wide form ---

LONG OpenKeyImpl(HKEY hKey, const std::wstring* subKey, REGSAM sam, PHKEY phkResult, bool plainOpen)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    OpenKey parent;
    if (LONG e = Resolve(hKey, 0, &parent))
        return e;
    const bool empty = !subKey || subKey->empty();
    if (empty && (plainOpen || RootIndex(hKey) >= 0))
    {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    std::vector<std::wstring> path;
    if (!empty)
    {
        if (LONG e = SplitPath(*subKey, &path))
            return e;
    }
    OpenKey key{parent.store, 0, MapKeyAccess(sam)};
    if (LONG e = parent.store->OpenKey(parent.id, path, &key.id))
        return e;
    *phkResult = InsertKey(key);
    return ERROR_SUCCESS;
}

LONG CreateKeyImpl(HKEY hKey, const std::wstring* subKey, const std::wstring& className, REGSAM sam,
                   PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (!phkResult || !subKey)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    OpenKey parent;
    if (LONG e = Resolve(hKey, 0, &parent))
        return e;
    std::vector<std::wstring> path;
    if (LONG e = SplitPath(*subKey, &path))
        return e;
    OpenKey key{parent.store, 0, MapKeyAccess(sam)};
    bool created = false;
    LONG e;
    if (parent.access & KEY_CREATE_SUB_KEY)
    {
        e = parent.store->CreateKey(parent.id, path, className, &key.id, &created);
    }
    else
    {
        // Without the right to create, an existing key may still be opened.
        e = parent.store->OpenKey(parent.id, path, &key.id);
        if (e == ERROR_FILE_NOT_FOUND)
            e = ERROR_ACCESS_DENIED;
    }
    if (e)
        return e;
    if (path.empty() && RootIndex(hKey) >= 0)
        *phkResult = hKey;
    else
        *phkResult = InsertKey(key);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG QueryValueImpl(HKEY hKey, const std::wstring& name, LPDWORD lpReserved, LPDWORD lpType,
                    BYTE* lpData, LPDWORD lpcbData, bool wide)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (LONG e = Resolve(hKey, KEY_QUERY_VALUE, &key))
        return e;
    w32::RegistryValue value;
    if (LONG e = key.store->QueryValue(key.id, name, &value))
        return e;
    if (lpType)
        *lpType = value.type;
    return CopyData(FromStored(value.type, value.data, wide), lpData, lpcbData);
}

LONG SetValueImpl(HKEY hKey, const std::wstring& name, DWORD type, const BYTE* lpData, DWORD cbData,
                  bool wide)
{
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    if (name.size() > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (LONG e = Resolve(hKey, KEY_SET_VALUE, &key))
        return e;
    return key.store->SetValue(key.id, name, type, ToStored(type, lpData, cbData, wide));
}

LONG DeleteValueImpl(HKEY hKey, const std::wstring& name)
{
    OpenKey key;
    if (LONG e = Resolve(hKey, KEY_SET_VALUE, &key))
        return e;
    return key.store->DeleteValue(key.id, name);
}

LONG DeleteKeyImpl(HKEY hKey, const std::wstring* subKey)
{
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (LONG e = Resolve(hKey, 0, &key))
        return e;
    std::vector<std::wstring> path;
    if (LONG e = SplitPath(*subKey, &path))
        return e;
    return key.store->DeleteKey(key.id, path);
}

template <typename C>
LONG EnumKeyImpl(HKEY hKey, DWORD dwIndex, C* lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                 C* lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (LONG e = Resolve(hKey, KEY_ENUMERATE_SUB_KEYS, &key))
        return e;
    w32::RegistrySubKey sub;
    if (LONG e = key.store->EnumKey(key.id, dwIndex, &sub))
        return e;
    if (LONG e = CopyName(InWidth(sub.name, lpName), lpName, lpcchName))
        return e;
    if (lpClass)
    {
        if (LONG e = CopyName(InWidth(sub.className, lpClass), lpClass, lpcchClass))
            return e;
    }
    ToFileTime(sub.written, lpftLastWriteTime);
    return ERROR_SUCCESS;
}

template <typename C>
LONG EnumValueImpl(HKEY hKey, DWORD dwIndex, C* lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, BYTE* lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (LONG e = Resolve(hKey, KEY_QUERY_VALUE, &key))
        return e;
    w32::RegistryValue value;
    if (LONG e = key.store->EnumValue(key.id, dwIndex, &value))
        return e;
    if (LONG e = CopyName(InWidth(value.name, lpValueName), lpValueName, lpcchValueName))
        return e;
    if (lpType)
        *lpType = value.type;
    return CopyData(FromStored(value.type, value.data, sizeof(C) != 1), lpData, lpcbData);
}

template <typename C>
LONG QueryInfoImpl(HKEY hKey, C* lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                   LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                   LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                   LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    if (lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (LONG e = Resolve(hKey, KEY_QUERY_VALUE, &key))
        return e;
    w32::RegistryKeyInfo info;
    if (LONG e = key.store->QueryInfo(key.id, &info))
        return e;
    C* const width = nullptr;
    size_t maxSubKey = 0, maxClass = 0, maxValueName = 0, maxValue = 0;
    for (const w32::RegistrySubKey& sub : info.subKeys)
    {
        maxSubKey = std::max(maxSubKey, InWidth(sub.name, width).size());
        maxClass = std::max(maxClass, InWidth(sub.className, width).size());
    }
    for (const w32::RegistryValue& value : info.values)
    {
        maxValueName = std::max(maxValueName, InWidth(value.name, width).size());
        // As Windows: the size as stored (wide), in both forms; the narrow form
        // does not convert every value to measure it, and its sizes are never larger.
        maxValue = std::max(maxValue, FromStored(value.type, value.data, true).size());
    }
    LONG result = ERROR_SUCCESS;
    if (lpClass)
        result = CopyName(InWidth(info.className, width), lpClass, lpcchClass);
    else if (lpcchClass)
        *lpcchClass = static_cast<DWORD>(InWidth(info.className, width).size());
    if (lpcSubKeys)
        *lpcSubKeys = static_cast<DWORD>(info.subKeys.size());
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = static_cast<DWORD>(maxSubKey);
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = static_cast<DWORD>(maxClass);
    if (lpcValues)
        *lpcValues = static_cast<DWORD>(info.values.size());
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = static_cast<DWORD>(maxValueName);
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = static_cast<DWORD>(maxValue);
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0;
    ToFileTime(info.written, lpftLastWriteTime);
    return result;
}

// Wide form of an optional narrow name.
struct NameA
{
    explicit NameA(LPCSTR s) : value(FromAnsi(s)), given(s != nullptr) {}
    const std::wstring* Ptr() const { return given ? &value : nullptr; }
    std::wstring value;
    bool given;
};

struct NameW
{
    explicit NameW(LPCWSTR s) : value(s ? s : L""), given(s != nullptr) {}
    const std::wstring* Ptr() const { return given ? &value : nullptr; }
    std::wstring value;
    bool given;
};

} // namespace

namespace w32
{

std::string RegistryStorePath()
{
    const char* explicitPath = std::getenv("VELMAR_REGISTRY");
    if (explicitPath && *explicitPath)
        return explicitPath;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/velmar/registry.db";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/share/velmar/registry.db";
    return std::string();
}

LONG SetRegistryStoreAside(std::string* movedTo)
{
    const std::string path = RegistryStorePath();
    if (path.empty())
        return ERROR_REGISTRY_IO_FAILED;
    const time_t now = time(nullptr);
    struct tm local
    {
    };
    char stamp[32] = "0";
    if (localtime_r(&now, &local))
        strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string aside = path + ".damaged-" + stamp;
    struct stat st;
    for (int n = 2; sys::lstat(aside.c_str(), &st) == 0 && n < 1000; ++n)
        aside = path + ".damaged-" + stamp + "-" + std::to_string(n);
    if (sys::rename(path.c_str(), aside.c_str()) != 0)
        return static_cast<LONG>(SetLastErrorForPath(errno, path));
    // The log belongs to the damaged file; the shared-memory index is rebuilt.
    sys::rename((path + "-wal").c_str(), (aside + "-wal").c_str());
    sys::unlink((path + "-shm").c_str());
    if (movedTo)
        *movedTo = aside;
    return ERROR_SUCCESS;
}

} // namespace w32

LSTATUS WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    const NameA sub(lpSubKey);
    return OpenKeyImpl(hKey, sub.Ptr(), KEY_ALL_ACCESS, phkResult, true);
}

LSTATUS WINAPI RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult)
{
    const NameW sub(lpSubKey);
    return OpenKeyImpl(hKey, sub.Ptr(), KEY_ALL_ACCESS, phkResult, true);
}

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    const NameA sub(lpSubKey);
    return OpenKeyImpl(hKey, sub.Ptr(), samDesired, phkResult, false);
}

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    const NameW sub(lpSubKey);
    return OpenKeyImpl(hKey, sub.Ptr(), samDesired, phkResult, false);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR lpClass, DWORD,
                               REGSAM samDesired, LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                               LPDWORD lpdwDisposition)
{
    const NameA sub(lpSubKey);
    return CreateKeyImpl(hKey, sub.Ptr(), FromAnsi(lpClass), samDesired, phkResult,
                         lpdwDisposition);
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR lpClass, DWORD,
                               REGSAM samDesired, LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                               LPDWORD lpdwDisposition)
{
    const NameW sub(lpSubKey);
    return CreateKeyImpl(hKey, sub.Ptr(), lpClass ? lpClass : L"", samDesired, phkResult,
                         lpdwDisposition);
}

LSTATUS WINAPI RegCloseKey(HKEY hKey)
{
    if (!hKey)
        return ERROR_INVALID_HANDLE;
    if (RootIndex(hKey) >= 0)
        return ERROR_SUCCESS;
    std::shared_ptr<RegistryStore> store; // released outside the table's lock
    std::lock_guard<std::mutex> lock(g_keysMutex);
    const auto it = g_keys.find(reinterpret_cast<uintptr_t>(hKey));
    if (it == g_keys.end())
        return ERROR_INVALID_HANDLE;
    store = std::move(it->second.store);
    g_keys.erase(it);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                BYTE* lpData, LPDWORD lpcbData)
{
    return QueryValueImpl(hKey, FromAnsi(lpValueName), lpReserved, lpType, lpData, lpcbData, false);
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                BYTE* lpData, LPDWORD lpcbData)
{
    return QueryValueImpl(hKey, lpValueName ? lpValueName : L"", lpReserved, lpType, lpData,
                          lpcbData, true);
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType,
                              const BYTE* lpData, DWORD cbData)
{
    return SetValueImpl(hKey, FromAnsi(lpValueName), dwType, lpData, cbData, false);
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType,
                              const BYTE* lpData, DWORD cbData)
{
    return SetValueImpl(hKey, lpValueName ? lpValueName : L"", dwType, lpData, cbData, true);
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    return DeleteValueImpl(hKey, FromAnsi(lpValueName));
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    return DeleteValueImpl(hKey, lpValueName ? lpValueName : L"");
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    const NameA sub(lpSubKey);
    return DeleteKeyImpl(hKey, sub.Ptr());
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    const NameW sub(lpSubKey);
    return DeleteKeyImpl(hKey, sub.Ptr());
}

LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                             PFILETIME lpftLastWriteTime)
{
    return EnumKeyImpl(hKey, dwIndex, lpName, lpcchName, lpReserved, lpClass, lpcchClass,
                       lpftLastWriteTime);
}

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPWSTR lpClass, LPDWORD lpcchClass,
                             PFILETIME lpftLastWriteTime)
{
    return EnumKeyImpl(hKey, dwIndex, lpName, lpcchName, lpReserved, lpClass, lpcchClass,
                       lpftLastWriteTime);
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, BYTE* lpData, LPDWORD lpcbData)
{
    return EnumValueImpl(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved, lpType, lpData,
                         lpcbData);
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, BYTE* lpData, LPDWORD lpcbData)
{
    return EnumValueImpl(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved, lpType, lpData,
                         lpcbData);
}

LSTATUS WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    return QueryInfoImpl(hKey, lpClass, lpcchClass, lpReserved, lpcSubKeys, lpcbMaxSubKeyLen,
                         lpcbMaxClassLen, lpcValues, lpcbMaxValueNameLen, lpcbMaxValueLen,
                         lpcbSecurityDescriptor, lpftLastWriteTime);
}

LSTATUS WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    return QueryInfoImpl(hKey, lpClass, lpcchClass, lpReserved, lpcSubKeys, lpcbMaxSubKeyLen,
                         lpcbMaxClassLen, lpcValues, lpcbMaxValueNameLen, lpcbMaxValueLen,
                         lpcbSecurityDescriptor, lpftLastWriteTime);
}
