#pragma once
// Identification of the machine's x86 processors: one record per logical
// processor of the package, filled on that processor, and a text report.
#include "velmar/foundation/ProcessorInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace cpuidt
{

class _CCPUFeature
{
public:
    // The process-wide detector, created and run on first call. Not guarded:
    // detection moves the calling thread between processors.
    static _CCPUFeature* GetInstance();

    // Runs detection with the given source (the processor's own by default).
    explicit _CCPUFeature(const ICpuIdSource& source = CNativeCpuId::Instance());
    virtual ~_CCPUFeature();
    _CCPUFeature(const _CCPUFeature&) = delete;
    _CCPUFeature& operator=(const _CCPUFeature&) = delete;

    // Record i, or null beyond the last one.
    const CProcessorInfo* GetProcessor(std::uint32_t i) const;
    std::uint32_t GetProcessorCount() const { return processorCount; }
    // 1 when every record is of the first one's kind, 2 when one differs.
    std::uint32_t GetSymmetry() const { return symmetry; }
    // True when any record has flag index.
    bool HasFeature(std::uint32_t index) const;

    // Time-stamp counter rate measured over 200 ms at raised priority, once;
    // 0 without a counter.
    float GetFrequencyMHz() const;

    // The report, each line ending in CR LF; false when the stream is null or
    // a write fails.
    bool WriteReport(std::FILE* stream) const;

    // "%d.%d.%d, build%04d" from bits 20-27, 16-19, 12-15 and 0-11 of the
    // version word; the number of characters written (0 for no room).
    static int GetVersionString(char* buffer, std::size_t size, std::uint32_t version = 0);

private:
    std::unique_ptr<CProcessorInfo[]> processors;
    std::uint32_t processorCount = 1;
    std::uint32_t symmetry = 0;
    mutable float frequencyMHz = -1.0f; // not measured yet
};

} // namespace cpuidt
