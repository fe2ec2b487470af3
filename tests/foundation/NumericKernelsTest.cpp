#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace nkMem;

namespace
{

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void RandomFloats(std::mt19937& rng, float* out, int n)
{
    std::uniform_real_distribution<float> d(-10.0f, 10.0f);
    for (int i = 0; i < n; ++i)
        out[i] = d(rng);
}

// A matrix that is safely invertible: random, plus a heavy diagonal.
void RandomInvertible(std::mt19937& rng, float* m)
{
    RandomFloats(rng, m, 16);
    for (int i = 0; i < 4; ++i)
        m[5 * i] += m[5 * i] < 0 ? -50.0f : 50.0f;
}

// Gaussian elimination with partial pivoting in double: the textbook route,
// independent of the cofactor formulas under test.
double ReferenceDet(const float* m)
{
    double a[4][4];
    for (int i = 0; i < 16; ++i)
        a[i / 4][i % 4] = m[i];
    double det = 1;
    for (int c = 0; c < 4; ++c)
    {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (a[pivot][c] == 0)
            return 0;
        if (pivot != c)
        {
            std::swap(a[pivot], a[c]);
            det = -det;
        }
        det *= a[c][c];
        for (int r = c + 1; r < 4; ++r)
        {
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < 4; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    return det;
}

void ExpectNear16(const float* got, const float* want, float tol, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], tol * (1.0f + std::fabs(want[i]))) << what << " element " << i;
}

// Every check runs on the portable kernels and on the process's table after
// its upgrade for this processor: both keep the same contract.
class NumericKernelsTest : public ::testing::TestWithParam<bool>
{
protected:
    static const MemOpsTable& Table() { return GetParam() ? *UpgradeForCpu() : PortableMemOps(); }
};

INSTANTIATE_TEST_SUITE_P(Tables, NumericKernelsTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "upgraded" : "portable"; });

} // namespace

TEST_P(NumericKernelsTest, ProductsSumsAndVectorsMatchReferenceLoopsOnRandomInputs)
{
    const MemOpsTable& t = Table();
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round)
    {
        float a[16], b[16], out[16], want[16], v[4];
        RandomFloats(rng, a, 16);
        RandomFloats(rng, b, 16);
        RandomFloats(rng, v, 4);

        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
            {
                double s = 0;
                for (int k = 0; k < 4; ++k)
                    s += double(a[4 * r + k]) * b[4 * k + c];
                want[4 * r + c] = float(s);
            }
        t.multiply4(out, a, b);
        ExpectNear16(out, want, 1e-5f, "mul4");
        float alias[16];
        std::memcpy(alias, a, sizeof a);
        t.multiply4(alias, alias, b); // out may be an input
        ExpectNear16(alias, want, 1e-5f, "mul4 in place");

        float want3[9], out3[10];
        out3[9] = 12345.0f; // one past the result: must not be touched
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                want3[3 * r + c] =
                    a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
        t.multiply3(out3, a, b);
        for (int i = 0; i < 9; ++i)
            EXPECT_NEAR(out3[i], want3[i], 1e-4f * (1 + std::fabs(want3[i])));
        EXPECT_EQ(out3[9], 12345.0f);

        float vo[4];
        t.vecMul4(vo, v, a);
        double vd[4], md[16], vdo[4];
        for (int j = 0; j < 4; ++j)
        {
            vd[j] = v[j];
            EXPECT_NEAR(vo[j], v[0] * a[j] + v[1] * a[4 + j] + v[2] * a[8 + j] + v[3] * a[12 + j],
                        1e-3f);
        }
        for (int i = 0; i < 16; ++i)
            md[i] = a[i];
        t.vecMul4d(vdo, vd, md);
        for (int j = 0; j < 4; ++j)
            EXPECT_DOUBLE_EQ(vdo[j], vd[0] * md[j] + vd[1] * md[4 + j] + vd[2] * md[8 + j] +
                                         vd[3] * md[12 + j]);

        t.add4(out, a, b);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(out[i], a[i] + b[i]);
        t.subtract4(out, a, b);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(out[i], a[i] - b[i]);
        std::memcpy(out, a, sizeof a);
        t.scale4(out, -2.5f);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(out[i], a[i] * -2.5f);
        std::memcpy(out, a, sizeof a);
        t.transpose4(out);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(out[i], a[4 * (i % 4) + i / 4]);

        const double det = ReferenceDet(a);
        EXPECT_NEAR(t.determinant4(a), det, 1e-4 * (1 + std::fabs(det)));
    }
}

