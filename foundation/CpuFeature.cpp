#include "velmar/foundation/CpuFeature.h"

#include "velmar/win32/win32.h"

#include <chrono>

namespace cpuidt
{
namespace
{

// Enough for every package built so far; bounds the work on odd answers.
constexpr std::uint32_t kMaxProcessors = 256;
constexpr unsigned kMaskBits = sizeof(DWORD_PTR) * 8;

// Pins the calling thread to processor i when the process may run there;
// remembers the mask the thread had before the first pin.
class CThreadPinning
{
public:
    CThreadPinning()
    {
        DWORD_PTR system = 0;
        if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask, &system))
            processMask = 0;
    }
    ~CThreadPinning()
    {
        // Give the thread back the processors it had, rather than leave it on
        // the last one examined.
        if (saved)
            SetThreadAffinityMask(GetCurrentThread(), saved);
    }
    void PinTo(std::uint32_t i)
    {
        if (i >= kMaskBits)
            return;
        const DWORD_PTR bit = DWORD_PTR(1) << i;
        if (!(processMask & bit))
            return;
        const DWORD_PTR previous = SetThreadAffinityMask(GetCurrentThread(), bit);
        if (!saved)
            saved = previous;
    }

private:
    DWORD_PTR processMask = 0;
    DWORD_PTR saved = 0;
};

} // namespace

_CCPUFeature* _CCPUFeature::GetInstance()
{
    static _CCPUFeature* instance = new _CCPUFeature(); // lives as long as the process
    return instance;
}

_CCPUFeature::_CCPUFeature(const ICpuIdSource& source)
{
    CThreadPinning pinning;
    pinning.PinTo(0);
    CProcessorInfo first;
    FillProcessorInfo(first, source);

    std::uint32_t count = first.logicalPerPackage;
    if (first.coresPerPackage > count)
        count = first.coresPerPackage;
    if (count == 0)
        count = 1;
    if (count > kMaxProcessors)
        count = kMaxProcessors;
    processorCount = count;
    processors = std::make_unique<CProcessorInfo[]>(count);
    processors[0] = first;
    symmetry = 1;
    for (std::uint32_t i = 1; i < count; ++i)
    {
        pinning.PinTo(i);
        FillProcessorInfo(processors[i], source);
        if (!processors[i].SameKind(first))
            symmetry = 2;
    }
}

_CCPUFeature::~_CCPUFeature() = default;

const CProcessorInfo* _CCPUFeature::GetProcessor(std::uint32_t i) const
{
    return i < processorCount ? &processors[i] : nullptr;
}

bool _CCPUFeature::HasFeature(std::uint32_t index) const
{
    for (std::uint32_t i = 0; i < processorCount; ++i)
        if (processors[i].Has(index))
            return true;
    return false;
}

float _CCPUFeature::GetFrequencyMHz() const
{
    if (frequencyMHz >= 0.0f)
        return frequencyMHz;
    std::uint64_t start = 0, end = 0;
    if (!HasFeature(FeatureTSC) || !ReadTsc(start))
    {
        frequencyMHz = 0.0f;
        return frequencyMHz;
    }
    // Raised priority keeps the sleep from stretching much beyond its 200 ms;
    // without the right to raise it the measurement runs as it is.
    const HANDLE process = GetCurrentProcess();
    const HANDLE thread = GetCurrentThread();
    const DWORD savedClass = GetPriorityClass(process);
    const int savedPriority = GetThreadPriority(thread);
    const bool classRaised = savedClass != 0 && SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
    const bool threadRaised = savedPriority != THREAD_PRIORITY_ERROR_RETURN &&
                              SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);

    // Wall time, not the C library's clock(): that one counts processor time
    // on POSIX, which hardly moves while the thread sleeps.
    const auto t0 = std::chrono::steady_clock::now();
    ReadTsc(start);
    Sleep(200);
    ReadTsc(end);
    const auto t1 = std::chrono::steady_clock::now();

    if (threadRaised)
        SetThreadPriority(thread, savedPriority);
    if (classRaised)
        SetPriorityClass(process, savedClass);

    const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
    frequencyMHz = ms > 0.0 && end > start
                       ? static_cast<float>(static_cast<double>(end - start) / ms / 1000.0)
                       : 0.0f;
    return frequencyMHz;
}

int _CCPUFeature::GetVersionString(char* buffer, std::size_t size, std::uint32_t version)
{
    if (!buffer || size == 0)
        return 0;
    const int n =
        std::snprintf(buffer, size, "%d.%d.%d, build%04d", static_cast<int>((version >> 20) & 0xFF),
                      static_cast<int>((version >> 16) & 0xF),
                      static_cast<int>((version >> 12) & 0xF), static_cast<int>(version & 0xFFF));
    if (n < 0)
        return 0;
    return static_cast<std::size_t>(n) < size ? n : static_cast<int>(size - 1);
}

bool _CCPUFeature::WriteReport(std::FILE* f) const
{
    if (!f)
        return false;
    const CProcessorInfo& p = processors[0];
    char version[32];
    GetVersionString(version, sizeof version, 0);
    bool ok = true;
    auto line = [&](int written) { ok = ok && written >= 0; };
    line(std::fprintf(f, "============================================\r\n"));
    line(std::fprintf(f, " ZOZEzarivav ver: %s\r\n", version));
    line(std::fprintf(f, "    Brand string: %s\r\n", p.brand));
    line(std::fprintf(f, "          Vendor: %s\r\n", p.vendor));
    line(
        std::fprintf(f, "       Frequency: %0.2f MHz\r\n", static_cast<double>(GetFrequencyMHz())));
    line(std::fprintf(f, "       Num cores: %d\r\n", static_cast<int>(p.coresPerPackage)));
    line(std::fprintf(f, "  Hyperthreading: %s\r\n", p.Has(FeatureHyperThreading) ? "Yes" : "No"));
    line(std::fprintf(f, "           64bit: %s\r\n", p.addressWidth == 64 ? "Yes" : "No"));
    line(std::fprintf(f, "CLFLUSH line size: %d\r\n", static_cast<int>(p.clflushLineSize)));
    line(std::fprintf(f, "Instruction-sets: "));
    for (std::uint32_t i = 0; i < kInstructionSetCount; ++i)
        if (p.Has(i))
            line(std::fprintf(f, "%s, ", kInstructionSetNames[i]));
    line(std::fprintf(f, "\r\n"));
    const struct
    {
        const char* label;
        const CCacheInfo& cache;
    } caches[] = {
        {"   L1 Inst Cache", p.l1Instruction},
        {"   L1 Data Cache", p.l1Data},
        {"        L2 Cache", p.l2},
        {"        L3 Cache", p.l3},
    };
    for (const auto& c : caches)
        if (c.cache.IsPresent())
            line(std::fprintf(f, "%s: %d Kbytes, %d bytes line size, %d-ways of association.\r\n",
                              c.label, static_cast<int>(c.cache.sizeKB),
                              static_cast<int>(c.cache.lineSize), static_cast<int>(c.cache.ways)));
    if (p.trace.IsPresent())
        line(std::fprintf(f, "     Trace Cache: %d Kuops, %d-ways of association.\r\n",
                          static_cast<int>(p.trace.kuops), static_cast<int>(p.trace.ways)));
    line(std::fprintf(f, "============================================\r\n"));
    return ok && std::fflush(f) == 0 && !std::ferror(f);
}

} // namespace cpuidt
