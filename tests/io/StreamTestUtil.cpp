#include "StreamTestUtil.h"

namespace orvex_test
{
NK_DEFINE_CLASS(CRecordingStream, Orvex::IStream)
} // namespace orvex_test