TEST_P(NumericKernelsTest, InvertGivesInverseIdentityAndRefusesSingularOrUnrepresentable)
{
    const MemOpsTable& t = Table();
    std::mt19937 rng(99);
    for (int round = 0; round < 100; ++round)
    {
        float m[16], inv[16], product[16];
        RandomInvertible(rng, m);
        std::memcpy(inv, m, sizeof m);
        ASSERT_TRUE(t.invert4(inv, nullptr));
        t.multiply4(product, m, inv);
        ExpectNear16(product, kIdentity, 1e-5f, "m * inverse");
        // A determinant given by the caller is used as it is.
        float twice[16];
        std::memcpy(twice, m, sizeof m);
        const float det = 2 * t.determinant4(m);
        ASSERT_TRUE(t.invert4(twice, &det));
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(twice[i], inv[i] / 2, 1e-6f);
    }

    float id[16];
    std::memcpy(id, kIdentity, sizeof id);
    ASSERT_TRUE(t.invert4(id, nullptr));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(id[i], kIdentity[i]) << i; // -0 counts as 0

    // Singular: two equal rows; a zero matrix; a determinant just at the
    // smallest normal float. Each leaves the matrix untouched.
    float singular[16] = {1, 2, 3, 4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3};
    float zero[16] = {};
    float before[16];
    for (float* m : {singular, zero})
    {
        std::memcpy(before, m, sizeof before);
        EXPECT_FALSE(t.invert4(m, nullptr));
        EXPECT_EQ(0, std::memcmp(before, m, sizeof before));
    }
    float scaled[16];
    std::memcpy(scaled, kIdentity, sizeof scaled);
    const float tiny = kSingularDeterminant;
    EXPECT_FALSE(t.invert4(scaled, &tiny));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(t.invert4(scaled, &nan));
    EXPECT_EQ(0, std::memcmp(scaled, kIdentity, sizeof scaled));

    // Invertible in theory, but the inverse's elements exceed float range:
    // refused rather than filled with infinities.
    float huge[16] = {};
    huge[0] = 1e-39f;                     // a subnormal pivot
    huge[5] = huge[10] = huge[15] = 1e6f; // det 1e-21 is normal, 1 / 1e-39 is not a float
    std::memcpy(before, huge, sizeof before);
    EXPECT_FALSE(t.invert4(huge, nullptr));
    EXPECT_EQ(0, std::memcmp(before, huge, sizeof before));
}

TEST_P(NumericKernelsTest, QuaternionMatrixIsRotationAndIdentityForUnitW)
{
    const MemOpsTable& t = Table();
    float m[16];
    std::memset(m, 0x7F, sizeof m); // garbage must not survive
    const float q0[4] = {0, 0, 0, 1};
    t.quatToMat4(m, q0);
    EXPECT_EQ(0, std::memcmp(m, kIdentity, sizeof m));

    // A quarter turn about z maps x to y: row-vector convention v * m.
    const float s = std::sqrt(0.5f);
    const float qz[4] = {0, 0, s, s};
    t.quatToMat4(m, qz);
    const float x[4] = {1, 0, 0, 0};
    float r[4];
    t.vecMul4(r, x, m);
    EXPECT_NEAR(r[0], 0, 1e-6f);
    EXPECT_NEAR(std::fabs(r[1]), 1, 1e-6f);
    EXPECT_NEAR(r[2], 0, 1e-6f);
    EXPECT_FLOAT_EQ(m[15], 1);
    EXPECT_EQ(m[3], 0);
    EXPECT_EQ(m[12], 0);

    // Random unit quaternions against the textbook rotation matrix.
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    for (int round = 0; round < 100; ++round)
    {
        float q[4] = {d(rng), d(rng), d(rng), d(rng)};
        const float n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        for (auto& e : q)
            e /= n;
        const float x = q[0], y = q[1], z = q[2], w = q[3];
        // clang-format off
        const float want[16] = {1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y), 0,
                                2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x), 0,
                                2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y), 0,
                                0, 0, 0, 1};
        // clang-format on
        t.quatToMat4(m, q);
        ExpectNear16(m, want, 1e-6f, "quaternion");
    }
}

TEST_P(NumericKernelsTest, SixteenBitKernelsKeepLowSixteenBitsWithoutOverflow)
{
    const MemOpsTable& t = Table();
    std::mt19937 rng(7);
    std::uniform_int_distribution<unsigned> d(0, 0xFFFF);
    for (int round = 0; round < 100; ++round)
    {
        std::uint16_t m[16], v[4], out[4], orig[16];
        for (auto& e : m)
            e = static_cast<std::uint16_t>(d(rng));
        for (auto& e : v)
            e = static_cast<std::uint16_t>(d(rng));
        std::memcpy(orig, m, sizeof m);
        // Largest factors included: 0xFFFF * 0xFFFF would overflow an int.
        const unsigned s = round == 0 ? 0xFFFFu : round == 1 ? 0xFFFFFFFFu : rng();
        t.scale16u16(m, s);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(m[i], static_cast<std::uint16_t>((std::uint64_t(orig[i]) * s) & 0xFFFF));
        t.vecMul4u16(out, v, orig);
        for (int j = 0; j < 4; ++j)
        {
            std::uint64_t sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += std::uint64_t(v[k]) * orig[4 * k + j];
            EXPECT_EQ(out[j], static_cast<std::uint16_t>(sum & 0xFFFF));
        }
    }
}
