#include "Utf8Text.h"
#include "CpuSimd.h"

#include "velmar/win32/Unicode.h"
#include "velmar/xml/XmlChars.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace nkDS
{
namespace
{

// ASCII characters the escape levels treat specially.
struct SpecialSet
{
    bool is[128] = {};
    constexpr explicit SpecialSet(const char* chars)
    {
        for (; *chars != '\0'; ++chars)
            is[static_cast<unsigned char>(*chars)] = true;
    }
};
constexpr SpecialSet kSpecial[6] = {SpecialSet(""),    SpecialSet("&"),  SpecialSet("&<>"),
                                    SpecialSet("&<>"), SpecialSet("&<"), SpecialSet("&<\"")};

struct Text
{
    const wchar_t* s;
    size_t n;
    int escape; // a level the tables have
    Text(const wchar_t* text, size_t length, int level)
        : s(text), n(length), escape(std::clamp(level, 0, 5))
    {
    }
};

// Writes the UTF-8 of a Unicode scalar value at `out`, which has room for
// four bytes whatever the length; returns the length.
inline size_t PutUtf8(uint32_t c, char* out)
{
    const size_t n = 1 + (c >= 0x80) + (c >= 0x800) + (c >= 0x10000);
    const uint32_t cont0 = 0x80 | (c & 0x3F), cont1 = 0x80 | ((c >> 6) & 0x3F),
                   cont2 = 0x80 | ((c >> 12) & 0x3F);
    // The sequence of each length, first byte lowest; the length picks one.
    const uint32_t two = (0xC0 | (c >> 6)) | (cont0 << 8);
    const uint32_t three = (0xE0 | (c >> 12)) | (cont1 << 8) | (cont0 << 16);
    const uint32_t four = (0xF0 | (c >> 18)) | (cont2 << 8) | (cont1 << 16) | (cont0 << 24);
    const uint32_t word = n == 1 ? c : n == 2 ? two : n == 3 ? three : four;
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
        static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
    std::memcpy(out, bytes, 4);
    return n;
}

// Writes the character at `src` and steps past it; false, writing nothing,
// for a character left to the code-page layer.
inline bool Step(const Text& t, const wchar_t*& src, const wchar_t* stop, char*& p)
{
    const uint32_t c = static_cast<uint32_t>(*src);
    // Text that mixes ASCII with other scripts changes length class at
    // nearly every word, so the common case is decided without branches;
    // only the escape level's specials, surrogates and values past Unicode
    // take one.
    const bool odd = ((c < 0x80) & kSpecial[t.escape].is[c & 0x7F]) | (c - 0xD800u < 0x800u) |
                     (c > unicode::kMaxCodePoint);
    if (!odd)
    {
        p += PutUtf8(c, p);
        ++src;
        return true;
    }
    if (c < 0x80)
    {
        // "&", "<", ">" or '"', at an escape level that treats it.
        const size_t at = static_cast<size_t>(src - t.s);
        if (c == '"')
        {
            std::memcpy(p, "&quot;", 6);
            p += 6;
        }
        else if (c == '>' && t.escape == 3 && !ClosesCData(t.s, at))
            *p++ = '>';
        else if (c != '&')
        {
            std::memcpy(p, c == '<' ? "&lt;" : "&gt;", 4);
            p += 4;
        }
        else if (ReferenceLength(src, t.n - at) == 0)
        {
            std::memcpy(p, "&amp;", 5);
            p += 5;
        }
        else
            *p++ = '&';
        ++src;
        return true;
    }
    if (sizeof(wchar_t) == 2 && unicode::IsHighSurrogate(c) && src + 1 != stop &&
        unicode::IsLowSurrogate(static_cast<uint32_t>(src[1])))
    {
        // A 16-bit wchar_t holds the characters beyond the first plane as
        // surrogate pairs.
        p += unicode::EncodeUtf8(unicode::JoinSurrogates(c, static_cast<uint32_t>(src[1])), p);
        src += 2;
        return true;
    }
    return false; // a lone surrogate or a value past Unicode
}

// Eight 32-bit characters fill a vector; where wchar_t is 16 bits (Windows,
// whose compilers also cannot be trusted to align 32-byte vectors kept on
// the stack) the characters go one at a time.
#if VELMAR_X86_SIMD && __SIZEOF_WCHAR_T__ == 4
#define VELMAR_UTF8_GROUPS 1

#define VELMAR_AVX2 __attribute__((target("avx2,popcnt")))

// The ASCII characters each escape level rewrites, for the group encoder;
// unused places hold -1, which no plain character equals.
constexpr int32_t kStops[6][3] = {{-1, -1, -1},    {'&', -1, -1},  {'&', '<', '>'},
                                  {'&', '<', '>'}, {'&', '<', -1}, {'&', '<', '"'}};

// The constants of the loop, made once per call.
struct Lanes
{
    __m256i stop0, stop1, stop2, surrogateBits, surrogate, low6, two, three, ascii, twoBytes;
    VELMAR_AVX2 explicit Lanes(const int32_t* stops)
        : stop0(_mm256_set1_epi32(stops[0])), stop1(_mm256_set1_epi32(stops[1])),
          stop2(_mm256_set1_epi32(stops[2])), surrogateBits(_mm256_set1_epi32(0xF800)),
          surrogate(_mm256_set1_epi32(0xD800)), low6(_mm256_set1_epi32(0x3F)),
          two(_mm256_set1_epi32(0x80C0)), three(_mm256_set1_epi32(0x8080E0)),
          ascii(_mm256_set1_epi32(0x7F)), twoBytes(_mm256_set1_epi32(0x7FF))
    {
    }
};

// The shuffle that packs four lanes of up to three UTF-8 bytes each, keyed
// by which lanes need two bytes or more (low four bits) and which three
// (high four), and the length it gives.
struct PackTable
{
    alignas(16) uint8_t shuffle[256][16] = {};
    uint8_t length[256] = {};
    constexpr PackTable()
    {
        for (int key = 0; key < 256; ++key)
        {
            int k = 0;
            for (int lane = 0; lane < 4; ++lane)
            {
                const int bytes = 1 + ((key >> lane) & 1) + ((key >> (4 + lane)) & 1);
                for (int b = 0; b < bytes; ++b)
                    shuffle[key][k++] = static_cast<uint8_t>(lane * 4 + b);
            }
            length[key] = static_cast<uint8_t>(k);
            for (; k < 16; ++k)
                shuffle[key][k] = 0x80; // a zero byte
        }
    }
};
constexpr PackTable kPack;

// Eight ones, then eight zeros: from place 8 - r, a mask of the first r lanes.
constexpr int32_t kLaneMask[16] = {-1, -1, -1, -1, -1, -1, -1, -1};

// Up to eight characters as lanes, zeros after the last.
VELMAR_AVX2 inline __m256i Load(const wchar_t* s, size_t count)
{
    if (count >= 8)
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    return _mm256_maskload_epi32(
        reinterpret_cast<const int*>(s),
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLaneMask + 8 - count)));
}

