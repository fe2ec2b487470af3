#include "velmar/io/LineReader.h"

#include "velmar/io/Transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Orvex
{

namespace
{

// Appends with geometric growth: the string itself grows in small steps,
// which would make a long line quadratic.
void AppendBytes(nkMem::CStringT<char>& out, const uint8_t* p, uint32_t n)
{
    if (n == 0)
        return;
    const uint32_t length = out.GetLength();
    if (out.GetCapacity() < length + n + 1)
        out.GetBuffer(std::max(length + n, length < 0x40000000u ? 2 * length : length + n));
    out.Append(reinterpret_cast<const char*>(p), n);
}

// Steps the stream back by `distance` bytes.
bool StepBack(IStream* stream, uint32_t distance)
{
    while (distance != 0)
    {
        const uint32_t step = std::min(distance, 0x7FFFFFFFu);
        if (!stream->Skip(-static_cast<int32_t>(step)))
            return false;
        distance -= step;
    }
    return true;
}

} // namespace

bool ReadUntil(IStream* stream, const void* delimiter, uint32_t length, nkMem::CStringT<char>& out,
               uint32_t* count, uint32_t flags, uint32_t blockSize, uint32_t step)
{
    if (count != nullptr)
        *count = 0;
    if (stream == nullptr || delimiter == nullptr || length == 0 || length > 0x40000000u)
        return false;
    if (step == 0)
        step = 1;
    const uint8_t* delim = static_cast<const uint8_t*>(delimiter);
    const uint32_t size = std::max(blockSize, 2 * length);
    std::vector<uint8_t> buffer(size);
    uint32_t carry = 0;
    uint32_t total = 0;
    // Where the next look falls in the block: a step can reach past the bytes
    // read, and the grid runs on from there in the next block.
    uint32_t next = 0;
    bool found = false;
    while (!found && !stream->IsEof())
    {
        const uint32_t got = ReadCompleted(stream, buffer.data() + carry, size - carry);
        if (got == 0)
            break;
        const uint32_t avail = got + carry;
        uint64_t i = next; // 64 bits: a step near 4 GiB must not wrap
        for (; i + length <= avail; i += step)
        {
            if (buffer[i] == delim[0] && std::memcmp(&buffer[i], delim, length) == 0)
            {
                // Back to the delimiter's start, or just past it.
                uint32_t back = avail - static_cast<uint32_t>(i);
                if (flags & kUntilConsume)
                    back -= length;
                StepBack(stream, back);
                found = true;
                break;
            }
        }
        // A step past the end takes what is there.
        uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(i, avail));
        next = static_cast<uint32_t>(i - take);
        if (found && (flags & kUntilKeepDelimiter))
            take += length;
        AppendBytes(out, buffer.data(), take);
        total += take;
        carry = found ? 0 : avail - take;
        if (carry != 0)
            std::memmove(buffer.data(), buffer.data() + take, carry);
    }
    // Bytes kept back for a delimiter that never came.
    if (!found && carry != 0)
        AppendBytes(out, buffer.data(), carry);
    if (count != nullptr)
        *count = total;
    return found;
}

bool ReadLine(IStream* stream, nkMem::CStringT<char>& line, uint32_t blockSize)
{
    line.Empty();
    const bool found = ReadUntil(stream, "\n", 1, line, nullptr, kUntilConsume, blockSize, 1);
    if (!line.IsEmpty())
    {
        uint32_t begin = 0;
        uint32_t end = line.GetLength();
        const char* s = line.GetString();
        if (s[0] == '\r')
            ++begin;
        if (end > begin && s[end - 1] == '\r')
            --end;
        if (begin != 0 || end != line.GetLength())
        {
            if (begin != 0)
            {
                nkMem::CStringT<char> cut;
                cut.Assign(s + begin, end - begin);
                line = cut;
            }
            else
            {
                line.GetBuffer(end);
                line.ReleaseBuffer(end);
            }
        }
    }
    return found || !line.IsEmpty();
}

} // namespace Orvex
