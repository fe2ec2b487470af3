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

} // namespace nkDS
