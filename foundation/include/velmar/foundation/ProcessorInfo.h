#pragma once
// One processor's identification record, as the detector fills it from cpuid.
#include "velmar/foundation/CpuIdSource.h"

#include <cstdint>

namespace cpuidt
{

// Indexes of the feature flags; a flag is 1 when present.
enum FeatureIndex : std::uint32_t
{
    FeatureMMX = 0,
    Feature3DNow = 1,
    FeatureSSE = 2,
    FeatureSSE2 = 3,
    FeatureSSE3 = 4,
    FeatureSSSE3 = 5,
    FeatureSSE41 = 6,
    FeatureSSE42 = 7,
    FeatureSSE5 = 8,
    FeatureAltiVec = 9,         // never set on x86
    FeatureMMXExt = 10,         // AMD's MMX extensions
    FeatureHyperThreading = 11, // more than one logical processor per package
    Feature3DNowExt = 12,       // AMD's 3DNow! extensions
    FeatureFPU = 14,
    FeatureTSC = 15,
    FeatureVME = 16,
    FeatureCX8 = 17,
    FeatureSEP = 18,
    FeatureCLFLUSH = 19,
    FeatureFXSR = 20,
    FeaturePAE = 21,
    FeatureMCE = 22,
    FeatureDE = 23,
    FeaturePSE = 24,
    FeaturePSE36 = 25,
    FeatureAPIC = 26,
    FeatureMTRR = 27,
    FeaturePAT = 28,
    FeaturePOPCNT = 29,
    FeatureCLFLUSH2 = 32,       // the same bit as FeatureCLFLUSH
    FeatureStreamingStore = 33, // SSE or MMX extensions: movntq and prefetch
    FeatureCount = 34
};

// The ten instruction-set flags come first; these are their report names.
inline constexpr std::uint32_t kInstructionSetCount = 10;
extern const char* const kInstructionSetNames[kInstructionSetCount];

enum VendorCode : std::uint32_t
{
    VendorUnknown = 0,
    VendorIntel = 1,
    VendorAMD = 2,
    VendorCyrix = 3,
    VendorCentaur = 4,
    VendorTransmeta = 5
};

// A cache level; present when both its size and its associativity are nonzero.
struct CCacheInfo
{
    std::uint32_t sizeKB = 0;
    std::uint16_t ways = 0; // a fully associative cache counts its lines
    std::uint32_t lineSize = 0;
    bool IsPresent() const { return sizeKB != 0 && ways != 0; }
    bool operator==(const CCacheInfo&) const = default;
};

struct CTraceCacheInfo
{
    std::uint32_t kuops = 0; // thousands of micro-operations
    std::uint16_t ways = 0;
    bool IsPresent() const { return kuops != 0 && ways != 0; }
    bool operator==(const CTraceCacheInfo&) const = default;
};

struct CProcessorInfo
{
    std::uint32_t features[FeatureCount] = {};
    char vendor[128] = {}; // 12 characters from leaf 0
    char brand[64] = {};   // from the extended leaves, leading blanks dropped
    std::uint32_t vendorCode = VendorUnknown;
    std::uint32_t maxLeaf = 0;
    std::uint32_t maxExtendedLeaf = 0;
    std::uint32_t signature = 0; // leaf 1 EAX
    std::uint32_t stepping = 0, model = 0, family = 0, extendedModel = 0, extendedFamily = 0;
    std::uint32_t apicId = 0; // differs between processors by design
    std::uint32_t logicalPerPackage = 1;
    std::uint32_t coresPerPackage = 1;
    std::uint32_t clflushLineSize = 0;
    std::uint32_t addressWidth = 32;
    CCacheInfo l1Instruction, l1Data, l2, l3;
    CTraceCacheInfo trace;

    bool Has(std::uint32_t index) const { return index < FeatureCount && features[index] != 0; }
    // Equal in everything that describes the processor's kind, i.e. all but
    // the APIC identifier.
    bool SameKind(const CProcessorInfo& other) const;
};

// Vendor code of a 12-character vendor string (0 for any unknown one).
std::uint32_t VendorCodeOf(const char* vendor);

// Fills info from the source: common leaves, then the vendor's own decoding
// (none for an unknown vendor). Without cpuid the record stays empty.
void FillProcessorInfo(CProcessorInfo& info, const ICpuIdSource& cpuid);

} // namespace cpuidt
