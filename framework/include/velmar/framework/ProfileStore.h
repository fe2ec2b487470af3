#pragma once
// Where the application's settings live. The framework keeps them in the
// registry, under HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
#include "velmar/framework/AfxString.h"

class CProfileStore
{
public:
    virtual ~CProfileStore() = default;
    virtual BOOL GetInt(LPCWSTR lpszSection, LPCWSTR lpszEntry,
                        int& nValue) = 0; // FALSE when absent
    virtual BOOL GetString(LPCWSTR lpszSection, LPCWSTR lpszEntry,
                           CString& strValue) = 0; // FALSE when absent
    virtual BOOL WriteInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue) = 0;
    // A null value removes the entry; a null entry removes the whole section.
    virtual BOOL WriteString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) = 0;
};

// The settings of company\application in the win32 layer's registry.
class CRegistryProfileStore : public CProfileStore
{
public:
    CRegistryProfileStore(LPCWSTR lpszCompany, LPCWSTR lpszApplication);
    BOOL GetInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int& nValue) override;
    BOOL GetString(LPCWSTR lpszSection, LPCWSTR lpszEntry, CString& strValue) override;
    BOOL WriteInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue) override;
    BOOL WriteString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) override;
    const CString& GetAppKeyPath() const
    {
        return m_strAppKey;
    } // "Software\<company>\<application>"

private:
    CString m_strAppKey;
};
