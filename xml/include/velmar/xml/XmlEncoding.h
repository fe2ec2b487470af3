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

} // namespace nkDS
