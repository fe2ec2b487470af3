#include "velmar/foundation/CpuRoutines.h"

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))

#include <cstring>
#include <mmintrin.h>
#include <xmmintrin.h>

namespace nkMem::cpu
{
namespace
{

// Unaligned 8-byte access without breaking aliasing rules.
#define MMX_FN __attribute__((target("mmx")))
#define MMX_SSE_FN __attribute__((target("mmx,sse")))

MMX_FN inline __m64 Load8(const unsigned char* p)
{
    __m64 v;
    std::memcpy(&v, p, 8);
    return v;
}

MMX_FN inline void Store8(unsigned char* p, __m64 v)
{
    std::memcpy(p, &v, 8);
}

enum class Mask
{
    Xor,
    And,
    Or
};

template <Mask op>
MMX_FN void* MaskCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    const auto* s = static_cast<const unsigned char*>(src);
    auto* d = static_cast<unsigned char*>(dst);
    const __m64 kk = _mm_set1_pi8(static_cast<char>(k));
    std::uint32_t i = 0;
    for (; n - i >= 8; i += 8)
    {
        const __m64 v = Load8(s + i);
        Store8(d + i, op == Mask::Xor   ? _mm_xor_si64(v, kk)
                      : op == Mask::And ? _mm_and_si64(v, kk)
                                        : _mm_or_si64(v, kk));
    }
    // Leave the registers to the x87 unit again: long double code after us
    // would otherwise compute with a full, garbled register stack.
    _mm_empty();
    for (; i < n; ++i)
        d[i] = static_cast<unsigned char>(op == Mask::Xor   ? s[i] ^ k
                                          : op == Mask::And ? s[i] & k
                                                            : s[i] | k);
    return dst;
}

} // namespace

MMX_FN void* MmxXorCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    return MaskCopy<Mask::Xor>(src, dst, k, n);
}
MMX_FN void* MmxAndCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    return MaskCopy<Mask::And>(src, dst, k, n);
}
MMX_FN void* MmxOrCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    return MaskCopy<Mask::Or>(src, dst, k, n);
}

MMX_FN void MmxScale16u16(std::uint16_t* m, unsigned s)
{
    // The low 16 bits of a product depend only on the low 16 bits of s.
    const __m64 factor = _mm_set1_pi16(static_cast<short>(s & 0xFFFFu));
    auto* p = reinterpret_cast<unsigned char*>(m);
    for (int i = 0; i < 4; ++i)
        Store8(p + 8 * i, _mm_mullo_pi16(Load8(p + 8 * i), factor));
    _mm_empty();
}

MMX_FN void MmxVecMul4u16(std::uint16_t* out, const std::uint16_t* v, const std::uint16_t* m)
{
    const auto* rows = reinterpret_cast<const unsigned char*>(m);
    __m64 acc = _mm_setzero_si64();
    for (int k = 0; k < 4; ++k)
        acc = _mm_add_pi16(
            acc, _mm_mullo_pi16(_mm_set1_pi16(static_cast<short>(v[k])), Load8(rows + 8 * k)));
    Store8(reinterpret_cast<unsigned char*>(out), acc);
    _mm_empty();
}

MMX_SSE_FN void* MmxStreamingCopy(void* dst, const void* src, std::uint32_t n)
{
    auto* d = static_cast<unsigned char*>(dst);
    const auto* s = static_cast<const unsigned char*>(src);
    // Short copies, and pointers that can never be aligned together, are
    // better served by the library's copy.
    if (n < 17 ||
        ((reinterpret_cast<std::uintptr_t>(d) - reinterpret_cast<std::uintptr_t>(s)) & 7u))
        return n ? std::memcpy(dst, src, n) : dst;
    while (reinterpret_cast<std::uintptr_t>(d) & 7u)
    {
        *d++ = *s++;
        --n;
    }
    if (n > 2047)
    {
        while (n > 2047)
        {
            // Pull the whole block in first, then write it past the caches:
            // a copy this large would only evict data the caller still needs.
            for (std::uint32_t off = 0; off < 2048; off += 64)
                _mm_prefetch(reinterpret_cast<const char*>(s + off), _MM_HINT_NTA);
            for (std::uint32_t off = 0; off < 2048; off += 64)
            {
                const __m64* from = reinterpret_cast<const __m64*>(s + off);
                __m64* to = reinterpret_cast<__m64*>(d + off);
                const __m64 v0 = from[0], v1 = from[1], v2 = from[2], v3 = from[3];
                const __m64 v4 = from[4], v5 = from[5], v6 = from[6], v7 = from[7];
                _mm_stream_pi(to + 0, v0);
                _mm_stream_pi(to + 1, v1);
                _mm_stream_pi(to + 2, v2);
                _mm_stream_pi(to + 3, v3);
                _mm_stream_pi(to + 4, v4);
                _mm_stream_pi(to + 5, v5);
                _mm_stream_pi(to + 6, v6);
                _mm_stream_pi(to + 7, v7);
            }
            s += 2048;
            d += 2048;
            n -= 2048;
        }
        // Streaming stores are weakly ordered: make them visible before the
        // caller hands the buffer on.
        _mm_sfence();
    }
    while (n > 63)
    {
        const __m64* from = reinterpret_cast<const __m64*>(s);
        __m64* to = reinterpret_cast<__m64*>(d);
        for (int i = 0; i < 8; ++i)
            to[i] = from[i];
        s += 64;
        d += 64;
        n -= 64;
    }
    while (n > 7)
    {
        *reinterpret_cast<__m64*>(d) = *reinterpret_cast<const __m64*>(s);
        s += 8;
        d += 8;
        n -= 8;
    }
    _mm_empty();
    while (n--)
        *d++ = *s++;
    return dst;
}

MMX_FN void* MmxFill(void* dst, int value, std::uint32_t n)
{
    auto* d = static_cast<unsigned char*>(dst);
    const auto byte = static_cast<unsigned char>(value);
    while (n && (reinterpret_cast<std::uintptr_t>(d) & 7u))
    {
        *d++ = byte;
        --n;
    }
    const __m64 v = _mm_set1_pi8(static_cast<char>(byte));
    __m64* p = reinterpret_cast<__m64*>(d);
    for (; n > 63; n -= 64, p += 8)
        for (int i = 0; i < 8; ++i)
            p[i] = v;
    for (; n > 31; n -= 32, p += 4)
        for (int i = 0; i < 4; ++i)
            p[i] = v;
    for (; n > 7; n -= 8, ++p)
        *p = v;
    _mm_empty();
    d = reinterpret_cast<unsigned char*>(p);
    while (n--)
        *d++ = byte;
    return dst;
}

MMX_FN void* MmxMove(void* dst, const void* src, std::uint32_t n)
{
    auto* d = static_cast<unsigned char*>(dst);
    const auto* s = static_cast<const unsigned char*>(src);
    if (d == s || n == 0)
        return dst;
    // Each block is loaded whole before it is stored, so copying towards
    // lower addresses front to back, and towards higher ones back to front,
    // never reads a byte this move has already overwritten.
    if (d < s || d >= s + n)
    {
        std::uint32_t i = 0;
        for (; n - i >= 8; i += 8)
            Store8(d + i, Load8(s + i));
        _mm_empty();
        for (; i < n; ++i)
            d[i] = s[i];
    }
    else
    {
        std::uint32_t i = n;
        for (; i & 7u; --i)
            d[i - 1] = s[i - 1];
        for (; i >= 8; i -= 8)
            Store8(d + i - 8, Load8(s + i - 8));
        _mm_empty();
    }
    return dst;
}

} // namespace nkMem::cpu

#endif