// A bit for each lane that is no plain character: beyond the first plane,
// a surrogate, or one the escape level rewrites.
VELMAR_AVX2 inline unsigned OddLanes(__m256i v, const Lanes& k)
{
    const __m256i beyond = _mm256_srli_epi32(v, 16);
    const __m256i surrogate = _mm256_cmpeq_epi32(_mm256_and_si256(v, k.surrogateBits), k.surrogate);
    const __m256i stop = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi32(v, k.stop0), _mm256_cmpeq_epi32(v, k.stop1)),
        _mm256_cmpeq_epi32(v, k.stop2));
    const __m256i plain = _mm256_andnot_si256(_mm256_or_si256(surrogate, stop),
                                              _mm256_cmpeq_epi32(beyond, _mm256_setzero_si256()));
    return ~static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(plain))) & 0xFF;
}

// Writes the UTF-8 of the first `take` lanes at `out` (32 bytes of room;
// what later lanes give is left past them, to be written over); returns
// the length.
VELMAR_AVX2 inline size_t Pack(__m256i v, size_t take, char* out, const Lanes& k)
{
    const __m256i low6 = _mm256_and_si256(v, k.low6);
    const __m256i high = _mm256_srli_epi32(v, 6);
    // Each lane's sequence of two and of three bytes, first byte lowest.
    const __m256i two = _mm256_or_si256(_mm256_or_si256(high, _mm256_slli_epi32(low6, 8)), k.two);
    const __m256i three =
        _mm256_or_si256(_mm256_or_si256(_mm256_srli_epi32(v, 12),
                                        _mm256_slli_epi32(_mm256_and_si256(high, k.low6), 8)),
                        _mm256_or_si256(_mm256_slli_epi32(low6, 16), k.three));
    const __m256i atLeast2 = _mm256_cmpgt_epi32(v, k.ascii);
    const __m256i is3 = _mm256_cmpgt_epi32(v, k.twoBytes);
    const __m256i lanes =
        _mm256_xor_si256(_mm256_xor_si256(v, _mm256_and_si256(_mm256_xor_si256(v, two), atLeast2)),
                         _mm256_and_si256(_mm256_xor_si256(two, three), is3));
    const unsigned m2 = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(atLeast2)));
    const unsigned m3 = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(is3)));
    const unsigned lowKey = (m2 & 0xF) | (m3 & 0xF) << 4;
    const unsigned highKey = (m2 >> 4) | (m3 >> 4) << 4;
    const __m128i low =
        _mm_shuffle_epi8(_mm256_castsi256_si128(lanes),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(kPack.shuffle[lowKey])));
    const __m128i highHalf =
        _mm_shuffle_epi8(_mm256_extracti128_si256(lanes, 1),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(kPack.shuffle[highKey])));
    const size_t lowLength = kPack.length[lowKey];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + lowLength), highHalf);
    if (take == 8)
        return lowLength + kPack.length[highKey];
    // One byte per lane taken, and one more for each of its bits in m2 and m3.
    const unsigned taken = ((1u << take) - 1) * 0x101;
    return take + static_cast<size_t>(__builtin_popcount((m2 | m3 << 8) & taken));
}

