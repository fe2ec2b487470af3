#include "velmar/foundation/NumericKernels.h"

#include "velmar/foundation/MemOps.h"
#include "velmar/foundation/Sha512.h"

#include <cmath>

namespace nkMem
{
namespace
{

// The adjugate (transposed cofactor matrix) of m, in double so that the
// intermediate products keep more precision than the stored floats.
void Adjugate4(const float* m, double* adj)
{
    auto a = [m](int r, int c) { return static_cast<double>(m[4 * r + c]); };
    const double s0 = a(0, 0) * a(1, 1) - a(1, 0) * a(0, 1);
    const double s1 = a(0, 0) * a(1, 2) - a(1, 0) * a(0, 2);
    const double s2 = a(0, 0) * a(1, 3) - a(1, 0) * a(0, 3);
    const double s3 = a(0, 1) * a(1, 2) - a(1, 1) * a(0, 2);
    const double s4 = a(0, 1) * a(1, 3) - a(1, 1) * a(0, 3);
    const double s5 = a(0, 2) * a(1, 3) - a(1, 2) * a(0, 3);
    const double c5 = a(2, 2) * a(3, 3) - a(3, 2) * a(2, 3);
    const double c4 = a(2, 1) * a(3, 3) - a(3, 1) * a(2, 3);
    const double c3 = a(2, 1) * a(3, 2) - a(3, 1) * a(2, 2);
    const double c2 = a(2, 0) * a(3, 3) - a(3, 0) * a(2, 3);
    const double c1 = a(2, 0) * a(3, 2) - a(3, 0) * a(2, 2);
    const double c0 = a(2, 0) * a(3, 1) - a(3, 0) * a(2, 1);
    adj[0] = a(1, 1) * c5 - a(1, 2) * c4 + a(1, 3) * c3;
    adj[1] = -a(0, 1) * c5 + a(0, 2) * c4 - a(0, 3) * c3;
    adj[2] = a(3, 1) * s5 - a(3, 2) * s4 + a(3, 3) * s3;
    adj[3] = -a(2, 1) * s5 + a(2, 2) * s4 - a(2, 3) * s3;
    adj[4] = -a(1, 0) * c5 + a(1, 2) * c2 - a(1, 3) * c1;
    adj[5] = a(0, 0) * c5 - a(0, 2) * c2 + a(0, 3) * c1;
    adj[6] = -a(3, 0) * s5 + a(3, 2) * s2 - a(3, 3) * s1;
    adj[7] = a(2, 0) * s5 - a(2, 2) * s2 + a(2, 3) * s1;
    adj[8] = a(1, 0) * c4 - a(1, 1) * c2 + a(1, 3) * c0;
    adj[9] = -a(0, 0) * c4 + a(0, 1) * c2 - a(0, 3) * c0;
    adj[10] = a(3, 0) * s4 - a(3, 1) * s2 + a(3, 3) * s0;
    adj[11] = -a(2, 0) * s4 + a(2, 1) * s2 - a(2, 3) * s0;
    adj[12] = -a(1, 0) * c3 + a(1, 1) * c1 - a(1, 2) * c0;
    adj[13] = a(0, 0) * c3 - a(0, 1) * c1 + a(0, 2) * c0;
    adj[14] = -a(3, 0) * s3 + a(3, 1) * s1 - a(3, 2) * s0;
    adj[15] = a(2, 0) * s3 - a(2, 1) * s1 + a(2, 2) * s0;
}

// Expansion along row 0: the row's cofactors are the adjugate's column 0.
double DetFromAdjugate(const float* m, const double* adj)
{
    return m[0] * adj[0] + m[1] * adj[4] + m[2] * adj[8] + m[3] * adj[12];
}

} // namespace

bool MatInvert4(float* m, const float* det)
{
    double adj[16];
    Adjugate4(m, adj);
    const double d = det ? static_cast<double>(*det) : DetFromAdjugate(m, adj);
    // Written so that a NaN determinant counts as singular too.
    if (!(std::fabs(d) > kSingularDeterminant) || std::isinf(d))
        return false;
    const double inv = 1.0 / d;
    float out[16];
    for (int i = 0; i < 16; ++i)
    {
        out[i] = static_cast<float>(adj[i] * inv);
        // A nearly singular matrix can have an inverse beyond float range:
        // report it as not invertible rather than hand back infinities.
        if (!std::isfinite(out[i]))
            return false;
    }
    for (int i = 0; i < 16; ++i)
        m[i] = out[i];
    return true;
}

float MatDet4(const float* m)
{
    double adj[16];
    Adjugate4(m, adj);
    return static_cast<float>(DetFromAdjugate(m, adj));
}

void MatMul4(float* out, const float* a, const float* b)
{
    float r[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[4 * i + j] = a[4 * i] * b[j] + a[4 * i + 1] * b[4 + j] + a[4 * i + 2] * b[8 + j] +
                           a[4 * i + 3] * b[12 + j];
    for (int i = 0; i < 16; ++i)
        out[i] = r[i];
}

void MatMul3(float* out, const float* a, const float* b)
{
    float r[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[3 * i + j] = a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j];
    for (int i = 0; i < 9; ++i)
        out[i] = r[i];
}

void VecMul4(float* out, const float* v, const float* m)
{
    float r[4];
    for (int j = 0; j < 4; ++j)
        r[j] = v[0] * m[j] + v[1] * m[4 + j] + v[2] * m[8 + j] + v[3] * m[12 + j];
    for (int j = 0; j < 4; ++j)
        out[j] = r[j];
}

void MatSub4(float* out, const float* a, const float* b)
{
    for (int i = 0; i < 16; ++i)
        out[i] = a[i] - b[i];
}

void MatAdd4(float* out, const float* a, const float* b)
{
    for (int i = 0; i < 16; ++i)
        out[i] = a[i] + b[i];
}

void MatTranspose4(float* m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = r + 1; c < 4; ++c)
        {
            const float t = m[4 * r + c];
            m[4 * r + c] = m[4 * c + r];
            m[4 * c + r] = t;
        }
}

void QuatToMat4(float* out, const float* q)
{
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    MemZero(out, 16 * sizeof(float));
    out[0] = 1 - 2 * (y * y + z * z);
    out[1] = 2 * (x * y - w * z);
    out[2] = 2 * (x * z + w * y);
    out[4] = 2 * (x * y + w * z);
    out[5] = 1 - 2 * (x * x + z * z);
    out[6] = 2 * (y * z - w * x);
    out[8] = 2 * (x * z - w * y);
    out[9] = 2 * (y * z + w * x);
    out[10] = 1 - 2 * (x * x + y * y);
    out[15] = 1;
}

void VecMul4d(double* out, const double* v, const double* m)
{
    double r[4];
    for (int j = 0; j < 4; ++j)
        r[j] = v[0] * m[j] + v[1] * m[4 + j] + v[2] * m[8 + j] + v[3] * m[12 + j];
    for (int j = 0; j < 4; ++j)
        out[j] = r[j];
}

void MatScale4(float* m, float s)
{
    for (int i = 0; i < 16; ++i)
        m[i] *= s;
}

void MatScale16u16(std::uint16_t* m, unsigned s)
{
    // Unsigned 32-bit products: 16-bit values promote to int, whose product
    // could overflow.
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<std::uint16_t>(static_cast<std::uint32_t>(m[i]) * s);
}

void VecMul4u16(std::uint16_t* out, const std::uint16_t* v, const std::uint16_t* m)
{
    std::uint32_t r[4];
    for (int j = 0; j < 4; ++j)
    {
        r[j] = 0;
        for (int k = 0; k < 4; ++k)
            r[j] += static_cast<std::uint32_t>(v[k]) * m[4 * k + j];
    }
    for (int j = 0; j < 4; ++j)
        out[j] = static_cast<std::uint16_t>(r[j]);
}

namespace detail
{

void FillPortableKernels(MemOpsTable& t)
{
    t.invert4 = &MatInvert4;
    t.multiply4 = &MatMul4;
    t.multiply3 = &MatMul3;
    t.determinant4 = &MatDet4;
    t.vecMul4 = &VecMul4;
    t.subtract4 = &MatSub4;
    t.add4 = &MatAdd4;
    t.transpose4 = &MatTranspose4;
    t.quatToMat4 = &QuatToMat4;
    t.vecMul4d = &VecMul4d;
    t.scale4 = &MatScale4;
    t.scale16u16 = &MatScale16u16;
    t.vecMul4u16 = &VecMul4u16;
    t.sha512Block = &Sha512Block;
}

} // namespace detail
} // namespace nkMem
