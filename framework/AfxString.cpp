#include "velmar/framework/AfxString.h"

#include "velmar/framework/Resources.h"

#include <QString>

#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

int CString::Compare(LPCWSTR psz) const
{
    return m_str.compare(psz ? psz : L"");
}

int CString::CompareNoCase(LPCWSTR psz) const
{
    return AfxToQString(m_str.c_str()).compare(AfxToQString(psz), Qt::CaseInsensitive);
}

int CString::Find(wchar_t ch, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    size_t pos = m_str.find(ch, (size_t)nStart);
    return pos == std::wstring::npos ? -1 : (int)pos;
}

int CString::Find(LPCWSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    size_t pos = m_str.find(pszSub, (size_t)nStart);
    return pos == std::wstring::npos ? -1 : (int)pos;
}

int CString::ReverseFind(wchar_t ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::wstring::npos ? -1 : (int)pos;
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    return CString(m_str.substr(0, (size_t)nCount));
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength() || nCount == 0)
        return CString();
    return CString(m_str.substr((size_t)nFirst, nCount < 0 ? std::wstring::npos : (size_t)nCount));
}

CString CString::Right(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= GetLength())
        return *this;
    return CString(m_str.substr(m_str.size() - (size_t)nCount));
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    std::wstring from(pszOld), to(pszNew ? pszNew : L"");
    int count = 0;
    size_t pos = 0;
    while ((pos = m_str.find(from, pos)) != std::wstring::npos)
    {
        m_str.replace(pos, from.size(), to);
        pos += to.size();
        ++count;
    }
    return count;
}

void CString::Format(LPCWSTR pszFormat, ...)
{
    if (!pszFormat)
    {
        m_str.clear();
        return;
    }
    // vswprintf reports truncation only as -1, so grow until the text fits.
    std::vector<wchar_t> buf(256);
    for (;;)
    {
        va_list args;
        va_start(args, pszFormat);
        int n = std::vswprintf(buf.data(), buf.size(), pszFormat, args);
        va_end(args);
        if (n >= 0 && (size_t)n < buf.size())
        {
            m_str.assign(buf.data(), (size_t)n);
            return;
        }
        if (buf.size() >= (1u << 24))
        { // a format that never fits is a bad format
            m_str.clear();
            return;
        }
        buf.resize(buf.size() * 4);
    }
}

BOOL CString::LoadString(UINT nID)
{
    LPCWSTR psz = AfxFindStringResource(nID);
    m_str = psz ? psz : L"";
    return psz != nullptr;
}

void AfxFormatStrings(CString& rString, LPCWSTR lpszFormat, const LPCWSTR* rglpsz, int nString)
{
    std::wstring out;
    for (LPCWSTR p = lpszFormat ? lpszFormat : L""; *p; ++p)
    {
        if (p[0] == L'%' && p[1] >= L'1' && p[1] <= L'9')
        {
            int i = p[1] - L'1';
            if (i < nString && rglpsz[i])
                out += rglpsz[i];
            ++p;
        }
        else
        {
            out += *p;
        }
    }
    rString = CString(out);
}

void AfxFormatString1(CString& rString, UINT nIDS, LPCWSTR lpsz1)
{
    CString fmt;
    fmt.LoadString(nIDS);
    AfxFormatStrings(rString, fmt, &lpsz1, 1);
}

void AfxFormatString2(CString& rString, UINT nIDS, LPCWSTR lpsz1, LPCWSTR lpsz2)
{
    CString fmt;
    fmt.LoadString(nIDS);
    LPCWSTR args[2] = {lpsz1, lpsz2};
    AfxFormatStrings(rString, fmt, args, 2);
}

BOOL AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString, wchar_t chSep)
{
    rString.Empty();
    if (!lpszFullString || iSubString < 0)
        return FALSE;
    LPCWSTR p = lpszFullString;
    for (int i = 0; i < iSubString; ++i)
    {
        p = std::wcschr(p, chSep);
        if (!p)
            return FALSE;
        ++p;
    }
    LPCWSTR end = std::wcschr(p, chSep);
    rString = end ? CString(p, (int)(end - p)) : CString(p);
    return TRUE;
}

QString AfxToQString(LPCWSTR psz)
{
    return psz ? QString::fromWCharArray(psz) : QString();
}

CString AfxFromQString(const QString& s)
{
    return CString(s.toStdWString());
}
