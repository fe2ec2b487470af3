#include "velmar/platform/LastErrorText.h"

#include "velmar/win32/win32.h"

namespace nkPlatform
{

namespace
{

constexpr DWORD kFormatFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
constexpr DWORD kUserDefaultLanguage = 0x400;

} // namespace

nkMem::CStringT<char>& GetLastErrorText(nkMem::CStringT<char>& out)
{
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD n = FormatMessageA(kFormatFlags, nullptr, code, kUserDefaultLanguage,
                                   reinterpret_cast<LPSTR>(&text), 0, nullptr);
    out.Empty();
    if (n && text)
        out.Assign(text, n);
    if (text)
        LocalFree(text);
    return out;
}

nkMem::CStringT<wchar_t>& GetLastErrorText(nkMem::CStringT<wchar_t>& out)
{
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(kFormatFlags, nullptr, code, kUserDefaultLanguage,
                                   reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    out.Empty();
    if (n && text)
        out.Assign(text, n);
    if (text)
        LocalFree(text);
    return out;
}

} // namespace nkPlatform
