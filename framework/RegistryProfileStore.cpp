#include "velmar/framework/ProfileStore.h"

#include <cstring>
#include <vector>

namespace
{

// An open registry key, closed when it goes out of scope.
class CKey
{
public:
    ~CKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    HKEY* operator&() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

LSTATUS OpenSection(const CString& appKey, LPCWSTR lpszSection, BOOL bCreate, CKey& key,
                    REGSAM access = KEY_READ)
{
    CString path = appKey;
    if (lpszSection && *lpszSection)
        path += CString(L"\\") + lpszSection;
    if (bCreate)
        return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    return RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key);
}

} // namespace

CRegistryProfileStore::CRegistryProfileStore(LPCWSTR lpszCompany, LPCWSTR lpszApplication)
{
    m_strAppKey = CString(L"Software\\") + lpszCompany + L"\\" + lpszApplication;
}

BOOL CRegistryProfileStore::GetInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int& nValue)
{
    CKey key;
    if (OpenSection(m_strAppKey, lpszSection, FALSE, key) != ERROR_SUCCESS)
        return FALSE;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return FALSE;
    nValue = (int)value;
    return TRUE;
}

BOOL CRegistryProfileStore::GetString(LPCWSTR lpszSection, LPCWSTR lpszEntry, CString& strValue)
{
    CKey key;
    if (OpenSection(m_strAppKey, lpszSection, FALSE, key) != ERROR_SUCCESS)
        return FALSE;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    // The value may change between the two calls; a second size is tried once.
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
        DWORD cb = (DWORD)(buf.size() * sizeof(wchar_t));
        LSTATUS status = RegQueryValueExW(key, lpszEntry, nullptr, &type,
                                          reinterpret_cast<BYTE*>(buf.data()), &cb);
        if (status == ERROR_MORE_DATA)
        {
            size = cb;
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return FALSE;
        size_t n = std::min<size_t>(cb / sizeof(wchar_t), buf.size() - 1);
        buf[n] = L'\0';
        strValue = buf.data();
        return TRUE;
    }
    return FALSE;
}

BOOL CRegistryProfileStore::WriteInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue)
{
    CKey key;
    if (!lpszEntry || OpenSection(m_strAppKey, lpszSection, TRUE, key) != ERROR_SUCCESS)
        return FALSE;
    DWORD value = (DWORD)nValue;
    return RegSetValueExW(key, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

BOOL CRegistryProfileStore::WriteString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    if (!lpszEntry)
    {
        // The whole section goes; one that is not there is already gone.
        CKey appKey;
        if (OpenSection(m_strAppKey, nullptr, TRUE, appKey) != ERROR_SUCCESS)
            return FALSE;
        LSTATUS status = RegDeleteKeyW(appKey, lpszSection);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    CKey key;
    if (!lpszValue)
    {
        if (OpenSection(m_strAppKey, lpszSection, FALSE, key, KEY_READ | KEY_WRITE) !=
            ERROR_SUCCESS)
            return TRUE;
        LSTATUS status = RegDeleteValueW(key, lpszEntry);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    if (OpenSection(m_strAppKey, lpszSection, TRUE, key) != ERROR_SUCCESS)
        return FALSE;
    DWORD cb = (DWORD)((std::wcslen(lpszValue) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                          cb) == ERROR_SUCCESS;
}
