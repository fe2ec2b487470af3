#include "velmar/foundation/cpuidt.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cpuid.h>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace cpuidt;

namespace
{

// A processor described leaf by leaf; leaves not given answer zeros.
class CScriptedCpuId : public ICpuIdSource
{
public:
    std::map<std::uint32_t, CpuIdRegs> leaves;
    bool present = true;
    mutable std::uint32_t leaf1Calls = 0;
    std::uint32_t featureFlipOnCall = 0; // leaf-1 call that loses SSE2 (0: none)

    void Set(std::uint32_t leaf, CpuIdRegs r) { leaves[leaf] = r; }
    void SetString(std::uint32_t firstLeaf, const char* text)
    {
        char buf[48] = {};
        std::memcpy(buf, text, std::min(std::strlen(text), sizeof buf));
        for (std::uint32_t i = 0, w[4]; i < 3; ++i)
        {
            std::memcpy(w, buf + 16 * i, 16);
            Set(firstLeaf + i, {w[0], w[1], w[2], w[3]});
        }
    }
    void SetVendor(std::uint32_t maxLeaf, const char* vendor)
    {
        std::uint32_t w[3];
        std::memcpy(w, vendor, 12);
        Set(0, {maxLeaf, w[0], w[2], w[1]}); // EBX, EDX, ECX
    }

    bool Query(std::uint32_t leaf, std::uint32_t, CpuIdRegs& out) const override
    {
        const auto it = leaves.find(leaf);
        out = present && it != leaves.end() ? it->second : CpuIdRegs{};
        if (present && leaf == 1)
        {
            out.ebx |= leaf1Calls++ << 24; // each processor its own APIC id
            if (leaf1Calls == featureFlipOnCall)
                out.edx &= ~(1u << 26);
        }
        return present;
    }
};

// The report's lines, each checked to end in CR LF.
std::vector<std::string> ReportLines(const _CCPUFeature& cpu)
{
    std::FILE* f = std::tmpfile();
    if (!f)
        return {};
    EXPECT_TRUE(cpu.WriteReport(f));
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(f);
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos)
    {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::string Trimmed(std::string s)
{
    s.erase(0, s.find_first_not_of(" \t"));
    s.erase(s.find_last_not_of(" \t") + 1);
    return s;
}

// The first processor's entries of /proc/cpuinfo; empty where there is none.
std::map<std::string, std::string> ProcCpuInfo()
{
    std::map<std::string, std::string> info;
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line) && !line.empty())
        if (const auto colon = line.find(':'); colon != std::string::npos)
            info[Trimmed(line.substr(0, colon))] = Trimmed(line.substr(colon + 1));
    return info;
}

std::string ReadFirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The brand string as the processor reports it, read with the compiler's own
// cpuid intrinsic; the kernel's "model name" may differ under a hypervisor
// that substitutes it.
std::string BrandFromCompiler()
{
    unsigned regs[13] = {};
    for (unsigned i = 0; i < 3; ++i)
        if (!__get_cpuid(0x80000002u + i, &regs[4 * i], &regs[4 * i + 1], &regs[4 * i + 2],
                         &regs[4 * i + 3]))
            return {};
    return Trimmed(reinterpret_cast<const char*>(regs));
}

const char* const kSeparator = "============================================";

} // namespace

