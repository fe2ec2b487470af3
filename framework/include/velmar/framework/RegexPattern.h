#pragma once
// CRegexPattern: a compiled regular expression (Perl syntax) for searching
// and replacing in wide texts, reused across many texts without setting up
// anything per text.
#include "velmar/framework/AfxString.h"

#include <cstddef>
#include <memory>

class CRegexPattern
{
public:
    CRegexPattern();
    ~CRegexPattern();
    CRegexPattern(const CRegexPattern&) = delete;
    CRegexPattern& operator=(const CRegexPattern&) = delete;

    // FALSE, with the reason in *pError when given, for a pattern that does
    // not compile; an empty pattern is refused too (it would match everywhere).
    // bWholeWord: a match must begin and end at word boundaries.
    BOOL Compile(LPCWSTR lpszPattern, BOOL bMatchCase, BOOL bWholeWord, CString* pError = nullptr);
    BOOL IsCompiled() const;

    // Whether text[0, length) holds a match.
    BOOL Search(const wchar_t* text, size_t length) const;
    // The text with every match replaced by `with`, where \1 to \9 stand for
    // the captured groups; *pCount (when given) is the number of matches.
    CString Replace(const wchar_t* text, size_t length, LPCWSTR with, int* pCount) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_p;
};
