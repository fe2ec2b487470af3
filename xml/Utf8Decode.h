#pragma once
// UTF-8 straight to wide units for the reader: nearly every document is
// UTF-8, so its text is decoded here rather than through the code-page
// layer. Where the processor has AVX2, sixteen bytes go at a time, ASCII
// and other letters alike, without a branch per character.

#include <cstddef>

namespace nkDS
{

// The room DecodeUtf8Units needs for `bytes` bytes: never more units than
// bytes, and the sixteen it stores past the last.
constexpr size_t Utf8UnitsRoom(size_t bytes)
{
    return bytes + 16;
}

// The zero bytes DecodeUtf8Units reads past the last.
constexpr size_t kUtf8DecodePad = 32;

// Decodes n bytes of UTF-8 into wide units at `out` (a surrogate pair
// where wchar_t is 16 bits), with room for Utf8UnitsRoom(n); the
// kUtf8DecodePad bytes after p[n - 1] are zero. Returns the units, or
// SIZE_MAX when the bytes are no well-formed UTF-8 (a stray or missing
// continuation, an overlong form, a surrogate, a value beyond Unicode, a
// sequence cut off at the end).
size_t DecodeUtf8Units(const unsigned char* p, size_t n, wchar_t* out);
// The same a character at a time, as it runs where vectors cannot; it
// needs room for n units only.
size_t DecodeUtf8UnitsEach(const unsigned char* p, size_t n, wchar_t* out);

} // namespace nkDS