TEST(CpuFeature, ReportOnThisMachineMatchesWhatTheKernelReports)
{
    const auto proc = ProcCpuInfo();
    if (proc.find("vendor_id") == proc.end() || proc.find("flags") == proc.end())
        GTEST_SKIP() << "no x86 /proc/cpuinfo here";
    std::istringstream flagWords(proc.at("flags"));
    const std::set<std::string> flags{std::istream_iterator<std::string>(flagWords), {}};
    _CCPUFeature* cpu = _CCPUFeature::GetInstance();
    ASSERT_EQ(cpu, _CCPUFeature::GetInstance());
    ASSERT_NE(cpu->GetProcessor(0), nullptr);
    EXPECT_EQ(cpu->GetProcessor(cpu->GetProcessorCount()), nullptr);
    EXPECT_EQ(cpu->GetSymmetry(), 1u) << "processors of one package differ";

    // Flags the kernel shows as it reads them from cpuid.
    const std::pair<const char*, FeatureIndex> same[] = {
        {"mmx", FeatureMMX},       {"3dnow", Feature3DNow},  {"sse", FeatureSSE},
        {"sse2", FeatureSSE2},     {"pni", FeatureSSE3},     {"ssse3", FeatureSSSE3},
        {"sse4_1", FeatureSSE41},  {"sse4_2", FeatureSSE42}, {"fpu", FeatureFPU},
        {"tsc", FeatureTSC},       {"cx8", FeatureCX8},      {"clflush", FeatureCLFLUSH},
        {"fxsr", FeatureFXSR},     {"pae", FeaturePAE},      {"pse", FeaturePSE},
        {"popcnt", FeaturePOPCNT},
    };
    for (const auto& [name, index] : same)
        EXPECT_EQ(cpu->HasFeature(index), flags.count(name) == 1) << name;
    EXPECT_EQ(cpu->HasFeature(FeatureCLFLUSH2), cpu->HasFeature(FeatureCLFLUSH));
    EXPECT_FALSE(cpu->HasFeature(FeatureAltiVec));
    EXPECT_TRUE(!cpu->HasFeature(FeatureHyperThreading) || flags.count("ht"));

    const std::vector<std::string> lines = ReportLines(*cpu);
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines.front(), kSeparator);
    EXPECT_EQ(lines.back(), kSeparator);
    EXPECT_EQ(lines[1], " ZOZEzarivav ver: 0.0.0, build0000");
    const std::string brand = BrandFromCompiler();
    if (!brand.empty())
    {
        EXPECT_EQ(lines[2], "    Brand string: " + brand);
    }
    EXPECT_EQ(lines[3], "          Vendor: " + proc.at("vendor_id"));
    std::smatch m;
    ASSERT_TRUE(
        std::regex_match(lines[4], m, std::regex("       Frequency: ([0-9]+)\\.[0-9]{2} MHz")));
    if (flags.count("tsc"))
    {
        EXPECT_GT(std::stoi(m[1]), 50);
        EXPECT_LT(std::stoi(m[1]), 20000);
    }
    EXPECT_TRUE(std::regex_match(lines[5], std::regex("       Num cores: [1-9][0-9]*")));
    EXPECT_TRUE(lines[6] == "  Hyperthreading: Yes" || lines[6] == "  Hyperthreading: No");
    EXPECT_EQ(lines[7], std::string("           64bit: ") + (flags.count("lm") ? "Yes" : "No"));
    if (proc.count("clflush size"))
    {
        EXPECT_EQ(lines[8], "CLFLUSH line size: " + proc.at("clflush size"));
    }
    std::string sets = "Instruction-sets: ";
    const std::pair<const char*, const char*> names[] = {
        {"mmx", "MMX"},       {"3dnow", "3DNow!"},  {"sse", "SSE"},
        {"sse2", "SSE2"},     {"pni", "SSE3"},      {"ssse3", "SSSE3"},
        {"sse4_1", "SSE4.1"}, {"sse4_2", "SSE4.2"}, {"xop", "SSE5"},
    };
    for (const auto& [flag, name] : names)
        if (flags.count(flag))
            sets += std::string(name) + ", ";
    EXPECT_EQ(lines[9], sets);

    // Cache lines: as the kernel's cache directory describes them, in order.
    std::map<std::string, std::string> byName;
    for (int i = 0; i < 8; ++i)
    {
        const std::string at = "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(i) + "/";
        const std::string level = ReadFirstLine(at + "level");
        std::string size = ReadFirstLine(at + "size");
        if (level.empty())
            continue;
        if (!size.empty() && size.back() == 'K')
            size.pop_back();
        const std::string name = level != "1" ? "        L" + level + " Cache"
                                 : ReadFirstLine(at + "type") == "Instruction" ? "   L1 Inst Cache"
                                                                               : "   L1 Data Cache";
        byName[name] = name + ": " + size + " Kbytes, " +
                       ReadFirstLine(at + "coherency_line_size") + " bytes line size, " +
                       ReadFirstLine(at + "ways_of_associativity") + "-ways of association.";
    }
    std::vector<std::string> caches;
    for (const char* name :
         {"   L1 Inst Cache", "   L1 Data Cache", "        L2 Cache", "        L3 Cache"})
        if (byName.count(name))
            caches.push_back(byName[name]);
    if (!caches.empty())
    {
        std::vector<std::string> reported(lines.begin() + 10, lines.end() - 1);
        if (!reported.empty() && reported.back().rfind("     Trace Cache: ", 0) == 0)
            reported.pop_back();
        EXPECT_EQ(reported, caches);
    }
}

