#include "velmar/win32/WideText.h"

#include "velmar/win32/CodePages.h"

#include <cwchar>

namespace w32
{

namespace
{

bool FromWide(UINT cp, LPCWSTR text, size_t len, std::string& out)
{
    out.clear();
    if (!text || len == 0)
        return true;
    if (cp == CP_ACP)
        cp = GetACP();
    const int n = WideCharToMultiByte(cp, cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, text,
                                      static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return false;
    out.resize(static_cast<size_t>(n));
    BOOL usedDefault = FALSE;
    const int m = WideCharToMultiByte(cp, cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, text,
                                      static_cast<int>(len), out.data(), n, nullptr,
                                      cp == CP_UTF8 ? nullptr : &usedDefault);
    return m == n && !usedDefault;
}

} // namespace

bool Utf8FromWide(LPCWSTR text, std::string& out)
{
    return FromWide(CP_UTF8, text, text ? std::wcslen(text) : 0, out);
}

bool Utf8FromWide(const std::wstring& text, std::string& out)
{
    return FromWide(CP_UTF8, text.data(), text.size(), out);
}

bool Utf8FromAnsi(LPCSTR text, std::string& out)
{
    out.clear();
    if (!text || !*text)
        return true;
    if (GetACP() == CP_UTF8)
    {
        out = text;
        return true;
    }
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.data(), n);
    return FromWide(CP_UTF8, wide.c_str(), wide.size() - 1, out);
}

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

bool AnsiFromWide(const std::wstring& text, std::string& out)
{
    return FromWide(CP_ACP, text.c_str(), text.size(), out);
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const wchar_t x = (a[i] >= L'A' && a[i] <= L'Z') ? static_cast<wchar_t>(a[i] + 32) : a[i];
        const wchar_t y = (b[i] >= L'A' && b[i] <= L'Z') ? static_cast<wchar_t>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

} // namespace w32
