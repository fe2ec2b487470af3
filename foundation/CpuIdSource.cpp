#include "velmar/foundation/CpuIdSource.h"

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))
#define VELMAR_HAVE_CPUID 1
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace cpuidt
{

bool CNativeCpuId::Query(std::uint32_t leaf, std::uint32_t subleaf, CpuIdRegs& out) const
{
    out = CpuIdRegs{};
#ifdef VELMAR_HAVE_CPUID
    // __get_cpuid_max answers 0 where the instruction is missing (it tests the
    // ID flag on 32-bit processors).
    const unsigned int basicMax = __get_cpuid_max(0, nullptr);
    if (basicMax == 0)
        return false;
    const bool extended = (leaf & 0x80000000u) != 0;
    const unsigned int highest = extended ? __get_cpuid_max(0x80000000u, nullptr) : basicMax;
    // A processor without extended leaves echoes something below the range.
    if ((extended && highest < 0x80000000u) || leaf > highest)
        return true;
    unsigned int a, b, c, d;
    __cpuid_count(leaf, subleaf, a, b, c, d);
    out.eax = a;
    out.ebx = b;
    out.ecx = c;
    out.edx = d;
    return true;
#else
    (void)leaf;
    (void)subleaf;
    return false;
#endif
}

const CNativeCpuId& CNativeCpuId::Instance()
{
    static const CNativeCpuId native;
    return native;
}

bool ReadTsc(std::uint64_t& value)
{
#ifdef VELMAR_HAVE_CPUID
    value = __rdtsc();
    return true;
#else
    value = 0;
    return false;
#endif
}

} // namespace cpuidt
