// The application's settings and its recent-file list in the registry.
#include "velmar/framework/WinApp.h"

#include "velmar/framework/AfxRes.h"
#include "velmar/framework/ProfileStore.h"
#include "velmar/framework/RecentFileList.h"

static const wchar_t kFileSection[] = L"Recent File List";
static const wchar_t kFileEntry[] = L"File%d";
static const wchar_t kPreviewSection[] = L"Settings";
static const wchar_t kPreviewEntry[] = L"PreviewPages";

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey)
{
    if (!lpszRegistryKey || !*lpszRegistryKey)
        return;
    InitApplication();
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    m_strProfileName = m_pszAppName;
    m_pszProfileName = m_strProfileName;
    m_pProfileStore = std::make_unique<CRegistryProfileStore>(m_strRegistryKey, m_strProfileName);
    SetDamagedSettingsAside();
}

void CWinApp::SetDamagedSettingsAside()
{
    // A damaged store answers every call with an error, so the settings would
    // silently stay at their defaults and nothing would ever be kept. It is
    // moved aside once, with a word to the user, and a fresh one begins.
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key);
    if (key)
        RegCloseKey(key);
    std::string movedTo;
    if (status != ERROR_BADDB || w32::SetRegistryStoreAside(&movedTo) != ERROR_SUCCESS)
        return;
    CString prompt;
    AfxFormatString1(prompt, AFX_IDP_SETTINGS_DAMAGED, CString(w32::WideFromUtf8(movedTo).c_str()));
    AfxMessageBox(prompt, MB_OK | MB_ICONWARNING);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString key;
    if (key.LoadString(nIDRegistryKey))
        SetRegistryKey(key);
}

UINT CWinApp::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault)
{
    int value = nDefault;
    if (!m_pProfileStore || !m_pProfileStore->GetInt(lpszSection, lpszEntry, value))
        return (UINT)nDefault;
    return (UINT)value;
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault)
{
    CString value;
    if (!m_pProfileStore || !m_pProfileStore->GetString(lpszSection, lpszEntry, value))
        return CString(lpszDefault);
    return value;
}

BOOL CWinApp::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue)
{
    return m_pProfileStore && m_pProfileStore->WriteInt(lpszSection, lpszEntry, nValue);
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    return m_pProfileStore && m_pProfileStore->WriteString(lpszSection, lpszEntry, lpszValue);
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    if (nMaxMRU != 0)
    {
        delete m_pRecentFileList;
        m_pRecentFileList =
            new CRecentFileList(ID_FILE_MRU_FILE1, kFileSection, kFileEntry, (int)nMaxMRU);
        if (m_pProfileStore)
            m_pRecentFileList->ReadList(*m_pProfileStore);
    }
    m_nNumPreviewPages = (int)GetProfileInt(kPreviewSection, kPreviewEntry, 0);
}

void CWinApp::SaveStdProfileSettings()
{
    if (!m_pProfileStore)
        return;
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList(*m_pProfileStore);
    if (m_nNumPreviewPages != 0)
        WriteProfileInt(kPreviewSection, kPreviewEntry, m_nNumPreviewPages);
}
