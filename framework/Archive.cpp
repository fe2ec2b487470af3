#include "velmar/framework/Archive.h"
#include "velmar/win32/Unicode.h"

#include <cstring>
#include <string>

CArchive::CArchive(CFile* pFile, UINT nMode) : m_pFile(pFile), m_nMode(nMode)
{
    if (!pFile)
        m_bError = TRUE;
}

CArchive::~CArchive() = default;

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    if (m_bError || !m_pFile || !IsLoading())
        return 0;
    UINT n = m_pFile->Read(lpBuf, nMax);
    m_nBytes += n;
    return n;
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    if (m_bError || !m_pFile || !IsStoring())
        return;
    if (!m_pFile->Write(lpBuf, nMax))
    {
        m_bError = TRUE;
        return;
    }
    m_nBytes += nMax;
}

BOOL CArchive::ReadExact(void* p, UINT n)
{
    if (Read(p, n) != n)
    {
        m_bError = TRUE;
        std::memset(p, 0, n);
        return FALSE;
    }
    return TRUE;
}

// Numbers are little-endian on disk whatever the machine.
template <class T> static void PutLE(CArchive& ar, T v)
{
    unsigned char b[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        b[i] = (unsigned char)((unsigned long long)v >> (8 * i));
    ar.Write(b, sizeof(T));
}

template <class T> static T GetLE(const unsigned char* b)
{
    unsigned long long v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= (unsigned long long)b[i] << (8 * i);
    return (T)v;
}

CArchive& CArchive::operator<<(BYTE by)
{
    Write(&by, 1);
    return *this;
}
CArchive& CArchive::operator<<(WORD w)
{
    PutLE(*this, w);
    return *this;
}
CArchive& CArchive::operator<<(DWORD dw)
{
    PutLE(*this, dw);
    return *this;
}
CArchive& CArchive::operator<<(LONG l)
{
    PutLE(*this, (DWORD)l);
    return *this;
}
CArchive& CArchive::operator<<(double d)
{
    unsigned long long bits;
    std::memcpy(&bits, &d, sizeof bits);
    PutLE(*this, bits);
    return *this;
}

CArchive& CArchive::operator>>(BYTE& by)
{
    ReadExact(&by, 1);
    return *this;
}
CArchive& CArchive::operator>>(WORD& w)
{
    unsigned char b[2];
    w = ReadExact(b, 2) ? GetLE<WORD>(b) : 0;
    return *this;
}
CArchive& CArchive::operator>>(DWORD& dw)
{
    unsigned char b[4];
    dw = ReadExact(b, 4) ? GetLE<DWORD>(b) : 0;
    return *this;
}
CArchive& CArchive::operator>>(LONG& l)
{
    DWORD dw = 0;
    *this >> dw;
    l = (LONG)dw;
    return *this;
}
CArchive& CArchive::operator>>(double& d)
{
    unsigned char b[8];
    unsigned long long bits = ReadExact(b, 8) ? GetLE<unsigned long long>(b) : 0;
    std::memcpy(&d, &bits, sizeof d);
    return *this;
}

CArchive& CArchive::operator<<(const CString& s)
{
    // Text as UTF-16 code units, whatever the width of wchar_t here.
    std::u16string units;
    for (wchar_t ch : s.Str())
    {
        const char32_t c = (char32_t)ch;
        if (unicode::NeedsSurrogatePair(c))
        {
            units += unicode::HighSurrogateOf(c);
            units += unicode::LowSurrogateOf(c);
        }
        else
        {
            units += (char16_t)c;
        }
    }
    *this << (DWORD)units.size();
    for (char16_t u : units)
        *this << (WORD)u;
    return *this;
}

CArchive& CArchive::operator>>(CString& s)
{
    DWORD n = 0;
    *this >> n;
    std::wstring text;
    // The length is data: never reserve from it, read until it or the input ends.
    for (DWORD i = 0; i < n && !m_bError; ++i)
    {
        WORD u = 0;
        *this >> u;
        if (m_bError)
            break;
        if (unicode::IsHighSurrogate(u) && i + 1 < n)
        {
            WORD low = 0;
            *this >> low;
            ++i;
            if (unicode::IsLowSurrogate(low) && sizeof(wchar_t) >= 4)
            {
                text += (wchar_t)unicode::JoinSurrogates(u, low);
                continue;
            }
            text += (wchar_t)u;
            text += (wchar_t)low;
            continue;
        }
        text += (wchar_t)u;
    }
    s = m_bError ? CString() : CString(text);
    return *this;
}
