#pragma once
// A stream over a vector of bytes that records the size of every transfer and
// can refuse writes past a limit and hand out reads in small pieces. It is not a memory stream to
// the copy, which so takes its buffered path with it.

#include "velmar/io/Orvex.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace testsupport
{

class CRecordingStream : public Orvex::IStream
{
public:
    explicit CRecordingStream(std::vector<uint8_t> content = {}) : data(std::move(content)) {}

    uint32_t Read(void* buffer, uint32_t count) override
    {
        reads.push_back(count);
        // From the bytes held, whatever GetLength claims.
        const uint32_t held = static_cast<uint32_t>(data.size());
        const uint32_t n = position < held ? std::min({count, held - position, readLimit}) : 0;
        if (n != 0)
            std::copy_n(data.begin() + position, n, static_cast<uint8_t*>(buffer));
        position += n;
        return n;
    }
    uint32_t Write(const void* buffer, uint32_t count) override
    {
        writes.push_back(count);
        if (writes.size() == refuseWrite)
            return 0;
        const uint32_t n = std::min(count, writeLimit);
        writeLimit -= n;
        if (data.size() < position + n)
            data.resize(position + n);
        std::copy_n(static_cast<const uint8_t*>(buffer), n, data.begin() + position);
        position += n;
        return n;
    }
    Orvex::IAsyncCtrl* GetAsyncCtrl() override { return nullptr; }
    uint32_t GetMode() override { return Orvex::kModeRead | Orvex::kModeWrite; }
    uint32_t GetPosition() override { return position; }
    uint32_t GetLength() override { return static_cast<uint32_t>(data.size()); }
    bool IsWritable() override { return true; }
    void* MapRegion(uint32_t, uint32_t offset, uint32_t size) override
    {
        const bool fits = offset <= data.size() && size <= data.size() - offset;
        return views && fits ? data.data() + offset : nullptr;
    }
    bool UnmapRegion(void*) override { return views; }
    bool Seek(int32_t offset, uint32_t origin) override
    {
        const int64_t base = origin == Orvex::kSeekBegin ? 0
                             : origin == Orvex::kSeekEnd ? data.size()
                                                         : position;
        if (base + offset < 0 || base + offset > static_cast<int64_t>(data.size()))
            return false;
        position = static_cast<uint32_t>(base + offset);
        return true;
    }
    bool Flush() override
    {
        ++flushes;
        return true;
    }

    std::vector<uint8_t> data;
    uint32_t position = 0;
    uint32_t writeLimit = 0xFFFFFFFFu;
    uint32_t readLimit = 0xFFFFFFFFu; // the most one read gives, as a pipe would
    size_t refuseWrite = 0; // the one write (counted from 1) that takes nothing, as a brief fault
    bool views = false;     // MapRegion gives views of the bytes held
    int flushes = 0;
    std::vector<uint32_t> reads, writes;
};

} // namespace testsupport
