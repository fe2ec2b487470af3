#pragma once
// Process-wide table of bulk memory routines. Every byte copy, fill and move
// of this library goes through it, so a faster routine can be put in a slot
// without touching the callers.
#include <cstddef>
#include <cstdint>

namespace nkMem
{

using MemCopyFn = void* (*)(void* dst, const void* src, std::uint32_t n);
using MemFillFn = void* (*)(void* dst, int value, std::uint32_t n);
using MemMaskCopyFn = void* (*)(const void* src, void* dst, std::uint8_t k, std::uint32_t n);
using MemCompareFn = int (*)(const void* a, const void* b, std::uint32_t n);
using MemMoveFn = void* (*)(void* dst, const void* src, std::uint32_t n);

using MatInvert4Fn = bool (*)(float* m, const float* det);
using MatMul4Fn = void (*)(float* out, const float* a, const float* b);
using MatMul3Fn = void (*)(float* out, const float* a, const float* b);
using MatDet4Fn = float (*)(const float* m);
using ReservedFn = void (*)();
using VecMul4Fn = void (*)(float* out, const float* v, const float* m);
using MatSub4Fn = void (*)(float* out, const float* a, const float* b);
using MatAdd4Fn = void (*)(float* out, const float* a, const float* b);
using MatTranspose4Fn = void (*)(float* m);
using QuatToMat4Fn = void (*)(float* out, const float* q);
using VecMul4dFn = void (*)(double* out, const double* v, const double* m);
using MatScale4Fn = void (*)(float* m, float s);
using MatScale16u16Fn = void (*)(std::uint16_t* m, unsigned s);
using VecMul4u16Fn = void (*)(std::uint16_t* out, const std::uint16_t* v, const std::uint16_t* m);
// One 128-byte block into the eight state words; the 80 round constants come
// from the caller (null takes the standard ones, kSha512RoundConstants).
using Sha512BlockFn = void (*)(const void* block, std::uint64_t* state,
                               const std::uint64_t* roundConstants);

// The slots in their fixed order; the layout is relied upon by routines that
// replace entries.
struct MemOpsTable
{
    MemCopyFn copy;             // 1: non-overlapping copy
    MemFillFn fill;             // 2: fill with a byte value
    MemMaskCopyFn xorCopy;      // 3: dst[i] = src[i] ^ k
    MemMaskCopyFn andCopy;      // 4: dst[i] = src[i] & k
    MemMaskCopyFn orCopy;       // 5: dst[i] = src[i] | k
    MemMaskCopyFn andNotCopy;   // 6: dst[i] = ~src[i] & k
    MemCompareFn compare;       // 7: -1, 0 or 1
    MemMoveFn move;             // 8: overlapping move
    MatInvert4Fn invert4;       // 9
    MatMul4Fn multiply4;        // 10
    MatMul3Fn multiply3;        // 11
    MatDet4Fn determinant4;     // 12
    ReservedFn reserved;        // 13: always null
    VecMul4Fn vecMul4;          // 14
    MatSub4Fn subtract4;        // 15
    MatAdd4Fn add4;             // 16
    MatTranspose4Fn transpose4; // 17
    QuatToMat4Fn quatToMat4;    // 18
    VecMul4dFn vecMul4d;        // 19
    MatScale4Fn scale4;         // 20
    MatScale16u16Fn scale16u16; // 21
    VecMul4u16Fn vecMul4u16;    // 22
    Sha512BlockFn sha512Block;  // 23
};
static_assert(sizeof(MemOpsTable) == 23 * sizeof(void*), "23 slots, no padding");
static_assert(offsetof(MemOpsTable, reserved) == 12 * sizeof(void*), "slot 13 at its place");
static_assert(offsetof(MemOpsTable, sha512Block) == 22 * sizeof(void*), "slot 23 at its place");

namespace detail
{
extern MemOpsTable* g_memOpsTable;
MemOpsTable* CreateMemOpsTable();
void FillPortableKernels(MemOpsTable& table); // slots 9 to 23
} // namespace detail

// A table that always holds the portable routines, whatever upgrades did to
// the process's table: the reference for the processor-specific ones.
const MemOpsTable& PortableMemOps();

// The table, created with its portable routines on first use. Creation is not
// guarded: the first call must happen before a second thread uses the table.
inline MemOpsTable* GetMemOpsTable()
{
    MemOpsTable* table = detail::g_memOpsTable;
    return table ? table : detail::CreateMemOpsTable();
}

inline void* MemCopy(void* dst, const void* src, std::uint32_t n)
{
    return GetMemOpsTable()->copy(dst, src, n);
}
inline void* MemFill(void* dst, int value, std::uint32_t n)
{
    return GetMemOpsTable()->fill(dst, value, n);
}
inline void* MemZero(void* dst, std::uint32_t n)
{
    return MemFill(dst, 0, n);
}
inline void* MemMove(void* dst, const void* src, std::uint32_t n)
{
    return GetMemOpsTable()->move(dst, src, n);
}

} // namespace nkMem
