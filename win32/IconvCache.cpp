#include "IconvCache.h"

#include "velmar/win32/CodePages.h"

#include <strings.h>

#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace w32
{

namespace
{

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char* kUtf32 = "UTF-32BE";
#else
constexpr const char* kUtf32 = "UTF-32LE";
#endif

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

struct Cache
{
    std::map<unsigned long long, iconv_t> open;
    ~Cache()
    {
        for (auto& e : open)
            if (e.second != kNone)
                iconv_close(e.second);
    }
};

thread_local Cache t_cache;

// Names given numbers by CodePageOfIconvName; a deque keeps each name
// where it is, so the pointers handed out stay valid.
std::mutex g_namedLock;
std::deque<std::string> g_named;
// The page last asked for, since callers convert with one page at a time.
thread_local unsigned long long t_lastKey = ~0ull;
thread_local iconv_t t_lastCd = kNone;

} // namespace

const char* IconvNameOfCodePage(UINT cp)
{
    switch (cp)
    {
    case 936:
        return "CP936";
    case 54936:
        return "GB18030";
    case 932:
        return "CP932";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 20932:
        return "EUC-JP";
    case 51949:
        return "EUC-KR";
    case 28592:
        return "ISO-8859-2";
    case 28593:
        return "ISO-8859-3";
    case 28594:
        return "ISO-8859-4";
    case 28595:
        return "ISO-8859-5";
    case 28596:
        return "ISO-8859-6";
    case 28597:
        return "ISO-8859-7";
    case 28598:
        return "ISO-8859-8";
    case 28599:
        return "ISO-8859-9";
    case 28603:
        return "ISO-8859-13";
    case 28605:
        return "ISO-8859-15";
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 866:
        return "CP866";
    case 874:
        return "CP874";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 737:
        return "CP737";
    case 775:
        return "CP775";
    case 852:
        return "CP852";
    case 855:
        return "CP855";
    case 857:
        return "CP857";
    case 858:
        return "CP858";
    case 860:
        return "CP860";
    case 861:
        return "CP861";
    case 862:
        return "CP862";
    case 863:
        return "CP863";
    case 864:
        return "CP864";
    case 865:
        return "CP865";
    case 869:
        return "CP869";
    case 951:
        return "BIG5-HKSCS";
    case 1361:
        return "JOHAB";
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MAC-CYRILLIC";
    case 28600:
        return "ISO-8859-10";
    case 28601:
        return "ISO-8859-11";
    case 28604:
        return "ISO-8859-14";
    case 28606:
        return "ISO-8859-16";
    default:
    {
        if (cp < kFirstNamedCodePage)
            return nullptr;
        const std::lock_guard<std::mutex> lock(g_namedLock);
        return cp - kFirstNamedCodePage < g_named.size() ? g_named[cp - kFirstNamedCodePage].c_str()
                                                         : nullptr;
    }
    }
}

UINT CodePageOfIconvName(const char* name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    const std::lock_guard<std::mutex> lock(g_namedLock);
    for (size_t i = 0; i < g_named.size(); ++i)
        if (strcasecmp(g_named[i].c_str(), name) == 0)
            return kFirstNamedCodePage + static_cast<UINT>(i);
    for (const bool toWide : {true, false})
    {
        const iconv_t cd = toWide ? iconv_open(kUtf32, name) : iconv_open(name, kUtf32);
        if (cd == kNone)
            return 0;
        iconv_close(cd);
    }
    g_named.emplace_back(name);
    return kFirstNamedCodePage + static_cast<UINT>(g_named.size() - 1);
}

iconv_t CachedIconv(UINT cp, bool toWide)
{
    const unsigned long long key = (static_cast<unsigned long long>(cp) << 1) | (toWide ? 1u : 0u);
    if (key == t_lastKey)
    {
        if (t_lastCd != kNone)
            iconv(t_lastCd, nullptr, nullptr, nullptr, nullptr);
        return t_lastCd;
    }
    auto it = t_cache.open.find(key);
    if (it == t_cache.open.end())
    {
        const char* name = IconvNameOfCodePage(cp);
        iconv_t cd = kNone;
        if (name)
            cd = toWide ? iconv_open(kUtf32, name) : iconv_open(name, kUtf32);
        it = t_cache.open.emplace(key, cd).first;
    }
    t_lastKey = key;
    t_lastCd = it->second;
    if (it->second != kNone)
        iconv(it->second, nullptr, nullptr, nullptr, nullptr);
    return it->second;
}

} // namespace w32
