#pragma once
// Processor-specific routines for the memory-operations table. Each is built
// for its instruction set whatever the build's own target, so the upgrade
// may pick it only after the processor has said it has that set. Builds for
// other processors have none (kHaveCpuRoutines is false).
#include <cstdint>

namespace nkMem::cpu
{

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))
inline constexpr bool kHaveCpuRoutines = true;

// MMX. The streaming copy also needs SSE (movntq, prefetch, sfence).
void* MmxXorCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n);
void* MmxAndCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n);
void* MmxOrCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n);
void MmxScale16u16(std::uint16_t* m, unsigned s);
void MmxVecMul4u16(std::uint16_t* out, const std::uint16_t* v, const std::uint16_t* m);
void* MmxStreamingCopy(void* dst, const void* src, std::uint32_t n);
void* MmxFill(void* dst, int value, std::uint32_t n);
void* MmxMove(void* dst, const void* src, std::uint32_t n);

// SSE.
bool SseInvert4(float* m, const float* det);
void SseMul4(float* out, const float* a, const float* b);
void SseMul3(float* out, const float* a, const float* b);
void SseVecMul4(float* out, const float* v, const float* m);
void SseSub4(float* out, const float* a, const float* b);
void SseAdd4(float* out, const float* a, const float* b);
void SseQuatToMat4(float* out, const float* q);
void SseScale4(float* m, float s);

// SSE2.
void Sse2VecMul4d(double* out, const double* v, const double* m);
void Sse2Sha512Block(const void* block, std::uint64_t* state, const std::uint64_t* roundConstants);
#else
inline constexpr bool kHaveCpuRoutines = false;
#endif

} // namespace nkMem::cpu
