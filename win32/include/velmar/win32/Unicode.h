#pragma once
// UTF-8 sequences and UTF-16 surrogate pairs, one code point at a time.
// Header-only, so every layer shares it in both builds, including the one
// where this layer is the system itself.

#include <cstddef>
#include <cstdint>
#include <string>

namespace unicode
{

inline constexpr char32_t kReplacementCharacter = 0xFFFD;
inline constexpr char32_t kMaxCodePoint = 0x10FFFF;
// Bytes of the longest UTF-8 sequence.
inline constexpr std::size_t kMaxUtf8Length = 4;

// UTF-16 writes U+10000 to U+10FFFF as a high surrogate (D800-DBFF)
// followed by a low one (DC00-DFFF). The tests take a unit of either width.
constexpr bool IsHighSurrogate(std::uint32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(std::uint32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}
constexpr bool IsSurrogate(std::uint32_t u)
{
    return u >= 0xD800 && u <= 0xDFFF;
}
// A character: at most U+10FFFF and no surrogate.
constexpr bool IsScalarValue(std::uint32_t c)
{
    return c <= kMaxCodePoint && !IsSurrogate(c);
}
// U+10000 to U+10FFFF: the values UTF-16 writes as a pair.
constexpr bool NeedsSurrogatePair(std::uint32_t c)
{
    return c >= 0x10000 && c <= kMaxCodePoint;
}
// The two halves of a value for which NeedsSurrogatePair holds.
constexpr char16_t HighSurrogateOf(char32_t c)
{
    return static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
}
constexpr char16_t LowSurrogateOf(char32_t c)
{
    return static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
}
// The code point of a high surrogate followed by a low one.
constexpr char32_t JoinSurrogates(std::uint32_t high, std::uint32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// What DecodeUtf8 read.
struct Utf8Decoded
{
    char32_t codePoint; // U+FFFD when not valid
    std::size_t length; // bytes taken, 1 to 4
    bool valid;
};

// Decodes the sequence at the start of `s` (n > 0 bytes). Valid means well
// formed: no overlong form, no encoded surrogate, nothing past U+10FFFF and
// no sequence cut short by a foreign byte or by the end. An ill-formed
// sequence takes its maximal subpart (the lead byte and the continuation
// bytes that could still have begun a valid sequence, at least one byte),
// so a caller that goes on after it reads each broken piece once.
constexpr Utf8Decoded DecodeUtf8(const unsigned char* s, std::size_t n)
{
    const unsigned c = s[0];
    if (c < 0x80)
        return {c, 1, true};
    std::size_t need;
    char32_t cp;
    unsigned lo = 0x80, hi = 0xBF; // the range of the next byte
    if (c >= 0xC2 && c <= 0xDF)
    {
        need = 1;
        cp = c & 0x1F;
    }
    else if (c >= 0xE0 && c <= 0xEF)
    {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0)
            lo = 0xA0; // overlong below U+0800
        else if (c == 0xED)
            hi = 0x9F; // surrogates
    }
    else if (c >= 0xF0 && c <= 0xF4)
    {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0)
            lo = 0x90; // overlong below U+10000
        else if (c == 0xF4)
            hi = 0x8F; // past U+10FFFF
    }
    else
    {
        return {kReplacementCharacter, 1, false};
    }
    std::size_t j = 1;
    for (; j <= need; ++j)
    {
        if (j >= n || s[j] < lo || s[j] > hi)
            return {kReplacementCharacter, j, false};
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (s[j] & 0x3F);
    }
    return {cp, j, true};
}

// Writes `c` as UTF-8 into `out` (room for kMaxUtf8Length bytes) and returns
// the bytes written. A value that is no character (a surrogate, or past
// U+10FFFF) is written as U+FFFD.
constexpr std::size_t EncodeUtf8(char32_t c, char* out)
{
    if (c < 0x80)
    {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800)
    {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (!IsScalarValue(c))
        c = kReplacementCharacter;
    if (c < 0x10000)
    {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// Appends `n` units of wide text as UTF-8. A high surrogate followed by a low
// one is one character (as a 16-bit wchar_t holds those past the BMP); any
// other surrogate, or a value past U+10FFFF, becomes U+FFFD, so the output is
// always well-formed.
inline void AppendUtf8(std::string& out, const wchar_t* s, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
    {
        char32_t c = static_cast<std::uint32_t>(s[i]);
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(static_cast<std::uint32_t>(s[i + 1])))
        {
            c = JoinSurrogates(c, static_cast<std::uint32_t>(s[i + 1]));
            ++i;
        }
        char bytes[kMaxUtf8Length];
        out.append(bytes, EncodeUtf8(c, bytes));
    }
}

} // namespace unicode