VELMAR_AVX2 size_t EncodeGroups(const Text& t, const wchar_t* src, const wchar_t* stop, char*& out)
{
    const Lanes k(kStops[t.escape]);
    char* p = out;
    for (;;)
    {
        // Eight plain characters at a time.
        while (stop - src >= 8)
        {
            const __m256i v = Load(src, 8);
            if (OddLanes(v, k) != 0)
                break;
            p += Pack(v, 8, p, k);
            src += 8;
        }
        if (src == stop)
            break;
        // The plain ones of the last few, or those before an odd one; then
        // that one on its own.
        const size_t left = static_cast<size_t>(stop - src);
        const size_t count = left < 8 ? left : 8;
        const __m256i v = Load(src, count);
        const unsigned odd = OddLanes(v, k);
        const size_t plain = odd != 0 ? static_cast<size_t>(__builtin_ctz(odd)) : 8;
        const size_t take = plain < count ? plain : count;
        p += Pack(v, take, p, k);
        src += take;
        if (src == stop)
            break;
        const wchar_t* next = src;
        char* after = p;
        if (!Step(t, next, stop, after))
            break;
        src = next;
        p = after;
    }
    out = p;
    return static_cast<size_t>(src - t.s);
}

#endif

} // namespace

size_t EncodeUtf8Text(const wchar_t* text, size_t n, size_t from, size_t to, int escape, char* out,
                      size_t& written)
{
#if VELMAR_UTF8_GROUPS
    if (HasAvx2())
    {
        const Text t(text, n, escape);
        char* p = out;
        const size_t reached = EncodeGroups(t, text + from, text + to, p);
        written = static_cast<size_t>(p - out);
        return reached;
    }
#endif
    return EncodeUtf8TextEach(text, n, from, to, escape, out, written);
}

size_t EncodeUtf8TextEach(const wchar_t* text, size_t n, size_t from, size_t to, int escape,
                          char* out, size_t& written)
{
    const Text t(text, n, escape);
    const wchar_t* src = text + from;
    const wchar_t* const stop = text + to;
    char* p = out;
    while (src != stop && Step(t, src, stop, p))
    {
    }
    written = static_cast<size_t>(p - out);
    return static_cast<size_t>(src - text);
}

} // namespace nkDS
