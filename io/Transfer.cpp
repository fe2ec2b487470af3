#include "velmar/io/Transfer.h"

namespace Orvex
{

bool TransferExactly(ISeqStreamReader* reader, void* buffer, uint32_t count)
{
    return reader != nullptr && reader->Read(buffer, count) == count;
}

bool TransferExactly(ISeqStreamWriter* writer, const void* buffer, uint32_t count)
{
    return writer != nullptr && writer->Write(buffer, count) == count;
}

uint32_t ReadBytesUntil(ISeqStreamReader* reader, uint8_t stop, uint8_t* buffer, uint32_t maximum)
{
    if (reader == nullptr || buffer == nullptr)
        return 0;
    uint32_t n = 0;
    while (n < maximum)
    {
        if (reader->Read(buffer + n, 1) != 1)
            break;
        if (buffer[n++] == stop)
            break;
    }
    return n;
}

uint32_t ReadBytesWhile(ISeqStreamReader* reader, uint8_t value, uint8_t* different)
{
    if (reader == nullptr)
        return 0;
    uint32_t n = 0;
    uint8_t byte = 0;
    while (reader->Read(&byte, 1) == 1)
    {
        ++n;
        if (byte != value)
        {
            if (different != nullptr)
                *different = byte;
            break;
        }
    }
    return n;
}

} // namespace Orvex
