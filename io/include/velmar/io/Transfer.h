#pragma once
// Exact transfers and the single-byte readers.

#include "velmar/io/Stream.h"

namespace Orvex
{

// One read (write) that has ended when the call returns, so that the count is
// what really moved and the buffer is free again: on a stream with an
// asynchronous controller the transfer is submitted and waited for; any
// other stream's Read (Write) answers as it is. The copies, the line readers
// and the functions below transfer through these.
uint32_t ReadCompleted(ISeqStreamReader* reader, void* buffer, uint32_t count);
uint32_t WriteCompleted(ISeqStreamWriter* writer, const void* buffer, uint32_t count);

// True when the reader delivered exactly `count` bytes.
bool TransferExactly(ISeqStreamReader* reader, void* buffer, uint32_t count);
// True when the writer accepted exactly `count` bytes.
bool TransferExactly(ISeqStreamWriter* writer, const void* buffer, uint32_t count);
// A full stream is both: say which direction (ReadExactly, WriteExactly or a
// cast), rather than let the constness of the buffer decide.
bool TransferExactly(IStream* stream, void* buffer, uint32_t count) = delete;

inline bool ReadExactly(ISeqStreamReader* reader, void* buffer, uint32_t count)
{
    return TransferExactly(reader, buffer, count);
}
inline bool WriteExactly(ISeqStreamWriter* writer, const void* buffer, uint32_t count)
{
    return TransferExactly(writer, buffer, count);
}

// Reads single bytes into `buffer` until `stop` has been read (it is stored
// and counted) or `maximum` bytes were read; returns the bytes read.
uint32_t ReadBytesUntil(ISeqStreamReader* reader, uint8_t stop, uint8_t* buffer, uint32_t maximum);
// Reads single bytes while they equal `value`; returns the bytes read,
// counting the first different one (which is consumed and stored in
// `*different` when that is not null).
uint32_t ReadBytesWhile(ISeqStreamReader* reader, uint8_t value, uint8_t* different = nullptr);

} // namespace Orvex