TEST(CpuFeature, FrequencyIsMeasuredOnceAndPositiveWithATimeStampCounter)
{
    _CCPUFeature* cpu = _CCPUFeature::GetInstance();
    if (!cpu->HasFeature(FeatureTSC))
        GTEST_SKIP() << "no time-stamp counter";
    const DWORD cls = GetPriorityClass(GetCurrentProcess());
    const int prio = GetThreadPriority(GetCurrentThread());
    const float mhz = cpu->GetFrequencyMHz();
    EXPECT_GT(mhz, 50.0f);
    EXPECT_EQ(cpu->GetFrequencyMHz(), mhz);
    // The raised priority is given back.
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), cls);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), prio);
}

TEST(CpuFeature, WithoutCpuidVendorIsZeroNoFeaturesAndReportIsBare)
{
    CScriptedCpuId none;
    none.present = false;
    _CCPUFeature cpu(none);
    ASSERT_EQ(cpu.GetProcessorCount(), 1u);
    EXPECT_EQ(cpu.GetProcessor(0)->vendorCode, VendorUnknown);
    for (std::uint32_t i = 0; i < FeatureCount + 100; ++i)
        EXPECT_FALSE(cpu.HasFeature(i)) << i;
    EXPECT_EQ(cpu.GetFrequencyMHz(), 0.0f);
    EXPECT_EQ(ReportLines(cpu),
              (std::vector<std::string>{
                  kSeparator, " ZOZEzarivav ver: 0.0.0, build0000",
                  "    Brand string: ", "          Vendor: ", "       Frequency: 0.00 MHz",
                  "       Num cores: 1", "  Hyperthreading: No", "           64bit: No",
                  "CLFLUSH line size: 0", "Instruction-sets: ", kSeparator}));
    EXPECT_FALSE(cpu.WriteReport(nullptr));
}

// Vendors other than Intel and AMD: known ones get their code, and every
// vendor's processor is decoded through the extended leaves they all share.
TEST(CpuFeature, VendorStringsMapToTheirCodes)
{
    const std::pair<const char*, std::uint32_t> vendors[] = {
        {"AMD ISBETTER", VendorAMD},       {"CyrixInstead", VendorCyrix},
        {"GenuineTMx86", VendorTransmeta}, {"UMC UMC UMC ", VendorUnknown},
        {"RiseRiseRise", VendorUnknown},   {"SiS SiS SiS ", VendorUnknown},
        {"Geode by NSC", VendorUnknown},   {"GenuineIotel", VendorUnknown},
        {"HygonGenuine", VendorUnknown},
    };
    for (const auto& [vendor, code] : vendors)
        EXPECT_EQ(VendorCodeOf(vendor), code) << vendor;
}

TEST(CpuFeature, UnknownVendorGetsOnlyTheCommonLeavesDecoded)
{
    CScriptedCpuId cpuid;
    cpuid.SetVendor(1, "HygonGenuine");
    cpuid.Set(1,
              {0x00900F01, 0x00080800, 0x00000001, 0x07808011}); // SSE3; FPU TSC MMX SSE SSE2 ...
    cpuid.Set(0x80000000u, {0x80000008u, 0, 0, 0});
    cpuid.Set(0x80000001u, {0, 0, 0x800, 0xA0400000u}); // LM, 3DNow!, SSE5 bits
    cpuid.SetString(0x80000002u, "Hygon C86 Processor");
    cpuid.Set(0x80000005u, {0, 0, 0x20080140, 0x20080140});
    _CCPUFeature cpu(cpuid);
    const CProcessorInfo* p = cpu.GetProcessor(0);
    EXPECT_STREQ(p->vendor, "HygonGenuine");
    EXPECT_EQ(p->vendorCode, VendorUnknown);
    EXPECT_TRUE(cpu.HasFeature(FeatureMMX));
    EXPECT_TRUE(cpu.HasFeature(FeatureSSE2));
    EXPECT_TRUE(cpu.HasFeature(FeatureSSE3));
    EXPECT_TRUE(cpu.HasFeature(FeatureStreamingStore));
    EXPECT_FALSE(cpu.HasFeature(Feature3DNow));
    EXPECT_FALSE(cpu.HasFeature(FeatureSSE5));
    EXPECT_EQ(p->brand[0], '\0');
    EXPECT_EQ(p->addressWidth, 32u);
    EXPECT_FALSE(p->l1Data.IsPresent());
    EXPECT_EQ(p->clflushLineSize, 64u);
}

