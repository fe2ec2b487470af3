#include "velmar/foundation/ProcessorInfo.h"

#include <cstring>

namespace cpuidt
{

const char* const kInstructionSetNames[kInstructionSetCount] = {
    "MMX", "3DNow!", "SSE", "SSE2", "SSE3", "SSSE3", "SSE4.1", "SSE4.2", "SSE5", "AltiVec",
};

namespace
{

inline bool Bit(std::uint32_t word, int bit)
{
    return ((word >> bit) & 1u) != 0;
}
inline std::uint32_t Bits(std::uint32_t word, int low, int count)
{
    return (word >> low) & ((1u << count) - 1u);
}

CpuIdRegs Ask(const ICpuIdSource& cpuid, std::uint32_t leaf, std::uint32_t subleaf = 0)
{
    CpuIdRegs r;
    if (!cpuid.Query(leaf, subleaf, r))
        r = CpuIdRegs{};
    return r;
}

void SetFlag(CProcessorInfo& info, FeatureIndex index, bool on)
{
    info.features[index] = on ? 1u : 0u;
}

std::uint16_t ClampWays(std::uint64_t ways)
{
    return static_cast<std::uint16_t>(ways > 0xFFFF ? 0xFFFF : ways);
}

// Leaf 4 (Intel) and leaf 0x8000001D (AMD) describe one cache per subleaf
// in the same format.
void DecodeDeterministicCaches(CProcessorInfo& info, const ICpuIdSource& cpuid, std::uint32_t leaf)
{
    for (std::uint32_t sub = 0; sub < 16; ++sub)
    {
        const CpuIdRegs r = Ask(cpuid, leaf, sub);
        const std::uint32_t type = Bits(r.eax, 0, 5);
        if (type == 0)
            break;
        const std::uint32_t level = Bits(r.eax, 5, 3);
        const std::uint64_t ways = Bits(r.ebx, 22, 10) + 1ull;
        const std::uint64_t partitions = Bits(r.ebx, 12, 10) + 1ull;
        const std::uint64_t line = Bits(r.ebx, 0, 12) + 1ull;
        const std::uint64_t sets = static_cast<std::uint64_t>(r.ecx) + 1ull;
        const std::uint64_t bytes = ways * partitions * line * sets;
        CCacheInfo c;
        c.sizeKB = static_cast<std::uint32_t>(bytes / 1024);
        c.lineSize = static_cast<std::uint32_t>(line);
        c.ways = ClampWays(Bit(r.eax, 9) ? bytes / line : ways);
        if (level == 1 && type == 1)
            info.l1Data = c;
        else if (level == 1 && type == 2)
            info.l1Instruction = c;
        else if (level == 2)
            info.l2 = c;
        else if (level == 3)
            info.l3 = c;
    }
}

struct IntelDescriptor
{
    std::uint8_t code;
    std::uint8_t kind;  // 0 L1 inst, 1 L1 data, 2 L2, 3 L3, 4 trace
    std::uint32_t size; // KB, or Kuops for the trace cache
    std::uint8_t ways;
    std::uint8_t line;
};

// The cache descriptors of leaf 2 that processors without leaf 4 report, and
// the trace caches, which only leaf 2 describes.
const IntelDescriptor kIntelDescriptors[] = {
    {0x06, 0, 8, 4, 32},      {0x08, 0, 16, 4, 32},     {0x09, 0, 32, 4, 64},
    {0x30, 0, 32, 8, 64},     {0x0A, 1, 8, 2, 32},      {0x0C, 1, 16, 4, 32},
    {0x0D, 1, 16, 4, 64},     {0x0E, 1, 24, 6, 64},     {0x2C, 1, 32, 8, 64},
    {0x60, 1, 16, 8, 64},     {0x66, 1, 8, 4, 64},      {0x67, 1, 16, 4, 64},
    {0x68, 1, 32, 4, 64},     {0x39, 2, 128, 4, 64},    {0x3A, 2, 192, 6, 64},
    {0x3B, 2, 128, 2, 64},    {0x3C, 2, 256, 4, 64},    {0x3D, 2, 384, 6, 64},
    {0x3E, 2, 512, 4, 64},    {0x41, 2, 128, 4, 32},    {0x42, 2, 256, 4, 32},
    {0x43, 2, 512, 4, 32},    {0x44, 2, 1024, 4, 32},   {0x45, 2, 2048, 4, 32},
    {0x48, 2, 3072, 12, 64},  {0x4E, 2, 6144, 24, 64},  {0x78, 2, 1024, 4, 64},
    {0x79, 2, 128, 8, 64},    {0x7A, 2, 256, 8, 64},    {0x7B, 2, 512, 8, 64},
    {0x7C, 2, 1024, 8, 64},   {0x7D, 2, 2048, 8, 64},   {0x7F, 2, 512, 2, 64},
    {0x80, 2, 512, 8, 64},    {0x82, 2, 256, 8, 32},    {0x83, 2, 512, 8, 32},
    {0x84, 2, 1024, 8, 32},   {0x85, 2, 2048, 8, 32},   {0x86, 2, 512, 4, 64},
    {0x87, 2, 1024, 8, 64},   {0x22, 3, 512, 4, 64},    {0x23, 3, 1024, 8, 64},
    {0x25, 3, 2048, 8, 64},   {0x29, 3, 4096, 8, 64},   {0x46, 3, 4096, 4, 64},
    {0x47, 3, 8192, 8, 64},   {0x49, 3, 4096, 16, 64},  {0x4A, 3, 6144, 12, 64},
    {0x4B, 3, 8192, 16, 64},  {0x4C, 3, 12288, 12, 64}, {0x4D, 3, 16384, 16, 64},
    {0xD0, 3, 512, 4, 64},    {0xD1, 3, 1024, 4, 64},   {0xD2, 3, 2048, 4, 64},
    {0xD6, 3, 1024, 8, 64},   {0xD7, 3, 2048, 8, 64},   {0xD8, 3, 4096, 8, 64},
    {0xDC, 3, 1536, 12, 64},  {0xDD, 3, 3072, 12, 64},  {0xDE, 3, 6144, 12, 64},
    {0xE2, 3, 2048, 16, 64},  {0xE3, 3, 4096, 16, 64},  {0xE4, 3, 8192, 16, 64},
    {0xEA, 3, 12288, 24, 64}, {0xEB, 3, 18432, 24, 64}, {0xEC, 3, 24576, 24, 64},
    {0x70, 4, 12, 8, 0},      {0x71, 4, 16, 8, 0},      {0x72, 4, 32, 8, 0},
    {0x73, 4, 64, 8, 0},
};

void ApplyIntelDescriptor(CProcessorInfo& info, std::uint8_t code, bool cachesToo)
{
    for (const IntelDescriptor& d : kIntelDescriptors)
    {
        if (d.code != code)
            continue;
        if (d.kind == 4)
        {
            info.trace.kuops = d.size;
            info.trace.ways = d.ways;
        }
        else if (cachesToo)
        {
            CCacheInfo c{d.size, d.ways, d.line};
            CCacheInfo* target[] = {&info.l1Instruction, &info.l1Data, &info.l2, &info.l3};
            *target[d.kind] = c;
        }
        return;
    }
}

void DecodeIntelLeaf2(CProcessorInfo& info, const ICpuIdSource& cpuid, bool cachesToo)
{
    // The low byte of the first answer says how many times to ask; a bound
    // keeps a strange answer from looping long.
    std::uint32_t rounds = 1;
    for (std::uint32_t i = 0; i < rounds && i < 16; ++i)
    {
        const CpuIdRegs r = Ask(cpuid, 2);
        if (i == 0)
            rounds = Bits(r.eax, 0, 8);
        const std::uint32_t words[4] = {r.eax & 0xFFFFFF00u, r.ebx, r.ecx, r.edx};
        for (std::uint32_t w : words)
        {
            if (Bit(w, 31))
                continue; // this register holds no descriptors
            for (int b = 0; b < 4; ++b)
                ApplyIntelDescriptor(info, static_cast<std::uint8_t>(w >> (8 * b)), cachesToo);
        }
    }
}

void DecodeBrandAndLongMode(CProcessorInfo& info, const ICpuIdSource& cpuid)
{
    if (info.maxExtendedLeaf >= 0x80000001u)
    {
        const CpuIdRegs r = Ask(cpuid, 0x80000001u);
        if (Bit(r.edx, 29))
            info.addressWidth = 64;
    }
    if (info.maxExtendedLeaf >= 0x80000004u)
    {
        char raw[49] = {};
        for (std::uint32_t i = 0; i < 3; ++i)
        {
            const CpuIdRegs r = Ask(cpuid, 0x80000002u + i);
            std::memcpy(raw + 16 * i, &r.eax, 4);
            std::memcpy(raw + 16 * i + 4, &r.ebx, 4);
            std::memcpy(raw + 16 * i + 8, &r.ecx, 4);
            std::memcpy(raw + 16 * i + 12, &r.edx, 4);
        }
        const char* start = raw;
        while (*start == ' ')
            ++start;
        std::size_t len = std::strlen(start);
        while (len > 0 && start[len - 1] == ' ')
            --len;
        std::memcpy(info.brand, start, len);
        info.brand[len] = '\0';
    }
}

void DecodeIntel(CProcessorInfo& info, const ICpuIdSource& cpuid)
{
    const bool haveLeaf4 = info.maxLeaf >= 4;
    if (haveLeaf4)
    {
        DecodeDeterministicCaches(info, cpuid, 4);
        info.coresPerPackage = Bits(Ask(cpuid, 4, 0).eax, 26, 6) + 1;
    }
    if (info.maxLeaf >= 2)
        DecodeIntelLeaf2(info, cpuid, !haveLeaf4);
    if (info.maxLeaf >= 0xB)
    {
        // The topology leaf counts processors that exist rather than IDs
        // reserved: logical per core at the SMT level, per package at the core.
        const CpuIdRegs smt = Ask(cpuid, 0xB, 0);
        const CpuIdRegs core = Ask(cpuid, 0xB, 1);
        const std::uint32_t perCore = Bits(smt.ebx, 0, 16);
        const std::uint32_t perPackage = Bits(core.ebx, 0, 16);
        if (Bits(smt.ecx, 8, 8) == 1 && Bits(core.ecx, 8, 8) == 2 && perCore != 0 &&
            perPackage >= perCore)
            info.coresPerPackage = perPackage / perCore;
    }
    DecodeBrandAndLongMode(info, cpuid);
}

std::uint16_t AmdWays(std::uint32_t code, std::uint32_t sizeKB, std::uint32_t line)
{
    static const std::uint16_t kWays[16] = {0, 1, 2, 3, 4, 6, 8, 0, 16, 0, 32, 48, 64, 96, 128, 0};
    if (code == 0xF)
        return line ? ClampWays(sizeKB * 1024ull / line) : 0; // fully associative
    return kWays[code & 0xF];
}

// L1 from 0x80000005 and L2, L3 from 0x80000006, the format AMD set and other
// vendors followed.
void DecodeAmdStyleCaches(CProcessorInfo& info, const ICpuIdSource& cpuid, bool withL3)
{
    if (info.maxExtendedLeaf >= 0x80000005u)
    {
        const CpuIdRegs r = Ask(cpuid, 0x80000005u);
        auto l1 = [](std::uint32_t w)
        {
            CCacheInfo c;
            c.sizeKB = Bits(w, 24, 8);
            c.lineSize = Bits(w, 0, 8);
            const std::uint32_t ways = Bits(w, 16, 8);
            c.ways = ways == 0xFF ? ClampWays(c.lineSize ? c.sizeKB * 1024ull / c.lineSize : 0)
                                  : ClampWays(ways);
            return c;
        };
        info.l1Data = l1(r.ecx);
        info.l1Instruction = l1(r.edx);
    }
    if (info.maxExtendedLeaf >= 0x80000006u)
    {
        const CpuIdRegs r = Ask(cpuid, 0x80000006u);
        bool deterministic = false;
        CCacheInfo l2;
        l2.sizeKB = Bits(r.ecx, 16, 16);
        l2.lineSize = Bits(r.ecx, 0, 8);
        const std::uint32_t l2Code = Bits(r.ecx, 12, 4);
        deterministic |= l2Code == 9;
        l2.ways = AmdWays(l2Code, l2.sizeKB, l2.lineSize);
        info.l2 = l2;
        if (withL3)
        {
            CCacheInfo l3;
            l3.sizeKB = Bits(r.edx, 18, 14) * 512;
            l3.lineSize = Bits(r.edx, 0, 8);
            const std::uint32_t l3Code = Bits(r.edx, 12, 4);
            deterministic |= l3Code == 9;
            l3.ways = AmdWays(l3Code, l3.sizeKB, l3.lineSize);
            info.l3 = l3;
        }
        // Code 9: the associativity is in the deterministic cache leaf.
        if (deterministic && info.maxExtendedLeaf >= 0x8000001Du)
            DecodeDeterministicCaches(info, cpuid, 0x8000001Du);
    }
}

void DecodeExtendedFeatures(CProcessorInfo& info, const ICpuIdSource& cpuid, bool amd)
{
    if (info.maxExtendedLeaf < 0x80000001u)
        return;
    const CpuIdRegs r = Ask(cpuid, 0x80000001u);
    SetFlag(info, Feature3DNow, Bit(r.edx, 31));
    if (amd)
    {
        SetFlag(info, FeatureMMXExt, Bit(r.edx, 22));
        SetFlag(info, Feature3DNowExt, Bit(r.edx, 30));
        SetFlag(info, FeatureSSE5, Bit(r.ecx, 11));
    }
}

void DecodeAmd(CProcessorInfo& info, const ICpuIdSource& cpuid)
{
    DecodeExtendedFeatures(info, cpuid, true);
    DecodeAmdStyleCaches(info, cpuid, true);
    if (info.maxExtendedLeaf >= 0x80000008u)
    {
        std::uint32_t threads = Bits(Ask(cpuid, 0x80000008u).ecx, 0, 8) + 1;
        // From family 17h on that count includes the second thread of a core.
        const std::uint32_t family = info.family + (info.family == 0xF ? info.extendedFamily : 0);
        if (family >= 0x17 && info.maxExtendedLeaf >= 0x8000001Eu)
        {
            const std::uint32_t perCore = Bits(Ask(cpuid, 0x8000001Eu).ebx, 8, 8) + 1;
            threads = threads / perCore ? threads / perCore : 1;
        }
        info.coresPerPackage = threads;
    }
    DecodeBrandAndLongMode(info, cpuid);
}

void DecodeOtherKnownVendor(CProcessorInfo& info, const ICpuIdSource& cpuid)
{
    DecodeExtendedFeatures(info, cpuid, false);
    DecodeAmdStyleCaches(info, cpuid, false);
    DecodeBrandAndLongMode(info, cpuid);
}

} // namespace

bool CProcessorInfo::SameKind(const CProcessorInfo& o) const
{
    return std::memcmp(features, o.features, sizeof features) == 0 &&
           std::memcmp(vendor, o.vendor, sizeof vendor) == 0 &&
           std::memcmp(brand, o.brand, sizeof brand) == 0 && vendorCode == o.vendorCode &&
           maxLeaf == o.maxLeaf && maxExtendedLeaf == o.maxExtendedLeaf &&
           signature == o.signature && logicalPerPackage == o.logicalPerPackage &&
           coresPerPackage == o.coresPerPackage && clflushLineSize == o.clflushLineSize &&
           addressWidth == o.addressWidth && l1Instruction == o.l1Instruction &&
           l1Data == o.l1Data && l2 == o.l2 && l3 == o.l3 && trace == o.trace;
}

std::uint32_t VendorCodeOf(const char* vendor)
{
    static const struct
    {
        const char* name;
        std::uint32_t code;
    } kVendors[] = {
        {"GenuineIntel", VendorIntel},   {"AuthenticAMD", VendorAMD},
        {"AMD ISBETTER", VendorAMD},     {"CyrixInstead", VendorCyrix},
        {"CentaurHauls", VendorCentaur}, {"GenuineTMx86", VendorTransmeta},
        {"UMC UMC UMC ", VendorUnknown}, {"RiseRiseRise", VendorUnknown},
        {"SiS SiS SiS ", VendorUnknown}, {"Geode by NSC", VendorUnknown},
    };
    for (const auto& v : kVendors)
        if (std::strncmp(vendor, v.name, 12) == 0)
            return v.code;
    return VendorUnknown;
}

void FillProcessorInfo(CProcessorInfo& info, const ICpuIdSource& cpuid)
{
    info = CProcessorInfo{};
    CpuIdRegs r;
    if (!cpuid.Query(0, 0, r))
        return;
    info.maxLeaf = r.eax;
    std::memcpy(info.vendor, &r.ebx, 4);
    std::memcpy(info.vendor + 4, &r.edx, 4);
    std::memcpy(info.vendor + 8, &r.ecx, 4);
    const std::uint32_t ext = Ask(cpuid, 0x80000000u).eax;
    info.maxExtendedLeaf = ext >= 0x80000000u ? ext : 0;
    info.vendorCode = VendorCodeOf(info.vendor);

    if (info.maxLeaf >= 1)
    {
        const CpuIdRegs l1 = Ask(cpuid, 1);
        info.signature = l1.eax;
        info.stepping = Bits(l1.eax, 0, 4);
        info.model = Bits(l1.eax, 4, 4);
        info.family = Bits(l1.eax, 8, 4);
        info.extendedModel = Bits(l1.eax, 16, 4);
        info.extendedFamily = Bits(l1.eax, 20, 8);
        info.apicId = Bits(l1.ebx, 24, 8);
        info.clflushLineSize = Bits(l1.ebx, 8, 8) * 8;
        // The count field is only defined when the HTT bit says so.
        const bool htt = Bit(l1.edx, 28);
        const std::uint32_t logical = htt ? Bits(l1.ebx, 16, 8) : 1;
        info.logicalPerPackage = logical ? logical : 1;
        SetFlag(info, FeatureHyperThreading, htt && info.logicalPerPackage > 1);

        SetFlag(info, FeatureMMX, Bit(l1.edx, 23));
        SetFlag(info, FeatureSSE, Bit(l1.edx, 25));
        SetFlag(info, FeatureSSE2, Bit(l1.edx, 26));
        SetFlag(info, FeatureSSE3, Bit(l1.ecx, 0));
        SetFlag(info, FeatureSSSE3, Bit(l1.ecx, 9));
        SetFlag(info, FeatureSSE41, Bit(l1.ecx, 19));
        SetFlag(info, FeatureSSE42, Bit(l1.ecx, 20));
        SetFlag(info, FeatureFPU, Bit(l1.edx, 0));
        SetFlag(info, FeatureVME, Bit(l1.edx, 1));
        SetFlag(info, FeatureDE, Bit(l1.edx, 2));
        SetFlag(info, FeaturePSE, Bit(l1.edx, 3));
        SetFlag(info, FeatureTSC, Bit(l1.edx, 4));
        SetFlag(info, FeaturePAE, Bit(l1.edx, 6));
        SetFlag(info, FeatureMCE, Bit(l1.edx, 7));
        SetFlag(info, FeatureCX8, Bit(l1.edx, 8));
        SetFlag(info, FeatureAPIC, Bit(l1.edx, 9));
        SetFlag(info, FeatureSEP, Bit(l1.edx, 11));
        SetFlag(info, FeatureMTRR, Bit(l1.edx, 12));
        SetFlag(info, FeaturePAT, Bit(l1.edx, 16));
        SetFlag(info, FeaturePSE36, Bit(l1.edx, 17));
        SetFlag(info, FeatureCLFLUSH, Bit(l1.edx, 19));
        SetFlag(info, FeatureCLFLUSH2, Bit(l1.edx, 19));
        SetFlag(info, FeatureFXSR, Bit(l1.edx, 24));
        SetFlag(info, FeaturePOPCNT, Bit(l1.ecx, 23));
    }

    switch (info.vendorCode)
    {
    case VendorIntel:
        DecodeIntel(info, cpuid);
        break;
    case VendorAMD:
        DecodeAmd(info, cpuid);
        break;
    case VendorCyrix:
    case VendorCentaur:
    case VendorTransmeta:
        DecodeOtherKnownVendor(info, cpuid);
        break;
    default:
        break; // an unknown vendor's extended leaves mean nothing certain
    }
    if (info.coresPerPackage == 0)
        info.coresPerPackage = 1;
    SetFlag(info, FeatureStreamingStore, info.Has(FeatureSSE) || info.Has(FeatureMMXExt));
}

} // namespace cpuidt
