#pragma once
// CString: the framework's wide text value, and the helpers that fill "%1"
// style placeholders and pick fields out of resource strings.
#include "velmar/framework/AfxTypes.h"

#include <string>

class QString;

class CString
{
public:
    CString() = default;
    CString(LPCWSTR psz) : m_str(psz ? psz : L"") {} // null reads as empty
    CString(LPCWSTR pch, int nLength)
        : m_str(pch && nLength > 0 ? std::wstring(pch, (size_t)nLength) : std::wstring())
    {
    }
    CString(wchar_t ch, int nRepeat = 1) : m_str(nRepeat > 0 ? (size_t)nRepeat : 0, ch) {}
    CString(const std::wstring& s) : m_str(s) {}

    operator LPCWSTR() const { return m_str.c_str(); }  // as MFC: usable wherever a C string is
    LPCWSTR GetString() const { return m_str.c_str(); } // the text, never null
    const std::wstring& Str() const { return m_str; }   // the text as a standard string
    int GetLength() const { return (int)m_str.size(); } // length in wchar_t units
    BOOL IsEmpty() const { return m_str.empty(); }      // TRUE for ""
    void Empty() { m_str.clear(); }                     // makes it ""
    wchar_t GetAt(int i) const
    {
        return i >= 0 && i < GetLength() ? m_str[(size_t)i] : 0;
    } // 0 when out of range

    CString& operator=(LPCWSTR psz)
    {
        m_str = psz ? psz : L"";
        return *this;
    }
    CString& operator+=(const CString& s)
    {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(LPCWSTR psz)
    {
        if (psz)
            m_str += psz;
        return *this;
    }
    CString& operator+=(wchar_t ch)
    {
        m_str += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b)
    {
        return CString(a.m_str + b.m_str);
    }
    friend CString operator+(const CString& a, LPCWSTR b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(LPCWSTR a, const CString& b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.m_str == (b ? b : L""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

    int Compare(LPCWSTR psz) const;                 // <0, 0, >0 as wcscmp
    int CompareNoCase(LPCWSTR psz) const;           // ignores case (Unicode simple folding)
    int Find(wchar_t ch, int nStart = 0) const;     // index or -1
    int Find(LPCWSTR pszSub, int nStart = 0) const; // index or -1
    int ReverseFind(wchar_t ch) const;              // last index or -1
    CString Left(int nCount) const;                 // clamped to the length
    CString Mid(int nFirst, int nCount = -1) const; // clamped; -1 = to the end
    CString Right(int nCount) const;                // clamped to the length
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);    // number of replacements
    void Format(LPCWSTR pszFormat, ...);            // swprintf rules: %ls for wide text
    BOOL LoadString(UINT nID); // from the string table; FALSE (and empty) if absent

private:
    std::wstring m_str;
};

// Replaces "%1" (and "%2") in the string resource nIDS; FALSE if the resource is missing.
void AfxFormatString1(CString& rString, UINT nIDS, LPCWSTR lpsz1);
void AfxFormatString2(CString& rString, UINT nIDS, LPCWSTR lpsz1, LPCWSTR lpsz2);
// Replaces "%1".."%9" in a format text with the given strings.
void AfxFormatStrings(CString& rString, LPCWSTR lpszFormat, const LPCWSTR* rglpsz, int nString);
// Field iSubString of lpszFullString split at chSep; FALSE when there are fewer fields.
BOOL AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString,
                         wchar_t chSep = L'\n');

// Conversions to and from Qt's text.
QString AfxToQString(LPCWSTR psz);
CString AfxFromQString(const QString& s);
