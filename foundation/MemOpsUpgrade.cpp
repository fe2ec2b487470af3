#include "velmar/foundation/MemOpsUpgrade.h"

#include "velmar/foundation/CpuFeature.h"
#include "velmar/foundation/CpuRoutines.h"

namespace nkMem
{
namespace
{

bool s_kernelsUpgraded = false;
bool s_copyUpgraded = false;

void UpgradeKernels(MemOpsTable& t)
{
#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))
    const cpuidt::_CCPUFeature* cpu = cpuidt::_CCPUFeature::GetInstance();
    if (cpu->HasFeature(cpuidt::FeatureMMX))
    {
        t.xorCopy = &cpu::MmxXorCopy;
        t.andCopy = &cpu::MmxAndCopy;
        t.orCopy = &cpu::MmxOrCopy;
        t.scale16u16 = &cpu::MmxScale16u16;
        t.vecMul4u16 = &cpu::MmxVecMul4u16;
    }
    // 3DNow! alone (no SSE) only exists on 32-bit processors of the last
    // century; those keep the portable kernels.
    if (cpu->HasFeature(cpuidt::FeatureSSE))
    {
        t.invert4 = &cpu::SseInvert4;
        t.multiply4 = &cpu::SseMul4;
        t.multiply3 = &cpu::SseMul3;
        t.vecMul4 = &cpu::SseVecMul4;
        t.subtract4 = &cpu::SseSub4;
        t.add4 = &cpu::SseAdd4;
        t.quatToMat4 = &cpu::SseQuatToMat4;
        t.scale4 = &cpu::SseScale4;
    }
    if (cpu->HasFeature(cpuidt::FeatureSSE2))
    {
        t.vecMul4d = &cpu::Sse2VecMul4d;
        t.sha512Block = &cpu::Sse2Sha512Block;
    }
#else
    (void)t;
#endif
}

void UpgradeCopies(MemOpsTable& t)
{
#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))
    const cpuidt::_CCPUFeature* cpu = cpuidt::_CCPUFeature::GetInstance();
    if (cpu->HasFeature(cpuidt::FeatureMMX))
    {
        t.fill = &cpu::MmxFill;
        t.move = &cpu::MmxMove;
        // The streaming stores and prefetches of the copy are SSE instructions.
        if (cpu->HasFeature(cpuidt::FeatureSSE))
            t.copy = &cpu::MmxStreamingCopy;
    }
#else
    (void)t;
#endif
}

} // namespace

MemOpsTable* UpgradeForCpu()
{
    MemOpsTable* t = GetMemOpsTable();
    if (!s_kernelsUpgraded)
    {
        s_kernelsUpgraded = true;
        UpgradeKernels(*t);
    }
    return t;
}

MemOpsTable* UpgradeCopyForCpu()
{
    MemOpsTable* t = GetMemOpsTable();
    if (!s_copyUpgraded)
    {
        s_copyUpgraded = true;
        UpgradeKernels(*t);
        UpgradeCopies(*t);
    }
    return t;
}

} // namespace nkMem