TEST(CpuFeature, CentaurIsDecodedThroughTheCommonExtendedLeaves)
{
    CScriptedCpuId cpuid;
    cpuid.SetVendor(1, "CentaurHauls");
    cpuid.Set(1, {0x000006F2, 0x00000800, 0x00000001, 0x07808011});
    cpuid.Set(0x80000000u, {0x80000006u, 0, 0, 0});
    cpuid.Set(0x80000001u, {0, 0, 0x800, 0xE0400000u}); // 3DNow!, LM; AMD-only bits set too
    cpuid.SetString(0x80000002u, "  VIA Nano Processor  ");
    cpuid.Set(0x80000005u, {0, 0, 0x40100140, 0x40100140});
    cpuid.Set(0x80000006u, {0, 0, 0x04008140, 0x00408140});
    _CCPUFeature cpu(cpuid);
    const CProcessorInfo* p = cpu.GetProcessor(0);
    EXPECT_EQ(p->vendorCode, VendorCentaur);
    EXPECT_TRUE(cpu.HasFeature(Feature3DNow));
    // The AMD-defined bits of the same leaf mean nothing for this vendor.
    EXPECT_FALSE(cpu.HasFeature(FeatureMMXExt));
    EXPECT_FALSE(cpu.HasFeature(Feature3DNowExt));
    EXPECT_FALSE(cpu.HasFeature(FeatureSSE5));
    EXPECT_STREQ(p->brand, "VIA Nano Processor");
    EXPECT_EQ(p->addressWidth, 64u);
    EXPECT_EQ(p->l1Data, (CCacheInfo{64, 16, 64}));
    EXPECT_EQ(p->l2, (CCacheInfo{1024, 16, 64}));
    EXPECT_FALSE(p->l3.IsPresent()); // only AMD reports a third level there
}

TEST(CpuFeature, IntelDescriptorsGiveCachesTraceCacheAndReportLines)
{
    // A Pentium 4 with hyper-threading: leaf 2 only, no leaf 4.
    CScriptedCpuId cpuid;
    cpuid.SetVendor(2, "GenuineIntel");
    cpuid.Set(1, {0x00000F29, 0x00020800, 0x00004400, 0xBFEBFBFF});
    cpuid.Set(2, {0x665B5001, 0, 0, 0x007A7040});
    cpuid.Set(0x80000000u, {0x80000004u, 0, 0, 0});
    cpuid.SetString(0x80000002u, "              Intel(R) Pentium(R) 4 CPU 2.80GHz");
    _CCPUFeature cpu(cpuid);
    ASSERT_EQ(cpu.GetProcessorCount(), 2u); // two logical processors in the package
    EXPECT_EQ(cpu.GetSymmetry(), 1u);       // though their APIC ids differ
    const CProcessorInfo* p = cpu.GetProcessor(0);
    EXPECT_EQ(p->vendorCode, VendorIntel);
    EXPECT_EQ(p->family, 0xFu);
    EXPECT_EQ(p->model, 2u);
    EXPECT_EQ(p->stepping, 9u);
    EXPECT_NE(p->apicId, cpu.GetProcessor(1)->apicId);
    const std::vector<std::string> lines = ReportLines(cpu);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[2], "    Brand string: Intel(R) Pentium(R) 4 CPU 2.80GHz");
    EXPECT_EQ(lines[3], "          Vendor: GenuineIntel");
    EXPECT_EQ(lines[5], "       Num cores: 1");
    EXPECT_EQ(lines[6], "  Hyperthreading: Yes");
    EXPECT_EQ(lines[7], "           64bit: No");
    EXPECT_EQ(lines[8], "CLFLUSH line size: 64");
    EXPECT_EQ(lines[9], "Instruction-sets: MMX, SSE, SSE2, ");
    EXPECT_EQ(lines[10], "   L1 Data Cache: 8 Kbytes, 64 bytes line size, 4-ways of association.");
    EXPECT_EQ(lines[11],
              "        L2 Cache: 256 Kbytes, 64 bytes line size, 8-ways of association.");
    EXPECT_EQ(lines[12], "     Trace Cache: 12 Kuops, 8-ways of association.");
}

