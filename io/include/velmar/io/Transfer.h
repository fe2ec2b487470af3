#pragma once
// Exact transfers and the single-byte readers.

#include "velmar/io/Stream.h"

namespace Orvex
{

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
