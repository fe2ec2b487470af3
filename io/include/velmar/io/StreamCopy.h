#pragma once
// Whole-stream copy and the flush helpers.

#include "velmar/io/Stream.h"

namespace Orvex
{

// Copies the rest of `source` into `destination` and returns the bytes the
// destination accepted. Memory streams on either side are read or filled in
// place and their positions advance by the bytes moved; otherwise the bytes
// go through one 4096-byte buffer. Each transfer has ended before the next
// starts, also on an asynchronous file (see ReadCompleted). The copy ends at the first read of 0
// bytes or the first write that accepts less than it was given. With a sink it reports 0 percent
// first and 100 percent last (times the sink's scale), and byte counts after each block of a memory
// side.
uint32_t CopyStream(ISeqStreamReader* source, ISeqStreamWriter* destination,
                    const ProgressSink* sink = nullptr);

} // namespace Orvex
