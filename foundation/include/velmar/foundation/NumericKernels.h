#pragma once
// The portable numeric kernels of the memory-operations table (slots 9 to 22;
// the SHA-512 block is in Sha512.h). Matrices are row-major: element [r][c] of
// a 4 x 4 matrix is at 4r + c. Every kernel accepts an output that is also one
// of its inputs.
#include <cstdint>

namespace nkMem
{

// Smallest normal single-precision value: a determinant at or below it in
// magnitude makes a matrix singular for the inverse.
inline constexpr float kSingularDeterminant = 1.17549435e-38f;

// In place; false (m unchanged) when singular or when the inverse does not fit
// in single precision. det, when given, is used instead of computing it.
bool MatInvert4(float* m, const float* det);
void MatMul4(float* out, const float* a, const float* b);
void MatMul3(float* out, const float* a, const float* b);
float MatDet4(const float* m);
void VecMul4(float* out, const float* v, const float* m); // out[j] = sum v[k] m[k][j]
void MatSub4(float* out, const float* a, const float* b);
void MatAdd4(float* out, const float* a, const float* b);
void MatTranspose4(float* m);
void QuatToMat4(float* out, const float* q); // q = x, y, z, w
void VecMul4d(double* out, const double* v, const double* m);
void MatScale4(float* m, float s);
void MatScale16u16(std::uint16_t* m, unsigned s); // products kept to 16 bits
void VecMul4u16(std::uint16_t* out, const std::uint16_t* v, const std::uint16_t* m);

} // namespace nkMem
