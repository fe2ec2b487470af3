#pragma once
// Wide text straight to UTF-8 with the writer's escapes: UTF-8 is what
// nearly every document is written in, so it is encoded here rather than
// through the code-page layer. Where the processor has AVX2, runs of
// characters that need no escape go eight at a time, without a branch per
// character.

#include <cstddef>

namespace nkDS
{

// The room EncodeUtf8Text needs for `chars` characters: at most 6 bytes
// per character ("&quot;"), and the 32 it stores at a time.
constexpr size_t Utf8TextRoom(size_t chars)
{
    return chars * 6 + 32;
}

// Encodes text[from..to) of text[0..n) at `out` with the escapes of level
// `escape` (as the writer's Text has them); the rest of the text is what
// tells a reference from a bare "&", and a "]]>" from a ">". Stops before
// a lone surrogate or a value beyond Unicode, which it leaves to the
// code-page layer to write; returns where it stopped and sets `written` to
// the bytes.
size_t EncodeUtf8Text(const wchar_t* text, size_t n, size_t from, size_t to, int escape, char* out,
                      size_t& written);
// The same a character at a time, as it runs where vectors cannot.
size_t EncodeUtf8TextEach(const wchar_t* text, size_t n, size_t from, size_t to, int escape,
                          char* out, size_t& written);

} // namespace nkDS