TEST(CpuFeature, AmdLeavesGiveCachesCoresLongModeAndADifferingProcessorBreaksSymmetry)
{
    // An Athlon 64 X2: two cores, AMD cache leaves, long mode, 3DNow!.
    CScriptedCpuId cpuid;
    cpuid.SetVendor(1, "AuthenticAMD");
    cpuid.Set(1, {0x00040FB2, 0x00020800, 0x00000001, 0x178BFBFF});
    cpuid.Set(0x80000000u, {0x80000008u, 0, 0, 0});
    cpuid.Set(0x80000001u, {0, 0, 0x1F, 0xEBD3FBFFu});
    cpuid.SetString(0x80000002u, "AMD Athlon(tm) 64 X2 Dual Core Processor 4200+");
    cpuid.Set(0x80000005u, {0, 0, 0x40020140, 0x40020140});
    cpuid.Set(0x80000006u, {0, 0, 0x02008140, 0});
    cpuid.Set(0x80000008u, {0x3030, 0, 0x01, 0});
    cpuid.featureFlipOnCall = 2; // the second processor's record
    _CCPUFeature cpu(cpuid);
    ASSERT_EQ(cpu.GetProcessorCount(), 2u);
    EXPECT_EQ(cpu.GetSymmetry(), 2u);
    EXPECT_TRUE(cpu.HasFeature(FeatureSSE2)); // present when any processor has it
    const CProcessorInfo* p = cpu.GetProcessor(0);
    EXPECT_EQ(p->vendorCode, VendorAMD);
    EXPECT_EQ(p->coresPerPackage, 2u);
    EXPECT_EQ(p->addressWidth, 64u);
    for (std::uint32_t f : {Feature3DNow, Feature3DNowExt, FeatureMMXExt})
        EXPECT_TRUE(p->Has(f)) << f;
    EXPECT_FALSE(p->Has(FeatureSSE5));
    const std::vector<std::string> lines = ReportLines(cpu);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[5], "       Num cores: 2");
    EXPECT_EQ(lines[7], "           64bit: Yes");
    EXPECT_EQ(lines[9], "Instruction-sets: MMX, 3DNow!, SSE, SSE2, SSE3, ");
    EXPECT_EQ(lines[10], "   L1 Inst Cache: 64 Kbytes, 64 bytes line size, 2-ways of association.");
    EXPECT_EQ(lines[11], "   L1 Data Cache: 64 Kbytes, 64 bytes line size, 2-ways of association.");
    EXPECT_EQ(lines[12],
              "        L2 Cache: 512 Kbytes, 64 bytes line size, 16-ways of association.");
}

TEST(CpuFeature, DetectionFillsEveryRecordAndGivesTheThreadItsProcessorsBack)
{
    HANDLE process = GetCurrentProcess();
    DWORD_PTR processMask = 0, systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(process, &processMask, &systemMask));
    {
        _CCPUFeature cpu;
        // Pinned to each processor in turn, then back to all of them.
        EXPECT_EQ(SetThreadAffinityMask(GetCurrentThread(), processMask), processMask);
        for (std::uint32_t i = 0; i < cpu.GetProcessorCount(); ++i)
            EXPECT_STREQ(cpu.GetProcessor(i)->vendor, cpu.GetProcessor(0)->vendor);
    }
    // Where the process may run on processor 0 only, the other records are
    // still filled, from wherever the thread happens to be.
    if (processMask & 1)
    {
        ASSERT_TRUE(SetProcessAffinityMask(process, 1));
        _CCPUFeature cpu;
        for (std::uint32_t i = 0; i < cpu.GetProcessorCount(); ++i)
            EXPECT_STREQ(cpu.GetProcessor(i)->vendor, cpu.GetProcessor(0)->vendor);
        EXPECT_EQ(SetThreadAffinityMask(GetCurrentThread(), 1), DWORD_PTR(1));
        ASSERT_TRUE(SetProcessAffinityMask(process, processMask));
    }
}

TEST(CpuFeature, VersionStringTakesItsFieldsFromTheVersionWord)
{
    char buf[64];
    EXPECT_EQ(_CCPUFeature::GetVersionString(buf, sizeof buf), 16);
    EXPECT_STREQ(buf, "0.0.0, build0000");
    _CCPUFeature::GetVersionString(buf, sizeof buf, 0x01234567u);
    EXPECT_STREQ(buf, "18.3.4, build1383");
    EXPECT_EQ(_CCPUFeature::GetVersionString(buf, 5, 0x01234567u), 4);
    EXPECT_STREQ(buf, "18.3");
    EXPECT_EQ(_CCPUFeature::GetVersionString(nullptr, 10), 0);
}
