#include "velmar/xml/XmlEncoding.h"

#include "velmar/win32/win32.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace nkDS
{
namespace
{

std::string Folded(const char* name)
{
    std::string n;
    for (; name != nullptr && *name != '\0'; ++name)
        if (*name != '-' && *name != '_' && *name != ' ')
            n += static_cast<char>(std::toupper(static_cast<unsigned char>(*name)));
    return n;
}

unsigned Lookup(const char* encoding, bool forWriting)
{
    const std::string n = Folded(encoding);
    if (n.empty())
        return 0;
    // GB18030 reads all that GBK writes, and more; a system without it (as
    // some Windows versions and Wine) still reads GBK as GBK.
    if (n == "GBK" || n == "GB2312" || n == "CP936" || n == "EUCCN")
        return forWriting || !IsValidCodePage(54936u) ? 936u : 54936u;
    struct Name
    {
        const char* name;
        unsigned cp;
    };
    static const Name kNames[] = {
        {"UTF8", 65001},         {"GB18030", 54936},     {"USASCII", 20127},
        {"ASCII", 20127},        {"ISO88591", 28591},    {"LATIN1", 28591},
        {"ISO885915", 28605},    {"BIG5", 950},          {"SHIFTJIS", 932},
        {"SJIS", 932},           {"EUCJP", 20932},       {"EUCKR", 51949},
        {"KOI8R", 20866},        {"KOI8U", 21866},       {"MACINTOSH", 10000},
        {"MACROMAN", 10000},     {"MAC", 10000},         {"TIS620", 874},
        {"MSKANJI", 932},        {"WINDOWS31J", 932},    {"XSJIS", 932},
        {"XEUCJP", 20932},       {"UHC", 949},           {"KSC5601", 949},
        {"JOHAB", 1361},         {"BIG5HKSCS", 951},     {"LATIN2", 28592},
        {"LATIN3", 28593},       {"LATIN4", 28594},      {"LATIN5", 28599},
        {"LATIN9", 28605},       {"CYRILLIC", 28595},    {"ARABIC", 28596},
        {"GREEK", 28597},        {"HEBREW", 28598},      {"ISO646US", 20127},
        {"ANSIX3.41968", 20127}, {"MACCYRILLIC", 10007}, {"XMACCYRILLIC", 10007},
        {"XMACROMAN", 10000},
    };
    for (const Name& e : kNames)
        if (n == e.name)
            return IsValidCodePage(e.cp) ? e.cp : 0u;
    unsigned cp = 0;
    if (n.rfind("ISO8859", 0) == 0 && n.size() > 7)
        cp = 28590u + static_cast<unsigned>(std::atoi(n.c_str() + 7));
    else if (n.rfind("WINDOWS", 0) == 0 && n.size() > 7)
        cp = static_cast<unsigned>(std::atoi(n.c_str() + 7));
    else if (n.rfind("CP", 0) == 0 && n.size() > 2)
        cp = static_cast<unsigned>(std::atoi(n.c_str() + 2));
    else if (n.rfind("IBM", 0) == 0 && n.size() > 3)
        cp = static_cast<unsigned>(std::atoi(n.c_str() + 3));
    if (cp != 0 && IsValidCodePage(cp))
        return cp;
#ifndef _WIN32
    // Any other name the system's converter knows, when ASCII reads as
    // ASCII in it; stateful encodings read ASCII as ASCII until they shift,
    // so they are left out by name.
    // The converter takes other bytes loosely: it drops them from the name,
    // so that one it reads as some encoding would no longer be when written
    // back with its "&" as "&amp;".
    for (const char* stateful : {"2022", "UTF", "UCS", "UNICODE", "HZ"})
        if (n.find(stateful) != std::string::npos)
            return 0;
    if (!IsEncodingName(encoding))
        return 0;
    cp = w32::CodePageOfIconvName(encoding);
    if (cp != 0 && IsAsciiCompatible(cp))
        return cp;
#endif
    return 0;
}

} // namespace

unsigned CodePageForReading(const char* encoding)
{
    return Lookup(encoding, false);
}
unsigned CodePageForWriting(const char* encoding)
{
    return Lookup(encoding, true);
}

std::string EncodingNameOfCodePage(unsigned cp)
{
    struct Name
    {
        unsigned cp;
        const char* name;
    };
    static const Name kNames[] = {
        {65001, "UTF-8"},  {936, "GBK"},       {54936, "GB18030"}, {20127, "US-ASCII"},
        {950, "Big5"},     {932, "Shift_JIS"}, {20932, "EUC-JP"},  {51949, "EUC-KR"},
        {20866, "KOI8-R"}, {21866, "KOI8-U"},
    };
    for (const Name& e : kNames)
        if (cp == e.cp)
            return e.name;
    std::string name;
    if (cp >= 28591 && cp <= 28606)
        name = "ISO-8859-" + std::to_string(cp - 28590);
    else if (cp == 874 || (cp >= 1250 && cp <= 1258))
        name = "windows-" + std::to_string(cp);
    return !name.empty() && CodePageForWriting(name.c_str()) == cp ? name : "UTF-8";
}

} // namespace nkDS

namespace nkDS
{

bool IsAsciiCompatible(unsigned cp)
{
    // Stateful or 16/32-bit forms: ASCII bytes may belong to other characters.
    if (cp == 1200 || cp == 1201 || cp == 12000 || cp == 12001 || cp == 65000 ||
        (cp >= 50220 && cp <= 50229) || cp == 52936)
        return false;
    char ascii[0x7F - 0x20];
    for (int i = 0; i < static_cast<int>(sizeof ascii); ++i)
        ascii[i] = static_cast<char>(0x20 + i);
    wchar_t wide[sizeof ascii];
    const int n = MultiByteToWideChar(cp, 0, ascii, static_cast<int>(sizeof ascii), wide,
                                      static_cast<int>(sizeof ascii));
    if (n != static_cast<int>(sizeof ascii))
        return false;
    for (int i = 0; i < n; ++i)
        if (wide[i] != static_cast<wchar_t>(ascii[i]))
            return false;
    return true;
}

bool IsEncodingName(const char* encoding)
{
    if (encoding == nullptr || std::isalpha(static_cast<unsigned char>(encoding[0])) == 0)
        return false;
    for (const char* p = encoding; *p != '\0'; ++p)
    {
        const auto c = static_cast<unsigned char>(*p);
        if (!(c < 0x80 && std::isalnum(c) != 0) && c != '.' && c != '_' && c != '-')
            return false;
    }
    return true;
}

bool IsUtf16Name(const char* encoding)
{
    const std::string n = Folded(encoding);
    return n == "UTF16" || n == "UTF16LE" || n == "UTF16BE" || n == "UCS2" || n == "ISO10646UCS2" ||
           n == "UNICODE";
}

} // namespace nkDS
