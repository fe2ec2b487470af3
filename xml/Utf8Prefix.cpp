#include "Utf8Prefix.h"
#include "CpuSimd.h"

namespace nkDS
{
namespace
{

#if VELMAR_X86_SIMD

// Every fault of UTF-8 shows in a pair of neighbouring bytes, or in a
// continuation byte that no lead two or three bytes back asks for. Each
// byte pair is classed by three table lookups (the first byte's high and
// low half, the second byte's high half); a bit left set in all three
// names a fault.
enum : uint8_t
{
    kTooShort = 1 << 0,  // a lead not followed by a continuation
    kTooLong = 1 << 1,   // a continuation after ASCII
    kOverlong3 = 1 << 2, // E0 80..9F
    kTooLarge = 1 << 3,  // F4 90..BF, F5..FF 90..BF
    kSurrogate = 1 << 4, // ED A0..BF
    kOverlong2 = 1 << 5, // C0 or C1 and a continuation
    kFour80 = 1 << 6,    // F0 80..8F (overlong) and F5..FF 80..8F (too large)
    kTwoConts = 1 << 7,  // a continuation after a continuation
    kAny = kTooShort | kTooLong | kTwoConts,
};

__attribute__((target("ssse3"))) inline __m128i Table(uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                                                      uint8_t e, uint8_t f, uint8_t g, uint8_t h,
                                                      uint8_t i, uint8_t j, uint8_t k, uint8_t l,
                                                      uint8_t m, uint8_t n, uint8_t o, uint8_t p)
{
    return _mm_setr_epi8(
        static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d),
        static_cast<char>(e), static_cast<char>(f), static_cast<char>(g), static_cast<char>(h),
        static_cast<char>(i), static_cast<char>(j), static_cast<char>(k), static_cast<char>(l),
        static_cast<char>(m), static_cast<char>(n), static_cast<char>(o), static_cast<char>(p));
}

__attribute__((target("ssse3"))) inline __m128i HighHalves(__m128i v)
{
    return _mm_and_si128(_mm_srli_epi16(v, 4), _mm_set1_epi8(0x0F));
}

// The tables: the first byte of a pair by its high and by its low half,
// the second by its high half.
__attribute__((target("ssse3"))) inline __m128i FirstHighTable()
{
    return Table(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
                 kTwoConts, kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                 kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kFour80);
}

__attribute__((target("ssse3"))) inline __m128i FirstLowTable()
{
    return Table(kAny | kOverlong3 | kOverlong2 | kFour80, kAny | kOverlong2, kAny, kAny,
                 kAny | kTooLarge, kAny | kTooLarge | kFour80, kAny | kTooLarge | kFour80,
                 kAny | kTooLarge | kFour80, kAny | kTooLarge | kFour80, kAny | kTooLarge | kFour80,
                 kAny | kTooLarge | kFour80, kAny | kTooLarge | kFour80, kAny | kTooLarge | kFour80,
                 kAny | kTooLarge | kFour80 | kSurrogate, kAny | kTooLarge | kFour80,
                 kAny | kTooLarge | kFour80);
}

__attribute__((target("ssse3"))) inline __m128i SecondHighTable()
{
    constexpr uint8_t kCont8 = kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kFour80;
    constexpr uint8_t kCont9 = kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge;
    constexpr uint8_t kContAB = kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge;
    return Table(kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
                 kTooShort, kCont8, kCont9, kContAB, kContAB, kTooShort, kTooShort, kTooShort,
                 kTooShort);
}

// The faults of the 16 bytes `in`, given the 16 before them.
__attribute__((target("ssse3"))) inline __m128i Faults(__m128i in, __m128i before)
{
    const __m128i firstHigh = FirstHighTable();
    const __m128i firstLow = FirstLowTable();
    const __m128i secondHigh = SecondHighTable();
    const __m128i prev1 = _mm_alignr_epi8(in, before, 15);
    const __m128i pairs = _mm_and_si128(
        _mm_and_si128(_mm_shuffle_epi8(firstHigh, HighHalves(prev1)),
                      _mm_shuffle_epi8(firstLow, _mm_and_si128(prev1, _mm_set1_epi8(0x0F)))),
        _mm_shuffle_epi8(secondHigh, HighHalves(in)));
    // Two continuations in a row are right only as the third byte of a
    // three- or four-byte character, or the fourth of a four-byte one.
    const __m128i prev2 = _mm_alignr_epi8(in, before, 14);
    const __m128i prev3 = _mm_alignr_epi8(in, before, 13);
    const __m128i third = _mm_subs_epu8(prev2, _mm_set1_epi8(static_cast<char>(0xE0 - 0x80)));
    const __m128i fourth = _mm_subs_epu8(prev3, _mm_set1_epi8(static_cast<char>(0xF0 - 0x80)));
    const __m128i wanted =
        _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(static_cast<char>(0x80)));
    const __m128i nul = _mm_cmpeq_epi8(in, _mm_setzero_si128());
    return _mm_or_si128(_mm_xor_si128(pairs, wanted), nul);
}

