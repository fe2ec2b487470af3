#include "velmar/io/StreamCopy.h"

#include "velmar/io/Transfer.h"

#include <algorithm>

namespace Orvex
{

namespace
{

constexpr uint32_t kBlock = 4096;

void ReportPercent(const ProgressSink* sink, float percent)
{
    if (sink == nullptr || sink->callback == nullptr)
        return;
    ProgressReport report{};
    report.kind = kProgressPercent;
    report.value.percent = percent * sink->scale;
    sink->callback(&report, sink->context);
}

void ReportBytes(const ProgressSink* sink, uint64_t bytes)
{
    if (sink == nullptr || sink->callback == nullptr)
        return;
    ProgressReport report{};
    report.kind = kProgressBytes;
    report.value.bytes = bytes;
    sink->callback(&report, sink->context);
}

// Drains a memory stream from its position straight out of its storage.
uint32_t CopyFromMemory(IMemStream* source, ISeqStreamWriter* destination, const ProgressSink* sink)
{
    const uint32_t start = source->GetPosition();
    const uint32_t remaining = source->GetRemaining();
    const uint8_t* base = source->GetBuffer();
    if (remaining == 0 || base == nullptr)
        return 0;
    base += start;
    uint32_t total = 0;
    if (sink == nullptr)
    {
        total = WriteCompleted(destination, base, remaining);
    }
    else
    {
        // Blocks only so that the sink hears of the progress.
        uint32_t offset = 0;
        while (offset < remaining)
        {
            const uint32_t chunk = std::min(kBlock, remaining - offset);
            const uint32_t written = WriteCompleted(destination, base + offset, chunk);
            total += written;
            offset += chunk;
            ReportBytes(sink, total);
            if (written < chunk)
                break;
        }
    }
    source->Seek64(start + total, 0, kSeekBegin);
    return total;
}

// Fills a memory stream from its position by reading into its storage,
// growing it as far as it can grow.
uint32_t CopyIntoMemory(ISeqStreamReader* source, IMemStream* destination, const ProgressSink* sink)
{
    const uint32_t origLength = destination->GetLength();
    const uint32_t capacity = destination->GetCapacity();
    uint32_t length = origLength;
    uint32_t position = destination->GetPosition();
    if (position > length)
        return 0;
    uint32_t total = 0;
    for (;;)
    {
        if (position == length)
        {
            if (length >= capacity)
                break;
            // Geometric growth keeps a long copy linear.
            uint32_t grow = sink != nullptr ? kBlock : std::max(16 * kBlock, length);
            grow = std::min(grow, capacity - length);
            if (!destination->SetLength(length + grow))
                break;
            length += grow;
        }
        uint32_t want = length - position;
        if (sink != nullptr)
            want = std::min(want, kBlock);
        uint8_t* base = destination->GetBuffer();
        if (base == nullptr)
            break;
        const uint32_t got = ReadCompleted(source, base + position, want);
        if (got == 0)
            break;
        position += got;
        total += got;
        if (sink != nullptr)
            ReportBytes(sink, total);
    }
    // Growth that no read filled is dropped again.
    const uint32_t keep = std::max(origLength, position);
    if (length > keep)
        destination->SetLength(keep);
    destination->Seek64(position, 0, kSeekBegin);
    return total;
}

uint32_t CopyThroughBuffer(ISeqStreamReader* source, ISeqStreamWriter* destination)
{
    uint8_t block[kBlock];
    uint32_t total = 0;
    for (;;)
    {
        const uint32_t got = ReadCompleted(source, block, kBlock);
        if (got == 0)
            break;
        const uint32_t written = WriteCompleted(destination, block, got);
        total += written;
        // Going on after a refused write would leave a gap inside the copy.
        if (written < got)
            break;
    }
    return total;
}

} // namespace

uint32_t CopyStream(ISeqStreamReader* source, ISeqStreamWriter* destination,
                    const ProgressSink* sink)
{
    if (source == nullptr || destination == nullptr)
        return 0;
    ReportPercent(sink, 0.0f);
    uint32_t total;
    if (auto* memSource = dynamic_cast<IMemStream*>(source))
        total = CopyFromMemory(memSource, destination, sink);
    else if (auto* memDestination = dynamic_cast<IMemStream*>(destination))
        total = CopyIntoMemory(source, memDestination, sink);
    else
        total = CopyThroughBuffer(source, destination);
    ReportPercent(sink, 100.0f);
    return total;
}

uint32_t ISeqStreamReader::ReadTo(ISeqStreamWriter* destination, const ProgressSink* sink)
{
    return CopyStream(this, destination, sink);
}

uint32_t ISeqStreamWriter::WriteFrom(ISeqStreamReader* source, const ProgressSink* sink)
{
    return CopyStream(source, this, sink);
}

bool FlushWriter(ISeqStreamWriter* writer)
{
    auto* device = dynamic_cast<IIoFlushableDevice*>(writer);
    return device != nullptr && device->Flush();
}

bool FlushReader(ISeqStreamReader* reader)
{
    auto* device = dynamic_cast<IIoFlushableDevice*>(reader);
    return device != nullptr && device->Flush();
}

uint32_t IStream::Peek(void* buffer, uint32_t count)
{
    const uint32_t got = ReadCompleted(this, buffer, count);
    // Skip takes a signed distance: step back in at most two moves.
    uint32_t back = got;
    while (back != 0)
    {
        const uint32_t step = back > 0x7FFFFFFFu ? 0x7FFFFFFFu : back;
        if (!Skip(-static_cast<int32_t>(step)))
            break;
        back -= step;
    }
    return got;
}

} // namespace Orvex
