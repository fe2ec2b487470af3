#pragma once
// Where the processor identification reads its cpuid answers: the processor
// itself, or a scripted source that stands for a processor this machine is not.
#include <cstdint>

namespace cpuidt
{

struct CpuIdRegs
{
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

class ICpuIdSource
{
public:
    virtual ~ICpuIdSource() = default;
    // False when the instruction is absent; a leaf beyond the highest one
    // reports zeros, as the decoding expects.
    virtual bool Query(std::uint32_t leaf, std::uint32_t subleaf, CpuIdRegs& out) const = 0;
};

// The cpuid instruction of the processor the calling thread runs on. On
// builds for other processors, and on x86 processors that lack it, every
// query fails.
class CNativeCpuId : public ICpuIdSource
{
public:
    bool Query(std::uint32_t leaf, std::uint32_t subleaf, CpuIdRegs& out) const override;
    static const CNativeCpuId& Instance();
};

// The time-stamp counter; false where it cannot be read by this build.
bool ReadTsc(std::uint64_t& value);

} // namespace cpuidt
