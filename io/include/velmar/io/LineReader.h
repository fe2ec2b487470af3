#pragma once
// Reading a seekable stream up to a delimiter, and line by line.

#include "velmar/io/Stream.h"

#include "velmar/foundation/String.h"

namespace Orvex
{

// ReadUntil flags.
inline constexpr uint32_t kUntilConsume = 1; // leave the stream after the delimiter, not on it
inline constexpr uint32_t kUntilKeepDelimiter = 2; // append the delimiter to the output too

// Appends the bytes before the first occurrence of the `length`-byte
// delimiter to `out` and stops on it (or after it, kUntilConsume). The
// stream is read in blocks of `blockSize` and stepped back, so it must be
// seekable; the delimiter is looked for every `step` bytes from where the
// call started. Without a delimiter everything up to the end is appended.
// `count`, when given, receives the bytes appended before the delimiter
// search ended (the tail of an unterminated stream is not counted). True
// when the delimiter was found. The loop also ends on a read of 0 bytes, so
// a stream that cannot report its end still ends the call.
bool ReadUntil(IStream* stream, const void* delimiter, uint32_t length, nkMem::CStringT<char>& out,
               uint32_t* count = nullptr, uint32_t flags = 0, uint32_t blockSize = 4096,
               uint32_t step = 1);

// Reads one line into `line` (emptied first): up to and past the next "\n",
// without it and without one carriage return at either end. False only when
// there was neither a newline nor any byte: the last line of a stream
// without a final newline is still read.
bool ReadLine(IStream* stream, nkMem::CStringT<char>& line, uint32_t blockSize = 4096);

} // namespace Orvex
