#pragma once
// Character rules of names, parameter values, text, CDATA and remarks, shared
// by the node model, the parser and the editing commands. Characters are
// classified by their whole value in both widths: a wide character is never
// narrowed first, so no non-ASCII character is ever a letter.

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

// Text of a data node that is not CDATA: neither "<" nor ">".
template <class C> constexpr bool IsValidXmlText(const C* text)
{
    return detail::HasNoneOf(text, "<>");
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

} // namespace nkDS
