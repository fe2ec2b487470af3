#include "Utf8Decode.h"
#include "CpuSimd.h"
#include "ReadWindow.h"

#include "velmar/win32/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace nkDS
{
namespace
{

// Decodes the character at p[i] into `out` and steps past it; false when
// it is no well-formed UTF-8.
inline bool DecodeOne(const unsigned char* p, size_t n, size_t& i, wchar_t*& out)
{
    if (p[i] < 0x80)
    {
        *out++ = static_cast<wchar_t>(p[i++]);
        return true;
    }
    const unicode::Utf8Decoded d = DecodeUtf8Fast(p + i, n - i);
    if (!d.valid)
        return false;
    if (sizeof(wchar_t) == 2 && unicode::NeedsSurrogatePair(d.codePoint))
    {
        *out++ = static_cast<wchar_t>(unicode::HighSurrogateOf(d.codePoint));
        *out++ = static_cast<wchar_t>(unicode::LowSurrogateOf(d.codePoint));
    }
    else
        *out++ = static_cast<wchar_t>(d.codePoint);
    i += d.length;
    return true;
}

#if VELMAR_X86_SIMD && __SIZEOF_WCHAR_T__ == 4
#define VELMAR_UTF8_CHUNKS 1

#define VELMAR_AVX2 __attribute__((target("avx2,popcnt")))

// The shuffle that gathers the 16-bit lanes a mask of eight keeps to the
// front of a vector.
struct CompactTable
{
    alignas(16) uint8_t shuffle[256][16] = {};
    constexpr CompactTable()
    {
        for (int mask = 0; mask < 256; ++mask)
        {
            int k = 0;
            for (int lane = 0; lane < 8; ++lane)
                if ((mask >> lane & 1) != 0)
                {
                    shuffle[mask][k++] = static_cast<uint8_t>(2 * lane);
                    shuffle[mask][k++] = static_cast<uint8_t>(2 * lane + 1);
                }
            for (; k < 16; ++k)
                shuffle[mask][k] = 0x80; // a zero byte
        }
    }
};
constexpr CompactTable kCompact;

VELMAR_AVX2 inline unsigned Mask(__m128i bytes)
{
    return static_cast<unsigned>(_mm_movemask_epi8(bytes));
}

// A bit for each byte of v that is `floor` or more.
VELMAR_AVX2 inline unsigned AtLeast(__m128i v, uint8_t floor)
{
    return Mask(_mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(floor))), v));
}

// A bit for each continuation byte (10xxxxxx) of v.
VELMAR_AVX2 inline unsigned Continuations(__m128i v)
{
    return Mask(_mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xC0))),
                               _mm_set1_epi8(static_cast<char>(0x80))));
}

