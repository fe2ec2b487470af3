#include "velmar/io/NameConversion.h"

#include "velmar/win32/win32.h"

#include <climits>

namespace Orvex
{

bool NarrowName(const wchar_t* name, size_t count, std::string& out, bool* lossy)
{
    out.clear();
    if (lossy != nullptr)
        *lossy = false;
    if (name == nullptr || count > INT_MAX / 4)
        return false;
    if (count == 0)
        return true;
    const int n = static_cast<int>(count);
    // UTF-8 takes no used-default flag; strict conversion reports loss instead.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    // Elsewhere no best fit: Windows would name a look-alike file without
    // reporting the loss.
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    LPBOOL usedPtr = utf8 ? nullptr : &usedDefault;
    int bytes = WideCharToMultiByte(CP_ACP, flags, name, n, nullptr, 0, nullptr, usedPtr);
    if (bytes <= 0)
        return false;
    out.resize(static_cast<size_t>(bytes));
    bytes = WideCharToMultiByte(CP_ACP, flags, name, n, out.data(), bytes, nullptr, usedPtr);
    if (bytes <= 0)
    {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(bytes));
    if (lossy != nullptr)
        *lossy = usedDefault != FALSE;
    return true;
}

bool WideName(const char* name, size_t count, std::wstring& out)
{
    out.clear();
    if (name == nullptr || count > INT_MAX)
        return false;
    if (count == 0)
        return true;
    const int n = static_cast<int>(count);
    int chars = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, n, nullptr, 0);
    if (chars <= 0)
        return false;
    out.resize(static_cast<size_t>(chars));
    chars = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, n, out.data(), chars);
    if (chars <= 0)
    {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(chars));
    return true;
}

} // namespace Orvex
