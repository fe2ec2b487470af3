#include "StreamTestUtil.h"

#include "win32/SysCalls.h"

namespace orvex_test
{
NK_DEFINE_CLASS(CRecordingStream, Orvex::IStream)

unsigned long ReadCalls()
{
    return w32::SysCallCount(w32::SysCall::Read) + w32::SysCallCount(w32::SysCall::Pread);
}

unsigned long WriteCalls()
{
    return w32::SysCallCount(w32::SysCall::Write) + w32::SysCallCount(w32::SysCall::Pwrite);
}
} // namespace orvex_test