// Decodes the characters that begin in the first min(rem, 16) bytes at p,
// of up to three bytes each; the eighteen bytes at p are readable, and
// those from p + rem on are zero (the input's padding). Writes the
// characters at `out` (sixteen units of room) and returns the bytes they
// take, or 0, writing nothing that counts, when the scalar decoder must
// judge these bytes (a four-byte form or a fault).
VELMAR_AVX2 inline size_t Chunk(const unsigned char* p, size_t rem, wchar_t*& out)
{
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
    const unsigned taken = static_cast<unsigned>(std::min<size_t>(rem, 16));
    const unsigned span = (1u << taken) - 1;
    // By the first byte: two bytes or more, three, four or more; C0 and C1
    // begin only overlong forms.
    const unsigned two = AtLeast(v0, 0xC0), three = AtLeast(v0, 0xE0), four = AtLeast(v0, 0xF0);
    const unsigned overlong2 = two & ~AtLeast(v0, 0xC2);
    // Continuations at bytes 0..17, and where the first bytes say they go.
    const unsigned cont = Continuations(v0) | (Continuations(v2) << 2 & 0x30000u);
    const unsigned expected = two << 1 | three << 2;
    const unsigned leads = ~cont & span;
    if ((((four | overlong2) & leads) | ((cont ^ expected) & (span | expected))) != 0)
        return 0;

    // Each byte's character as if one began there, in 16-bit lanes: three
    // bytes give at most 16 bits, and their first byte's prefix falls off
    // the top of the lane.
    const __m256i b0 = _mm256_cvtepu8_epi16(v0);
    const __m256i b1 = _mm256_and_si256(_mm256_cvtepu8_epi16(v1), _mm256_set1_epi16(0x3F));
    const __m256i b2 = _mm256_and_si256(_mm256_cvtepu8_epi16(v2), _mm256_set1_epi16(0x3F));
    const __m256i of2 =
        _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b0, _mm256_set1_epi16(0x1F)), 6), b1);
    const __m256i of3 =
        _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(b0, 12), _mm256_slli_epi16(b1, 6)), b2);
    const __m256i is2 = _mm256_cmpgt_epi16(b0, _mm256_set1_epi16(0xBF));
    const __m256i is3 = _mm256_cmpgt_epi16(b0, _mm256_set1_epi16(0xDF));
    const __m256i chars = _mm256_blendv_epi8(_mm256_blendv_epi8(b0, of2, is2), of3, is3);
    // A three-byte form below 0x800 is overlong; 0xD800..0xDFFF are
    // surrogates. Both have the top five bits 00000 or 11011.
    const __m256i top = _mm256_and_si256(chars, _mm256_set1_epi16(static_cast<short>(0xF800)));
    const __m256i bad = _mm256_and_si256(
        is3,
        _mm256_or_si256(_mm256_cmpeq_epi16(top, _mm256_setzero_si256()),
                        _mm256_cmpeq_epi16(top, _mm256_set1_epi16(static_cast<short>(0xD800)))));
    const unsigned badLeads =
        Mask(_mm_packs_epi16(_mm256_castsi256_si128(bad), _mm256_extracti128_si256(bad, 1)));
    if ((badLeads & leads) != 0)
        return 0;

    // The lanes of the characters' first bytes, to the front, as 32 bits.
    const unsigned lowLeads = leads & 0xFF, highLeads = leads >> 8;
    const __m128i low = _mm_shuffle_epi8(
        _mm256_castsi256_si128(chars),
        _mm_load_si128(reinterpret_cast<const __m128i*>(kCompact.shuffle[lowLeads])));
    const __m128i high = _mm_shuffle_epi8(
        _mm256_extracti128_si256(chars, 1),
        _mm_load_si128(reinterpret_cast<const __m128i*>(kCompact.shuffle[highLeads])));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_cvtepu16_epi32(low));
    out += __builtin_popcount(lowLeads);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_cvtepu16_epi32(high));
    out += __builtin_popcount(highLeads);
    // The last characters may end in bytes 16 and 17.
    return taken + static_cast<size_t>(__builtin_popcount(expected >> taken));
}

VELMAR_AVX2 size_t DecodeChunks(const unsigned char* p, size_t n, wchar_t* out)
{
    wchar_t* o = out;
    for (size_t i = 0; i < n;)
    {
        const size_t rem = n - i;
        if (const size_t took = Chunk(p + i, rem, o); took != 0)
        {
            i += took;
            continue;
        }
        // At least the same sixteen bytes a character at a time: a
        // four-byte form, or the fault to be found.
        const size_t end = i + (rem < 16 ? rem : 16);
        while (i < end)
            if (!DecodeOne(p, n, i, o))
                return SIZE_MAX;
    }
    return static_cast<size_t>(o - out);
}

#endif

} // namespace

size_t DecodeUtf8Units(const unsigned char* p, size_t n, wchar_t* out)
{
#if VELMAR_UTF8_CHUNKS
    if (HasAvx2())
        return DecodeChunks(p, n, out);
#endif
    return DecodeUtf8UnitsEach(p, n, out);
}

size_t DecodeUtf8UnitsEach(const unsigned char* p, size_t n, wchar_t* out)
{
    wchar_t* o = out;
    for (size_t i = 0; i < n;)
        if (!DecodeOne(p, n, i, o))
            return SIZE_MAX;
    return static_cast<size_t>(o - out);
}

} // namespace nkDS
