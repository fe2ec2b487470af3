#pragma once
// Character rules of names, parameter values, text, CDATA and remarks, shared
// by the node model, the parser and the editing commands. Characters are
// classified by their whole value in both widths: a wide character is never
// narrowed first, so in the editor's own dialect no non-ASCII character is
// ever a letter. XML 1.0 mode has rules of its own (the `xml10` overloads).
#include <cstddef>
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

namespace nkDS
{

template <class C> constexpr bool IsXmlLetter(C c)
{
    return (c >= C('A') && c <= C('Z')) || (c >= C('a') && c <= C('z'));
}

template <class C> constexpr bool IsXmlDigit(C c)
{
    return c >= C('0') && c <= C('9');
}

// Letter, digit, "-", "_" or ".". The colon is not one: names have no prefixes.
template <class C> constexpr bool IsXmlNameChar(C c)
{
    return IsXmlLetter(c) || IsXmlDigit(c) || c == C('-') || c == C('_') || c == C('.');
}

// A letter or "_", then name characters; null and empty names fail.
template <class C> constexpr bool IsValidXmlName(const C* name)
{
    if (name == nullptr || !(IsXmlLetter(name[0]) || name[0] == C('_')))
        return false;
    for (const C* p = name + 1; *p != C(0); ++p)
        if (!IsXmlNameChar(*p))
            return false;
    return true;
}

// XML 1.0 (fifth edition) NameStartChar and NameChar, by code point.
constexpr bool IsXml10NameStart(char32_t c)
{
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c == U'_' || c == U':';
    return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C ||
           c == 0x200D || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
           (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

constexpr bool IsXml10NameChar(char32_t c)
{
    return IsXml10NameStart(c) || (c >= U'0' && c <= U'9') || c == U'-' || c == U'.' || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

namespace detail
{

// The code point at s[i] and the units it takes, or 0 units when s[i] does
// not begin a well-formed character. Narrow text is read as UTF-8 (no
// overlong forms, surrogates or values beyond Unicode); wide text as whole
// code points, or UTF-16 where wchar_t has 16 bits.
constexpr size_t NextCode(const char* s, size_t i, char32_t& c)
{
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80)
        return c = b, 1;
    size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || b > 0xF4)
        return 0;
    c = b & (0x3F >> (n - 1));
    for (size_t k = 1; k < n; ++k)
    {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) // the terminator ends a short sequence here too
            return 0;
        c = (c << 6) | (t & 0x3F);
    }
    const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    return c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? 0 : n;
}

constexpr size_t NextCode(const wchar_t* s, size_t i, char32_t& c)
{
    c = static_cast<char32_t>(s[i]);
    if constexpr (sizeof(wchar_t) == 2)
    {
        if (c >= 0xD800 && c <= 0xDBFF && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(s[i + 1]) - 0xDC00);
            return 2;
        }
    }
    return c >= 0xD800 && c <= 0xDFFF ? 0 : 1;
}

} // namespace detail

// A name by the XML Name production: prefixes ("svg:rect") and non-ASCII
// letters pass. Narrow names are taken as UTF-8, so a byte that is not part
// of a well-formed UTF-8 sequence of name characters fails the name.
template <class C> constexpr bool IsValidXml10Name(const C* name)
{
    if (name == nullptr || name[0] == C(0))
        return false;
    for (size_t i = 0; name[i] != C(0);)
    {
        char32_t c = 0;
        const size_t n = detail::NextCode(name, i, c);
        if (n == 0 || !(i == 0 ? IsXml10NameStart(c) : IsXml10NameChar(c)))
            return false;
        i += n;
    }
    return true;
}

// The name rule of a node in the given mode.
template <class C> constexpr bool IsValidXmlName(const C* name, bool xml10)
{
    return xml10 ? IsValidXml10Name(name) : IsValidXmlName(name);
}

namespace detail
{

// Whether `s` holds none of the characters of `set` (an ASCII string).
template <class C> constexpr bool HasNoneOf(const C* s, const char* set)
{
    if (s == nullptr)
        return true;
    for (; *s != C(0); ++s)
        for (const char* q = set; *q != '\0'; ++q)
            if (*s == C(*q))
                return false;
    return true;
}

// Whether `s` contains the ASCII sequence `seq` anywhere.
template <class C> constexpr bool Contains(const C* s, const char* seq)
{
    if (s == nullptr)
        return false;
    for (; *s != C(0); ++s)
    {
        const C* p = s;
        const char* q = seq;
        while (*q != '\0' && *p == C(*q))
        {
            ++p;
            ++q;
        }
        if (*q == '\0')
            return true;
    }
    return false;
}

} // namespace detail

