#include "velmar/foundation/CpuRoutines.h"

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))

#include "velmar/foundation/NumericKernels.h"

#include <cmath>
#include <xmmintrin.h>

namespace nkMem::cpu
{
namespace
{

#define SSE_FN __attribute__((target("sse")))

// Splat element i of v.
#define SPLAT(v, i) _mm_shuffle_ps((v), (v), _MM_SHUFFLE(i, i, i, i))

SSE_FN inline __m128 RowTimes(const float* row, __m128 b0, __m128 b1, __m128 b2, __m128 b3)
{
    __m128 r = _mm_mul_ps(_mm_set1_ps(row[0]), b0);
    r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(row[1]), b1));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(row[2]), b2));
    return _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(row[3]), b3));
}

} // namespace

SSE_FN void SseMul4(float* out, const float* a, const float* b)
{
    const __m128 b0 = _mm_loadu_ps(b), b1 = _mm_loadu_ps(b + 4), b2 = _mm_loadu_ps(b + 8),
                 b3 = _mm_loadu_ps(b + 12);
    // All rows are formed before any is stored, so out may be a or b.
    const __m128 r0 = RowTimes(a, b0, b1, b2, b3);
    const __m128 r1 = RowTimes(a + 4, b0, b1, b2, b3);
    const __m128 r2 = RowTimes(a + 8, b0, b1, b2, b3);
    const __m128 r3 = RowTimes(a + 12, b0, b1, b2, b3);
    _mm_storeu_ps(out, r0);
    _mm_storeu_ps(out + 4, r1);
    _mm_storeu_ps(out + 8, r2);
    _mm_storeu_ps(out + 12, r3);
}

SSE_FN void SseMul3(float* out, const float* a, const float* b)
{
    // Rows are gathered element by element: a four-wide load of the last row
    // would read past the nine values.
    const __m128 b0 = _mm_set_ps(0.0f, b[2], b[1], b[0]);
    const __m128 b1 = _mm_set_ps(0.0f, b[5], b[4], b[3]);
    const __m128 b2 = _mm_set_ps(0.0f, b[8], b[7], b[6]);
    __m128 r[3];
    for (int i = 0; i < 3; ++i)
    {
        __m128 v = _mm_mul_ps(_mm_set1_ps(a[3 * i]), b0);
        v = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(a[3 * i + 1]), b1));
        r[i] = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(a[3 * i + 2]), b2));
    }
    for (int i = 0; i < 3; ++i)
    {
        alignas(16) float row[4];
        _mm_store_ps(row, r[i]);
        out[3 * i] = row[0];
        out[3 * i + 1] = row[1];
        out[3 * i + 2] = row[2];
    }
}

SSE_FN void SseVecMul4(float* out, const float* v, const float* m)
{
    const __m128 r = RowTimes(v, _mm_loadu_ps(m), _mm_loadu_ps(m + 4), _mm_loadu_ps(m + 8),
                              _mm_loadu_ps(m + 12));
    _mm_storeu_ps(out, r);
}

