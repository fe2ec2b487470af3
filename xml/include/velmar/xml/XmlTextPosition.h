#pragma once
// Line and column of a byte offset in a stream, for error messages.

#include "velmar/io/Orvex.h"
#include "velmar/xml/XmlParser.h"

#include <cstdint>

namespace nkDS
{

struct CTextPosition
{
    uint64_t line = 1;   // 1-based; LF, CR LF and a lone CR each end a line
    uint64_t column = 1; // 1-based, in characters of the line (a tab is one)
};

// Reads `stream` from its start up to `offset` and tells where that byte
// stands. Characters are counted by decoding the line with `codePage`
// (0: the ANSI code page), or as UTF-16 in that byte order when `form` says
// so; a leading byte order mark is not one. False when the stream cannot be
// read that far.
bool LocateOffset(Orvex::IStream* stream, uint64_t offset, unsigned codePage, CTextPosition& out,
                  XmlByteForm form = xbfBytes);

} // namespace nkDS