// No double quote, single quote or "<"; a null value passes.
template <class C> constexpr bool IsValidParamValue(const C* value)
{
    return detail::HasNoneOf(value, "\"'<");
}

// In XML 1.0 mode a value may hold one quote kind (it is written in the
// other); it still cannot hold "<".
template <class C> constexpr bool IsValidParamValue(const C* value, bool xml10)
{
    if (!xml10)
        return IsValidParamValue(value);
    return detail::HasNoneOf(value, "<") &&
           (detail::HasNoneOf(value, "'") || detail::HasNoneOf(value, "\""));
}

// Text of a data node that is not CDATA: neither "<" nor ">".
template <class C> constexpr bool IsValidXmlText(const C* text)
{
    return detail::HasNoneOf(text, "<>");
}

// Text in XML 1.0 mode: ">" is allowed, except as the end of "]]>".
template <class C> constexpr bool IsValidXmlText(const C* text, bool xml10)
{
    return xml10 ? detail::HasNoneOf(text, "<") && !detail::Contains(text, "]]>")
                 : IsValidXmlText(text);
}

// CDATA content cannot hold the sequence that would end the section.
template <class C> constexpr bool IsValidCData(const C* text)
{
    return !detail::Contains(text, "]]>");
}

// Remark text cannot hold the sequence that would end the comment.
template <class C> constexpr bool IsValidRemark(const C* text)
{
    return !detail::Contains(text, "-->");
}

// Whether the ">" at s[i] ends "]]>", which text may not hold as it is.
template <class C> constexpr bool ClosesCData(const C* s, size_t i)
{
    return i >= 2 && s[i - 1] == C(']') && s[i - 2] == C(']');
}

// The length of the character or entity reference that s[0..n) begins with
// ("&name;", "&#digits;" or "&#xhex;"), or 0 when it begins with none.
// References are ASCII, so wide text is checked as it stands.
template <class C> constexpr size_t ReferenceLength(const C* s, size_t n)
{
    if (n == 0 || s[0] != C('&'))
        return 0;
    size_t i = 1;
    if (i < n && s[i] == C('#'))
    {
        ++i;
        const bool hex = i < n && (s[i] == C('x') || s[i] == C('X'));
        if (hex)
            ++i;
        const size_t first = i;
        while (i < n && (IsXmlDigit(s[i]) || (hex && ((s[i] >= C('a') && s[i] <= C('f')) ||
                                                      (s[i] >= C('A') && s[i] <= C('F'))))))
            ++i;
        return i > first && i < n && s[i] == C(';') ? i + 1 : 0;
    }
    if (i >= n || !(IsXmlLetter(s[i]) || s[i] == C('_')))
        return 0;
    while (i < n && IsXmlNameChar(s[i]))
        ++i;
    return i < n && s[i] == C(';') ? i + 1 : 0;
}

// Replaces the predefined entity references (amp, lt, gt, quot, apos) and
// the character references of `text` by the characters they stand for; an
// "&" that begins no reference stays. False, with `out` unspecified, when
// `text` refers to any other entity (only the document's declarations could
// say what it stands for) or to a number that is no character.
inline bool DecodeReferences(const wchar_t* text, std::wstring& out)
{
    out.clear();
    if (text == nullptr)
        return true;
    const std::wstring_view s(text);
    for (size_t i = 0; i < s.size();)
    {
        const size_t n = ReferenceLength(s.data() + i, s.size() - i);
        if (n == 0)
        {
            out += s[i++];
            continue;
        }
        const std::wstring_view name = s.substr(i + 1, n - 2);
        i += n;
        if (name[0] != L'#')
        {
            static constexpr std::pair<std::wstring_view, wchar_t> kPredefined[] = {
                {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
            const auto* hit = std::find_if(std::begin(kPredefined), std::end(kPredefined),
                                           [&](const auto& e) { return e.first == name; });
            if (hit == std::end(kPredefined))
                return false;
            out += hit->second;
            continue;
        }
        const bool hex = name[1] == L'x' || name[1] == L'X';
        char32_t code = 0;
        for (wchar_t c : name.substr(hex ? 2 : 1))
        {
            const unsigned digit = IsXmlDigit(c) ? c - L'0' : (c | 0x20) - L'a' + 10;
            code = code * (hex ? 16 : 10) + digit;
            if (code > 0x10FFFF)
                return false;
        }
        if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if constexpr (sizeof(wchar_t) == 2)
        {
            if (code > 0xFFFF)
            {
                code -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (code >> 10));
                out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
                continue;
            }
        }
        out += static_cast<wchar_t>(code);
    }
    return true;
}

} // namespace nkDS