SSE_FN void SseSub4(float* out, const float* a, const float* b)
{
    for (int i = 0; i < 16; i += 4)
        _mm_storeu_ps(out + i, _mm_sub_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
}

SSE_FN void SseAdd4(float* out, const float* a, const float* b)
{
    for (int i = 0; i < 16; i += 4)
        _mm_storeu_ps(out + i, _mm_add_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
}

SSE_FN void SseScale4(float* m, float s)
{
    const __m128 f = _mm_set1_ps(s);
    for (int i = 0; i < 16; i += 4)
        _mm_storeu_ps(m + i, _mm_mul_ps(_mm_loadu_ps(m + i), f));
}

SSE_FN void SseQuatToMat4(float* out, const float* q)
{
    const __m128 v = _mm_loadu_ps(q);      // x y z w
    const __m128 twice = _mm_add_ps(v, v); // 2x 2y 2z 2w
    alignas(16) float sq[4], cross[4], w[4];
    _mm_store_ps(sq, _mm_mul_ps(v, twice)); // 2xx 2yy 2zz 2ww
    _mm_store_ps(
        cross, _mm_mul_ps(v, _mm_shuffle_ps(twice, twice, _MM_SHUFFLE(3, 0, 2, 1)))); // 2xy 2yz 2zx
    _mm_store_ps(w, _mm_mul_ps(SPLAT(v, 3), twice));                                  // 2wx 2wy 2wz
    // Every element is written, so the slot needs no separate clearing.
    _mm_storeu_ps(out, _mm_set_ps(0.0f, cross[2] + w[1], cross[0] - w[2], 1.0f - sq[1] - sq[2]));
    _mm_storeu_ps(out + 4,
                  _mm_set_ps(0.0f, cross[1] - w[0], 1.0f - sq[0] - sq[2], cross[0] + w[2]));
    _mm_storeu_ps(out + 8,
                  _mm_set_ps(0.0f, 1.0f - sq[0] - sq[1], cross[1] + w[0], cross[2] - w[1]));
    _mm_storeu_ps(out + 12, _mm_set_ps(1.0f, 0.0f, 0.0f, 0.0f));
}

SSE_FN bool SseInvert4(float* m, const float* det)
{
    const __m128 r0 = _mm_loadu_ps(m), r1 = _mm_loadu_ps(m + 4), r2 = _mm_loadu_ps(m + 8),
                 r3 = _mm_loadu_ps(m + 12);
    // 2 x 2 determinants of rows 0 and 1 (s) and of rows 2 and 3 (c), for
    // the column pairs 01 02 03 12 and 13 23.
    auto pairs = [](__m128 p, __m128 q, float* lo, float* hi) SSE_FN
    {
        const __m128 a = _mm_sub_ps(_mm_mul_ps(_mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 0, 0, 0)),
                                               _mm_shuffle_ps(q, q, _MM_SHUFFLE(2, 3, 2, 1))),
                                    _mm_mul_ps(_mm_shuffle_ps(q, q, _MM_SHUFFLE(1, 0, 0, 0)),
                                               _mm_shuffle_ps(p, p, _MM_SHUFFLE(2, 3, 2, 1))));
        const __m128 b = _mm_sub_ps(_mm_mul_ps(_mm_shuffle_ps(p, p, _MM_SHUFFLE(2, 1, 2, 1)),
                                               _mm_shuffle_ps(q, q, _MM_SHUFFLE(3, 3, 3, 3))),
                                    _mm_mul_ps(_mm_shuffle_ps(q, q, _MM_SHUFFLE(2, 1, 2, 1)),
                                               _mm_shuffle_ps(p, p, _MM_SHUFFLE(3, 3, 3, 3))));
        _mm_storeu_ps(lo, a);
        _mm_storeu_ps(hi, b);
    };
    alignas(16) float s[8], c[8];
    pairs(r0, r1, s, s + 4);
    pairs(r2, r3, c, c + 4);
    auto p = [&](int k) SSE_FN { return _mm_set_ps(s[k], s[k], c[k], c[k]); };

    // Column k of m, with its rows in the order 1 0 3 2.
    __m128 t0 = r0, t1 = r1, t2 = r2, t3 = r3;
    _MM_TRANSPOSE4_PS(t0, t1, t2, t3);
    const __m128 k0 = _mm_shuffle_ps(t0, t0, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 k1 = _mm_shuffle_ps(t1, t1, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 k2 = _mm_shuffle_ps(t2, t2, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 k3 = _mm_shuffle_ps(t3, t3, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 plusMinus = _mm_set_ps(-1.0f, 1.0f, -1.0f, 1.0f);
    const __m128 minusPlus = _mm_set_ps(1.0f, -1.0f, 1.0f, -1.0f);
    auto combine = [](__m128 x, __m128 px, __m128 y, __m128 py, __m128 z, __m128 pz) SSE_FN
    { return _mm_add_ps(_mm_sub_ps(_mm_mul_ps(x, px), _mm_mul_ps(y, py)), _mm_mul_ps(z, pz)); };
    __m128 adj[4];
    adj[0] = _mm_mul_ps(plusMinus, combine(k1, p(5), k2, p(4), k3, p(3)));
    adj[1] = _mm_mul_ps(minusPlus, combine(k0, p(5), k2, p(2), k3, p(1)));
    adj[2] = _mm_mul_ps(plusMinus, combine(k0, p(4), k1, p(2), k3, p(0)));
    adj[3] = _mm_mul_ps(minusPlus, combine(k0, p(3), k1, p(1), k2, p(0)));

    float d;
    if (det)
    {
        d = *det;
    }
    else
    {
        // Expansion along row 0: its cofactors head the adjugate's rows.
        const __m128 col0 =
            _mm_unpacklo_ps(_mm_unpacklo_ps(adj[0], adj[2]), _mm_unpacklo_ps(adj[1], adj[3]));
        alignas(16) float terms[4];
        _mm_store_ps(terms, _mm_mul_ps(r0, col0));
        d = (terms[0] + terms[1]) + (terms[2] + terms[3]);
    }
    if (!(std::fabs(d) > kSingularDeterminant) || std::isinf(d))
        return false;
    const __m128 inv = _mm_set1_ps(1.0f / d);
    alignas(16) float out[16];
    for (int i = 0; i < 4; ++i)
        _mm_store_ps(out + 4 * i, _mm_mul_ps(adj[i], inv));
    for (float v : out)
        if (!std::isfinite(v))
            return false;
    for (int i = 0; i < 16; i += 4)
        _mm_storeu_ps(m + i, _mm_load_ps(out + i));
    return true;
}

} // namespace nkMem::cpu

#endif
