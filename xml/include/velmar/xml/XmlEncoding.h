#pragma once
// Code pages of the encodings a declaration may name.
#include <string>

namespace nkDS
{

// Code page to decode a file whose declaration names `encoding`; 0 (the ANSI
// code page) for none or an unknown name. GBK and GB2312 decode as GB18030,
// their superset. Names are compared without regard to case.
unsigned CodePageForReading(const char* encoding);
// Code page to encode the file with; as above, but GBK and GB2312 encode as
// GBK (936), so that what is written is valid for their readers.
unsigned CodePageForWriting(const char* encoding);
// The name a declaration gives the encoding of code page `cp` ("UTF-8",
// "GBK", "windows-1252"...), one that CodePageForWriting maps back to `cp`;
// "UTF-8" for a page without such a name.
std::string EncodingNameOfCodePage(unsigned cp);
// Whether the bytes of code page `cp` can be read as ASCII markup: every
// printable ASCII character is its own byte and no multi-byte sequence
// holds "<", "&" or a quote. UTF-16, UTF-32, EBCDIC, UTF-7 and the
// ISO-2022 pages are not.
bool IsAsciiCompatible(unsigned cp);
// Whether `encoding` has the form of an encoding name: ASCII letters,
// digits, ".", "_" and "-", from a letter.
bool IsEncodingName(const char* encoding);
// Whether `encoding` names UTF-16 (either byte order) or UCS-2.
bool IsUtf16Name(const char* encoding);

} // namespace nkDS
