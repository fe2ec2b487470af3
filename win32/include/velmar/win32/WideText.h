#pragma once
// Conversions between the text of the Win32 calls (wide, or narrow in the ANSI
// code page) and the UTF-8 that the system's names and commands use.

#include "velmar/win32/Types.h"

#include <string>

namespace w32
{

// False for text that does not convert; a null pointer gives "".
bool Utf8FromWide(LPCWSTR text, std::string& out);
bool Utf8FromWide(const std::wstring& text, std::string& out);
bool Utf8FromAnsi(LPCSTR text, std::string& out);
std::wstring WideFromUtf8(const std::string& text);
// False when a character has no form in the ANSI code page.
bool AnsiFromWide(const std::wstring& text, std::string& out);

// ASCII-only case folding, as Win32 compares verbs, names and keys.
bool EqualsNoCase(const std::string& a, const std::string& b);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

} // namespace w32
