#include "velmar/foundation/String.h"

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace nkMem
{

bool FormatString(CStringT<char>& out, const char* format, std::va_list args)
{
    std::va_list counting;
    va_copy(counting, args);
    const int len = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    // Formatted into a fresh string: an argument may point into out's buffer.
    CStringT<char> result;
    if (len > 0)
    {
        char* p = result.GetBuffer(static_cast<std::uint32_t>(len));
        std::vsnprintf(p, static_cast<std::size_t>(len) + 1, format, args);
        result.ReleaseBuffer(len);
    }
    out.Swap(result);
    return len >= 0;
}

bool FormatString(CStringT<wchar_t>& out, const wchar_t* format, std::va_list args)
{
#ifdef __MINGW32__
    // MinGW's own formatter, not the CRT's: the CRT reads %s in a wide
    // format as a wide string, MinGW as on POSIX (narrow; %ls is wide), so
    // one format string means the same on both systems. It also counts.
    std::va_list counting;
    va_copy(counting, args);
    const int len = __mingw_vsnwprintf(nullptr, 0, format, counting);
    va_end(counting);
    CStringT<wchar_t> result;
    if (len > 0)
    {
        wchar_t* p = result.GetBuffer(static_cast<std::uint32_t>(len));
        __mingw_vsnwprintf(p, static_cast<std::size_t>(len) + 1, format, args);
        result.ReleaseBuffer(len);
    }
    out.Swap(result);
    return len >= 0;
#else
    // The C library cannot count a wide format here: vswprintf only says that
    // the buffer was too small. So the text is formatted into a scratch buffer
    // that doubles until it fits (bounded), then copied at its exact length.
    // A conversion error (EILSEQ) ends the attempts at once.
    constexpr std::size_t kMaxChars = std::size_t(1) << 26;
    wchar_t stackBuf[512];
    std::vector<wchar_t> heapBuf;
    wchar_t* buf = stackBuf;
    std::size_t size = sizeof(stackBuf) / sizeof(stackBuf[0]);
    int len = -1;
    for (;;)
    {
        std::va_list attempt;
        va_copy(attempt, args);
        errno = 0;
        len = std::vswprintf(buf, size, format, attempt);
        const int err = errno;
        va_end(attempt);
        if (len >= 0 || err == EILSEQ || size >= kMaxChars)
            break;
        size *= 2;
        heapBuf.resize(size);
        buf = heapBuf.data();
    }
    CStringT<wchar_t> result;
    if (len > 0)
    {
        wchar_t* p = result.GetBuffer(static_cast<std::uint32_t>(len));
        MemCopy(p, buf, static_cast<std::uint32_t>(len) * sizeof(wchar_t));
        result.ReleaseBuffer(len);
    }
    out.Swap(result);
    return len >= 0;
#endif
}

} // namespace nkMem