// Whole chunks of 16 bytes without a fault, from `from` (a multiple of
// 16) on.
__attribute__((target("ssse3"))) size_t GoodChunks(const uint8_t* p, size_t n, size_t from)
{
    // Before the start there is nothing a character could continue.
    __m128i before = from >= 16 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from - 16))
                                : _mm_setzero_si128();
    size_t i = from;
    for (; n - i >= 16; i += 16)
    {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(Faults(in, before), _mm_setzero_si128())) != 0xFFFF)
            break;
        before = in;
    }
    return i;
}

#define VELMAR_AVX2 __attribute__((target("avx2")))

VELMAR_AVX2 inline __m256i Both(__m128i table)
{
    return _mm256_broadcastsi128_si256(table);
}

VELMAR_AVX2 inline __m256i HighHalves(__m256i v)
{
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

// The 32 bytes ending `k` bytes before the end of `in`, `before` the 32
// bytes ahead of it.
template <int k> VELMAR_AVX2 inline __m256i Back(__m256i in, __m256i before)
{
    return _mm256_alignr_epi8(in, _mm256_permute2x128_si256(before, in, 0x21), 16 - k);
}

// Faults() for 32 bytes, with the same tables in each half.
VELMAR_AVX2 inline __m256i Faults(__m256i in, __m256i before, const __m256i (&tables)[3])
{
    const __m256i prev1 = Back<1>(in, before);
    const __m256i pairs = _mm256_and_si256(
        _mm256_and_si256(
            _mm256_shuffle_epi8(tables[0], HighHalves(prev1)),
            _mm256_shuffle_epi8(tables[1], _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)))),
        _mm256_shuffle_epi8(tables[2], HighHalves(in)));
    const __m256i third =
        _mm256_subs_epu8(Back<2>(in, before), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
    const __m256i fourth =
        _mm256_subs_epu8(Back<3>(in, before), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
    const __m256i wanted =
        _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
    const __m256i nul = _mm256_cmpeq_epi8(in, _mm256_setzero_si256());
    return _mm256_or_si256(_mm256_xor_si256(pairs, wanted), nul);
}

// Whole chunks of 32 bytes without a fault, from the start.
VELMAR_AVX2 size_t GoodChunks32(const uint8_t* p, size_t n)
{
    const __m256i tables[3] = {Both(FirstHighTable()), Both(FirstLowTable()),
                               Both(SecondHighTable())};
    __m256i before = _mm256_setzero_si256();
    size_t i = 0;
    for (; n - i >= 32; i += 32)
    {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        if (!_mm256_testz_si256(Faults(in, before, tables), _mm256_set1_epi8(-1)))
            break;
        before = in;
    }
    return i;
}

#endif

} // namespace

size_t ValidUtf8Prefix(const uint8_t* p, size_t n)
{
#if VELMAR_X86_SIMD
    if (!HasSsse3())
        return 0;
    // With AVX2 thirty-two bytes at a time, then what is left of sixteen.
    const size_t good = GoodChunks(p, n, HasAvx2() ? GoodChunks32(p, n) : 0);
    if (good == 0)
        return 0;
    // The chunks judged every byte pair inside them, so a character that
    // runs past their end is whole only if its bytes are all there.
    size_t last = good - 1;
    while (last > 0 && (p[last] & 0xC0) == 0x80)
        --last;
    const uint8_t lead = p[last];
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return last + length <= good ? good : last;
#else
    (void)p;
    (void)n;
    return 0;
#endif
}

} // namespace nkDS
