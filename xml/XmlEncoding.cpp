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
        {"UTF8", 65001},     {"GB18030", 54936}, {"USASCII", 20127},   {"ASCII", 20127},
        {"ISO88591", 28591}, {"LATIN1", 28591},  {"ISO885915", 28605}, {"BIG5", 950},
        {"SHIFTJIS", 932},   {"SJIS", 932},      {"EUCJP", 20932},     {"EUCKR", 51949},
        {"KOI8R", 20866},    {"KOI8U", 21866},
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
    return (cp != 0 && IsValidCodePage(cp)) ? cp : 0u;
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
