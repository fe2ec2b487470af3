#pragma once
// Sixteen bytes at a time through text that is mostly fine: how far input
// holds only whole, well-formed UTF-8 characters and no NUL, judged without
// a branch per character where the processor has SSSE3.

#include <cstddef>
#include <cstdint>

namespace nkDS
{

// A length k <= n such that p[0..k) holds only whole characters of
// well-formed UTF-8 (no overlong forms, surrogates or values beyond
// Unicode) and no NUL byte. It may stop short of the first fault, or
// anywhere before the end (0 without SSSE3): the caller judges the rest a
// character at a time. `p` must begin a character.
size_t ValidUtf8Prefix(const uint8_t* p, size_t n);

} // namespace nkDS
