#include "velmar/foundation/CpuRoutines.h"

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))

#include "velmar/foundation/Sha512.h"

#include <emmintrin.h>

namespace nkMem::cpu
{
namespace
{

#define SSE2_FN __attribute__((target("sse2")))

SSE2_FN inline __m128i Rotr64(__m128i x, int n)
{
    return _mm_or_si128(_mm_srli_epi64(x, n), _mm_slli_epi64(x, 64 - n));
}

// Both 64-bit lanes from big-endian to the processor's order: swap the bytes
// of each 16-bit word, then reverse the words of each lane.
SSE2_FN inline __m128i ByteSwap64(__m128i x)
{
    x = _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
    x = _mm_shufflelo_epi16(x, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm_shufflehi_epi16(x, _MM_SHUFFLE(0, 1, 2, 3));
}

SSE2_FN inline __m128i Load2(const std::uint64_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

} // namespace

SSE2_FN void Sse2VecMul4d(double* out, const double* v, const double* m)
{
    __m128d lo = _mm_setzero_pd(), hi = _mm_setzero_pd();
    for (int k = 0; k < 4; ++k)
    {
        const __m128d f = _mm_set1_pd(v[k]);
        lo = _mm_add_pd(lo, _mm_mul_pd(f, _mm_loadu_pd(m + 4 * k)));
        hi = _mm_add_pd(hi, _mm_mul_pd(f, _mm_loadu_pd(m + 4 * k + 2)));
    }
    _mm_storeu_pd(out, lo);
    _mm_storeu_pd(out + 2, hi);
}

SSE2_FN void Sse2Sha512Block(const void* block, std::uint64_t* state,
                             const std::uint64_t* roundConstants)
{
    alignas(16) std::uint64_t w[80];
    const auto* p = static_cast<const __m128i*>(block);
    for (int i = 0; i < 8; ++i)
        _mm_store_si128(reinterpret_cast<__m128i*>(w + 2 * i), ByteSwap64(_mm_loadu_si128(p + i)));
    // Two schedule words at a time: word t depends on t - 2 at the nearest,
    // so words t and t + 1 need only words already computed.
    for (int t = 16; t < 80; t += 2)
    {
        const __m128i w2 = Load2(w + t - 2), w15 = Load2(w + t - 15);
        const __m128i s1 =
            _mm_xor_si128(_mm_xor_si128(Rotr64(w2, 19), Rotr64(w2, 61)), _mm_srli_epi64(w2, 6));
        const __m128i s0 =
            _mm_xor_si128(_mm_xor_si128(Rotr64(w15, 1), Rotr64(w15, 8)), _mm_srli_epi64(w15, 7));
        const __m128i sum = _mm_add_epi64(_mm_add_epi64(Load2(w + t - 16), s0),
                                          _mm_add_epi64(Load2(w + t - 7), s1));
        _mm_store_si128(reinterpret_cast<__m128i*>(w + t), sum);
    }
    nkMem::detail::Sha512Rounds(w, state, roundConstants);
}

} // namespace nkMem::cpu

#endif
