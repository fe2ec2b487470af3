#include "velmar/io/Transfer.h"

#include "velmar/io/AsyncCtrl.h"

namespace Orvex
{

namespace
{

IAsyncCtrl* AsyncCtrlOf(CMemObject* stream)
{
    auto* sequential = dynamic_cast<ISequentialStream*>(stream);
    return sequential != nullptr ? sequential->GetAsyncCtrl() : nullptr;
}

} // namespace

uint32_t ReadCompleted(ISeqStreamReader* reader, void* buffer, uint32_t count)
{
    if (IAsyncCtrl* async = AsyncCtrlOf(reader))
        return async->ReadAndWait(buffer, count);
    return reader->Read(buffer, count);
}

uint32_t WriteCompleted(ISeqStreamWriter* writer, const void* buffer, uint32_t count)
{
    if (IAsyncCtrl* async = AsyncCtrlOf(writer))
        return async->WriteAndWait(buffer, count);
    return writer->Write(buffer, count);
}

bool TransferExactly(ISeqStreamReader* reader, void* buffer, uint32_t count)
{
    return reader != nullptr && ReadCompleted(reader, buffer, count) == count;
}

bool TransferExactly(ISeqStreamWriter* writer, const void* buffer, uint32_t count)
{
    return writer != nullptr && WriteCompleted(writer, buffer, count) == count;
}

uint32_t ReadBytesUntil(ISeqStreamReader* reader, uint8_t stop, uint8_t* buffer, uint32_t maximum)
{
    if (reader == nullptr || buffer == nullptr)
        return 0;
    uint32_t n = 0;
    while (n < maximum)
    {
        if (ReadCompleted(reader, buffer + n, 1) != 1)
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
    while (ReadCompleted(reader, &byte, 1) == 1)
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
