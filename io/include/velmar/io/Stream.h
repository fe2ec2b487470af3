#pragma once
// The full stream: sequential transfers, a position, flushing and peeking.

#include "velmar/io/IoDevice.h"
#include "velmar/io/Seekable.h"

namespace Orvex
{

class IStream : public ISequentialStream,
                public ISeekable,
                public IIoFlushableDevice,
                public IIoPeekableDevice
{
    NK_DECLARE_CLASS()

    bool CanWrite() override { return (GetMode() & kModeWrite) != 0; }
    bool CanRead() override { return (GetMode() & kModeRead) != 0; }
    // Open-mode bits (kMode...).
    virtual uint32_t GetMode() = 0;
    // The position; 0xFFFFFFFF when it cannot be read.
    virtual uint32_t GetPosition() = 0;
    virtual uint64_t GetPosition64() { return GetPosition(); }
    // The length in bytes; 0 when it cannot be read.
    virtual uint32_t GetLength() = 0;
    virtual uint64_t GetLength64() { return GetLength(); }
    virtual bool IsWritable() = 0;
    // A view of `size` bytes at `offset`, or null.
    virtual void* MapRegion(uint32_t access, uint32_t offset, uint32_t size) = 0;
    virtual bool UnmapRegion(void* view) = 0;
    // Whole positions: past 4 GiB the low words alone may match anywhere.
    virtual bool IsEof() { return GetPosition64() == GetLength64(); }
    virtual bool IsAtStart() { return GetPosition() == 0; }

    // Reads, then steps back over what was read.
    uint32_t Peek(void* buffer, uint32_t count) override;

    // Bytes between the position and the end; 0 when the position is at or
    // past the end or cannot be read, so that it can size a buffer safely.
    uint32_t GetRemaining()
    {
        const uint32_t length = GetLength();
        const uint32_t position = GetPosition();
        return position < length ? length - position : 0;
    }
    // Reads one byte; 1 when it was read.
    uint32_t ReadByte(uint8_t* out) { return Read(out, 1); }
};

// A stream over one block of memory. The whole-stream copy recognises it and
// moves its bytes in place, without an intermediate buffer.
class IMemStream : public IStream
{
    NK_DECLARE_CLASS()

    // Sets the length of the content; growing keeps the bytes and zero-fills
    // the new ones. False when the storage cannot hold it. The position is
    // kept (moved back to the end when it would lie beyond it).
    virtual bool SetLength(uint32_t length) = 0;
    // Base address of the storage (null while it holds nothing).
    virtual uint8_t* GetBuffer() = 0;
    // The largest length the storage can take.
    virtual uint32_t GetCapacity() = 0;
};

} // namespace Orvex
