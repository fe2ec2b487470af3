#pragma once
// Whether code built for a vector extension may run: it is compiled where
// the compiler can target it and chosen at run time, by the processor.

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VELMAR_X86_SIMD 1
#include <immintrin.h>

namespace nkDS
{

inline bool HasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// With POPCNT, which every processor with AVX2 has as well.
inline bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    return has;
}

} // namespace nkDS
#endif
