#include "velmar/win32/CodePages.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

std::atomic<UINT> g_acp{0};

std::string Normalized(const char* s)
{
    std::string out;
    for (; *s; ++s)
        if (*s != '-' && *s != '_')
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(*s)));
    return out;
}

UINT ComputeAnsiCodePage()
{
    if (const char* forced = std::getenv("VELMAR_ACP"); forced && *forced)
    {
        char* end = nullptr;
        const unsigned long n = std::strtoul(forced, &end, 10);
        if (end && *end == '\0' && n > 3 && n <= 65535 && IsValidCodePage(static_cast<UINT>(n)))
            return static_cast<UINT>(n);
    }
    const char* locale = nullptr;
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"})
    {
        const char* v = std::getenv(var);
        if (v && *v)
        {
            locale = v;
            break;
        }
    }
    if (!locale)
        return CP_UTF8;
    const char* dot = std::strchr(locale, '.');
    if (!dot)
        return CP_UTF8;
    std::string codeset(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    const UINT cp = w32::CodePageFromCodeset(codeset.c_str());
    return (cp && IsValidCodePage(cp)) ? cp : CP_UTF8;
}

} // namespace

namespace w32
{

UINT CodePageFromCodeset(const char* codeset)
{
    if (!codeset)
        return 0;
    const std::string n = Normalized(codeset);
    struct Name
    {
        const char* name;
        UINT cp;
    };
    static const Name kNames[] = {
        {"UTF8", CP_UTF8},  {"GBK", 936},         {"CP936", 936},        {"GB2312", 936},
        {"EUCCN", 936},     {"GB18030", 54936},   {"ISO88591", 28591},   {"ISO885915", 28605},
        {"LATIN1", 28591},  {"CP1252", 1252},     {"WINDOWS1252", 1252}, {"ANSIX3.41968", CP_UTF8},
        {"ASCII", CP_UTF8}, {"USASCII", CP_UTF8}, {"BIG5", 950},         {"SJIS", 932},
        {"SHIFTJIS", 932},  {"EUCJP", 20932},     {"EUCKR", 51949},      {"KOI8R", 20866},
        {"KOI8U", 21866},
    };
    for (const Name& e : kNames)
        if (n == e.name)
            return e.cp;
    if (n.rfind("ISO8859", 0) == 0 && n.size() > 7)
    {
        const int part = std::atoi(n.c_str() + 7);
        if (part >= 1 && part <= 15)
            return static_cast<UINT>(28590 + part);
    }
    if (n.rfind("CP", 0) == 0 && n.size() > 2)
        return static_cast<UINT>(std::strtoul(n.c_str() + 2, nullptr, 10));
    return 0;
}

void ReloadAnsiCodePage()
{
    g_acp.store(ComputeAnsiCodePage(), std::memory_order_relaxed);
}

} // namespace w32

UINT WINAPI GetACP()
{
    UINT cp = g_acp.load(std::memory_order_relaxed);
    if (!cp)
    {
        cp = ComputeAnsiCodePage();
        g_acp.store(cp, std::memory_order_relaxed);
    }
    return cp;
}

UINT WINAPI GetOEMCP()
{
    return GetACP();
}
