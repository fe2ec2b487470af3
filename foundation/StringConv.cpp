#include "velmar/foundation/String.h"
#include "velmar/win32/win32.h"

#include <climits>

namespace nkMem
{

bool ConvertString(CStringT<char>& out, const wchar_t* s, std::uint32_t len, unsigned codePage)
{
    if (!s || len == 0)
    {
        out.Empty();
        return true;
    }
    if (len > static_cast<std::uint32_t>(INT_MAX))
    {
        out.Empty();
        return false;
    }
    // Asking for the exact size first: two bytes per character, as a fixed
    // bound, would cut text that needs three or four (UTF-8, GB18030).
    const int need =
        WideCharToMultiByte(codePage, 0, s, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    if (need <= 0)
    {
        out.Empty();
        return false;
    }
    CStringT<char> result;
    char* p = result.GetBuffer(static_cast<std::uint32_t>(need));
    const int got =
        WideCharToMultiByte(codePage, 0, s, static_cast<int>(len), p, need + 1, nullptr, nullptr);
    if (got <= 0)
    {
        out.Empty();
        return false;
    }
    result.ReleaseBuffer(got);
    out.Swap(result);
    return true;
}

bool ConvertString(CStringT<wchar_t>& out, const char* s, std::uint32_t len, unsigned codePage)
{
    if (!s || len == 0)
    {
        out.Empty();
        return true;
    }
    if (len > static_cast<std::uint32_t>(INT_MAX) - 1)
    {
        out.Empty();
        return false;
    }
    // Every character takes at least one byte, so len characters always
    // suffice and one pass does.
    CStringT<wchar_t> result;
    wchar_t* p = result.GetBuffer(len);
    const int got =
        MultiByteToWideChar(codePage, 0, s, static_cast<int>(len), p, static_cast<int>(len) + 1);
    if (got <= 0)
    {
        out.Empty();
        return false;
    }
    result.ReleaseBuffer(got);
    out.Swap(result);
    return true;
}

} // namespace nkMem
