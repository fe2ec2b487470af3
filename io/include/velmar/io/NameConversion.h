#pragma once
// Conversion of file and mapping names between the two widths, with the
// system's ANSI code page.

#include <cstdint>
#include <string>

namespace Orvex
{

// Converts `count` wide characters; false when the page cannot convert them.
// `lossy`, when given, tells whether a character had no form in the page.
bool NarrowName(const wchar_t* name, size_t count, std::string& out, bool* lossy = nullptr);
// Converts `count` bytes; false when they do not decode in the page.
bool WideName(const char* name, size_t count, std::wstring& out);

} // namespace Orvex
