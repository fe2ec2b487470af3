#pragma once
// Helpers of the io tests: byte patterns, a scratch-folder fixture and the
// POSIX layer's counts of data transfers.

#include "velmar/io/Orvex.h"
#include "support/RecordingStream.h"
#include "support/TempDir.h"
#include "support/WineCheck.h"

#include <gtest/gtest.h>
#ifndef _WIN32
// Fault injection and call counts come from the POSIX layer's call table.
#include "SysCalls.h"
#endif

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport
{

inline std::vector<uint8_t> Pattern(std::size_t n)
{
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return v;
}

// A test with a scratch folder; faults injected into the POSIX layer's calls
// end with it.
class ScratchTest : public ::testing::Test
{
protected:
#ifndef _WIN32
    void TearDown() override
    {
        w32::ClearInjectedFaults();
    }
#endif
    TempDir dir;
};

// System calls that transfer file data, positioned or not, as the POSIX
// layer's call table counts them; always 0 on Windows, which has no table.
inline unsigned long ReadCalls()
{
#ifndef _WIN32
    return w32::SysCallCount(w32::SysCall::Read) + w32::SysCallCount(w32::SysCall::Pread);
#else
    return 0;
#endif
}

inline unsigned long WriteCalls()
{
#ifndef _WIN32
    return w32::SysCallCount(w32::SysCall::Write) + w32::SysCallCount(w32::SysCall::Pwrite);
#else
    return 0;
#endif
}

} // namespace testsupport
