#pragma once
// Device roles beside the streams: flushing, peeking, and the roles known only
// by their class records.

#include "velmar/io/SeqStream.h"

namespace Orvex
{

class IIoFlushableDevice : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Pushes buffered data to the device; false when that failed.
    virtual bool Flush() = 0;
};

class IIoPeekableDevice : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Reads up to `count` bytes without moving the position.
    virtual uint32_t Peek(void* buffer, uint32_t count) = 0;
};

// A writer that can be flushed.
class IOutputDevice : public ISeqStreamWriter, public IIoFlushableDevice
{
    NK_DECLARE_CLASS()
};

// Roles with records but no operations yet.
class IAsyncDataSource : public virtual CMemObject
{
    NK_DECLARE_CLASS()
};

class IIoFilter : public virtual CMemObject
{
    NK_DECLARE_CLASS()
};

// Flushes the writer when it is a flushable device; false otherwise.
bool FlushWriter(ISeqStreamWriter* writer);
// Flushes the reader when it is a flushable device; false otherwise.
bool FlushReader(ISeqStreamReader* reader);

} // namespace Orvex
