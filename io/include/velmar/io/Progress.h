#pragma once
// Progress reports of the whole-stream copy.

#include <cstdint>

namespace Orvex
{

inline constexpr uint32_t kProgressPercent = 1; // value.percent holds percent times scale
inline constexpr uint32_t kProgressBytes = 2;   // value.bytes holds the bytes moved so far

struct ProgressReport
{
    uint32_t kind; // kProgressPercent or kProgressBytes
    union
    {
        float percent;
        uint64_t bytes;
    } value;
};

using ProgressCallback = void (*)(const ProgressReport* report, void* context);

// Optional receiver of a copy's progress.
struct ProgressSink
{
    float scale = 1.0f;                  // multiplies every percentage reported
    ProgressCallback callback = nullptr; // null reports nothing
    void* context = nullptr;             // handed back to the callback
};

} // namespace Orvex
