#pragma once
// Wide text to UTF-8 for what the tool prints, whatever the width of wchar_t.

#include <cstddef>
#include <string>

namespace vxml
{

// Appends `n` characters at `s` as UTF-8. Surrogate pairs (as a 16-bit
// wchar_t holds them) are joined; a lone surrogate or a value beyond Unicode
// becomes U+FFFD, so the output is always well-formed.
void AppendUtf8(std::string& out, const wchar_t* s, size_t n);
// The same up to the terminator; null gives "".
std::string Utf8(const wchar_t* s);

} // namespace vxml
