#include "velmar/win32/CodePages.h"

#include "velmar/win32/ErrorCodes.h"
#include "IconvCache.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Unicode.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

static_assert(sizeof(wchar_t) == 4, "this converter stores whole code points in wchar_t");

namespace
{

constexpr std::uint32_t kReplacement = unicode::kReplacementCharacter;
constexpr std::uint32_t kUnmapped = 0xFFFFFFFF;

// Output of a conversion: counts only when there is no buffer; stops at the
// first character that does not fit.
template <typename T> struct Sink
{
    T* buf;
    size_t cap;
    size_t n = 0;
    bool overflow = false;

    bool Room(size_t k)
    {
        if (buf && n + k > cap)
        {
            overflow = true;
            return false;
        }
        return true;
    }
    void Put(std::uint32_t c)
    {
        if (!Room(1))
            return;
        if (buf)
            buf[n] = static_cast<T>(c);
        ++n;
    }
    void PutBytes(const char* p, size_t k)
    {
        if (!Room(k))
            return;
        if (buf)
            std::memcpy(buf + n, p, k);
        n += k;
    }
};

// Windows-1252's 0x80-0x9F; the five unassigned bytes map to the C1 controls
// of the same value, as Windows does, so that they round-trip.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

enum class Kind
{
    Utf8,
    Ascii,
    Latin1,
    Cp1252,
    Iconv
};

bool KindOf(UINT cp, Kind& kind)
{
    switch (cp)
    {
    case CP_UTF8:
        kind = Kind::Utf8;
        return true;
    case 20127:
        kind = Kind::Ascii;
        return true;
    case 28591:
        kind = Kind::Latin1;
        return true;
    case 1252:
        kind = Kind::Cp1252;
        return true;
    default:
        kind = Kind::Iconv;
        return w32::CachedIconv(cp, true) != reinterpret_cast<iconv_t>(-1);
    }
}

UINT Resolve(UINT cp)
{
    return (cp == CP_ACP || cp == CP_OEMCP || cp == CP_THREAD_ACP) ? GetACP() : cp;
}

inline bool AllAscii8(const unsigned char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return (v & 0x8080808080808080ull) == 0;
}

// Each ill-formed subsequence (maximal subpart) becomes one U+FFFD.
bool DecodeUtf8(const unsigned char* s, size_t len, bool strict, Sink<wchar_t>& out)
{
    size_t i = 0;
    while (i < len && !out.overflow)
    {
        if (i + 8 <= len && AllAscii8(s + i) && out.Room(8))
        {
            if (out.buf)
                for (int k = 0; k < 8; ++k)
                    out.buf[out.n + k] = s[i + k];
            out.n += 8;
            i += 8;
            continue;
        }
        const unicode::Utf8Decoded d = unicode::DecodeUtf8(s + i, len - i);
        if (!d.valid && strict)
            return false;
        out.Put(d.codePoint);
        i += d.length;
    }
    return true;
}

bool EncodeUtf8(const wchar_t* w, size_t len, bool strict, bool& replaced, Sink<char>& out)
{
    for (size_t i = 0; i < len && !out.overflow; ++i)
    {
        const std::uint32_t c = static_cast<std::uint32_t>(w[i]);
        if (c < 0x80)
        {
            out.Put(c);
            continue;
        }
        if (!unicode::IsScalarValue(c))
        {
            if (strict)
                return false;
            replaced = true; // written as U+FFFD
        }
        char b[unicode::kMaxUtf8Length];
        out.PutBytes(b, unicode::EncodeUtf8(c, b));
    }
    return true;
}

inline std::uint32_t DecodeSingle(Kind kind, unsigned char b)
{
    if (b < 0x80)
        return b;
    switch (kind)
    {
    case Kind::Latin1:
        return b;
    case Kind::Cp1252:
        return b < 0xA0 ? kCp1252High[b - 0x80] : b;
    default:
        return kUnmapped;
    }
}

inline int EncodeSingle(Kind kind, std::uint32_t c)
{
    if (c < 0x80)
        return static_cast<int>(c);
    switch (kind)
    {
    case Kind::Latin1:
        return c <= 0xFF ? static_cast<int>(c) : -1;
    case Kind::Cp1252:
        if (c >= 0xA0 && c <= 0xFF)
            return static_cast<int>(c);
        for (int k = 0; k < 32; ++k)
            if (kCp1252High[k] == c)
                return 0x80 + k;
        return -1;
    default:
        return -1;
    }
}

bool DecodeSingleByte(Kind kind, const unsigned char* s, size_t len, bool strict,
                      Sink<wchar_t>& out)
{
    for (size_t i = 0; i < len && !out.overflow; ++i)
    {
        std::uint32_t c = DecodeSingle(kind, s[i]);
        if (c == kUnmapped)
        {
            if (strict)
                return false;
            c = kReplacement;
        }
        out.Put(c);
    }
    return true;
}

// Writes into [o, o + cap) what the converter still holds (some pages keep a
// letter back until they know whether a combining mark follows) and returns
// it to its initial state; the count of bytes written.
size_t FlushIconv(iconv_t cd, char* o, size_t cap)
{
    size_t left = cap;
    iconv(cd, nullptr, nullptr, &o, &left);
    return cap - left;
}

bool DecodeIconv(UINT cp, const unsigned char* s, size_t len, bool strict, Sink<wchar_t>& out)
{
    iconv_t cd = w32::CachedIconv(cp, true);
    std::uint32_t chunk[256];
    const auto flush = [&]
    {
        const size_t n = FlushIconv(cd, reinterpret_cast<char*>(chunk), sizeof chunk);
        for (size_t k = 0; k < n / sizeof chunk[0]; ++k)
            out.Put(chunk[k]);
    };
    bool held = false; // the converter has seen input since it was last flushed
    size_t i = 0;
    while (i < len && !out.overflow)
    {
        if (s[i] < 0x80)
        { // ASCII is itself in every page converted here
            if (held)
                flush();
            held = false;
            out.Put(s[i]);
            ++i;
            continue;
        }
        char* in = const_cast<char*>(reinterpret_cast<const char*>(s + i));
        size_t inLeft = len - i;
        char* o = reinterpret_cast<char*>(chunk);
        size_t oLeft = sizeof chunk;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        const int err = errno;
        const size_t produced = (sizeof chunk - oLeft) / sizeof chunk[0];
        for (size_t k = 0; k < produced; ++k)
            out.Put(chunk[k]);
        i = len - inLeft;
        held = true;
        if (r == static_cast<size_t>(-1) && err != E2BIG)
        {
            if (strict)
                return false;
            flush();
            held = false;
            out.Put(kReplacement); // a byte that starts no character, or a cut-off one
            ++i;
        }
    }
    if (held)
        flush();
    return true;
}

struct DefaultChar
{
    char bytes[2];
    size_t len;
};

bool EncodeIconv(UINT cp, const wchar_t* w, size_t len, bool strict, const DefaultChar& def,
                 bool& usedDefault, Sink<char>& out)
{
    iconv_t cd = w32::CachedIconv(cp, false);
    char chunk[1024];
    const auto flush = [&] { out.PutBytes(chunk, FlushIconv(cd, chunk, sizeof chunk)); };
    bool held = false; // the converter has seen input since it was last flushed
    size_t i = 0;
    while (i < len && !out.overflow)
    {
        if (static_cast<std::uint32_t>(w[i]) < 0x80)
        {
            if (held)
                flush();
            held = false;
            out.Put(static_cast<std::uint32_t>(w[i]));
            ++i;
            continue;
        }
        char* in = const_cast<char*>(reinterpret_cast<const char*>(w + i));
        size_t inLeft = (len - i) * sizeof(wchar_t);
        char* o = chunk;
        size_t oLeft = sizeof chunk;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        const int err = errno;
        out.PutBytes(chunk, sizeof chunk - oLeft);
        i = len - inLeft / sizeof(wchar_t);
        held = true;
        if (r == static_cast<size_t>(-1) && err != E2BIG)
        {
            if (strict)
                return false;
            flush();
            held = false;
            out.PutBytes(def.bytes, def.len);
            usedDefault = true;
            ++i;
        }
    }
    if (held)
        flush();
    return true;
}

} // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar)
{
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && !lpWideCharStr) ||
        static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const UINT cp = Resolve(CodePage);
    Kind kind;
    if (!KindOf(cp, kind))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // UTF-8 and GB18030 take only MB_ERR_INVALID_CHARS when named; code written
    // for an ANSI page keeps its flags when the ANSI page here is UTF-8.
    const bool strictFlags = (cp == CP_UTF8 || cp == 54936) && cp == CodePage;
    const DWORD allowed =
        strictFlags ? MB_ERR_INVALID_CHARS
                    : (MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS);
    if ((dwFlags & ~allowed) || ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE)))
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const bool strict = dwFlags & MB_ERR_INVALID_CHARS;
    const auto* s = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    const size_t len =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    Sink<wchar_t> out{cchWideChar ? lpWideCharStr : nullptr, static_cast<size_t>(cchWideChar)};
    bool ok;
    switch (kind)
    {
    case Kind::Utf8:
        ok = DecodeUtf8(s, len, strict, out);
        break;
    case Kind::Iconv:
        ok = DecodeIconv(cp, s, len, strict, out);
        break;
    default:
        ok = DecodeSingleByte(kind, s, len, strict, out);
        break;
    }
    if (!ok)
    {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (out.overflow)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(out.n); // never more characters than bytes
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar)
{
    if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && !lpMultiByteStr) ||
        static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const UINT cp = Resolve(CodePage);
    Kind kind;
    if (!KindOf(cp, kind))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (kind == Kind::Utf8 && CodePage == CP_UTF8)
    {
        if (dwFlags & ~WC_ERR_INVALID_CHARS)
        {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        if (lpDefaultChar || lpUsedDefaultChar)
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    else if (kind == Kind::Utf8)
    {
        // The ANSI page happens to be UTF-8: the flags and default-character
        // arguments of code written for other pages are accepted.
        if (dwFlags & ~(WC_ERR_INVALID_CHARS | WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS |
                        WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS))
        {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
    }
    else
    {
        const DWORD allowed = (cp == 54936 && CodePage == 54936)
                                  ? WC_ERR_INVALID_CHARS
                                  : (WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS |
                                     WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS);
        if (dwFlags & ~allowed)
        {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
    }
    const size_t len =
        cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    Sink<char> out{cbMultiByte ? lpMultiByteStr : nullptr, static_cast<size_t>(cbMultiByte)};
    bool usedDefault = false;
    bool ok = true;
    if (kind == Kind::Utf8)
    {
        ok = EncodeUtf8(lpWideCharStr, len, dwFlags & WC_ERR_INVALID_CHARS, usedDefault, out);
        if (lpUsedDefaultChar)
            *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    else
    {
        DefaultChar def{{'?', 0}, 1};
        if (lpDefaultChar && *lpDefaultChar)
        {
            def.bytes[0] = lpDefaultChar[0];
            // A double-byte page takes a two-byte default character whole.
            if (kind == Kind::Iconv && static_cast<unsigned char>(lpDefaultChar[0]) >= 0x80 &&
                lpDefaultChar[1])
            {
                def.bytes[1] = lpDefaultChar[1];
                def.len = 2;
            }
        }
        if (kind == Kind::Iconv)
        {
            ok = EncodeIconv(cp, lpWideCharStr, len, dwFlags & WC_ERR_INVALID_CHARS, def,
                             usedDefault, out);
        }
        else
        {
            for (size_t i = 0; i < len && !out.overflow; ++i)
            {
                const int b = EncodeSingle(kind, static_cast<std::uint32_t>(lpWideCharStr[i]));
                if (b >= 0)
                {
                    out.Put(static_cast<std::uint32_t>(b));
                }
                else
                {
                    out.PutBytes(def.bytes, def.len);
                    usedDefault = true;
                }
            }
        }
        if (lpUsedDefaultChar)
            *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    if (!ok)
    {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (out.overflow)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (out.n > static_cast<size_t>(INT_MAX))
    {
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return 0;
    }
    return static_cast<int>(out.n);
}

BOOL WINAPI IsValidCodePage(UINT CodePage)
{
    if (CodePage == CP_ACP || CodePage == CP_OEMCP || CodePage == CP_THREAD_ACP)
        return FALSE; // names of pages, not pages
    Kind kind;
    return KindOf(CodePage, kind) ? TRUE : FALSE;
}
