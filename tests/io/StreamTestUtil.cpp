#include "StreamTestUtil.h"

#ifndef _WIN32
#include "SysCalls.h"
#endif

namespace testsupport
{
NK_DEFINE_CLASS(CRecordingStream, Orvex::IStream)

#ifndef _WIN32
unsigned long ReadCalls()
{
    return w32::SysCallCount(w32::SysCall::Read) + w32::SysCallCount(w32::SysCall::Pread);
}

unsigned long WriteCalls()
{
    return w32::SysCallCount(w32::SysCall::Write) + w32::SysCallCount(w32::SysCall::Pwrite);
}
#endif
} // namespace testsupport
