#include "Win32TestSupport.h"

namespace
{

std::wstring ToWide(UINT cp, const std::string& s, DWORD flags = 0)
{
    const int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n)
    {
        EXPECT_EQ(
            n, MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), w.data(), n));
    }
    return w;
}

std::string ToBytes(UINT cp, const std::wstring& w, BOOL* used = nullptr, const char* def = nullptr,
                    DWORD flags = 0)
{
    const int n =
        WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, def, used);
    std::string s(static_cast<size_t>(n), '\0');
    if (n)
    {
        EXPECT_EQ(n, WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), s.data(),
                                         n, def, used));
    }
    return s;
}

// One replacement per UTF-16 unit where wchar_t has 16 bits: a character
// outside the BMP is two of them.
std::string Twice(const std::string& s)
{
    return sizeof(wchar_t) == 2 ? s + s : s;
}

} // namespace

TEST(CodePages, Utf8RoundTripWholeCodePoints)
{
    const std::wstring w = L"a\u00e9\u4e2d\U0001F600z"; // ASCII, Latin, CJK, outside the BMP
    // One unit per code point here, a surrogate pair for the last where wchar_t has 16 bits.
    ASSERT_EQ(sizeof(wchar_t) == 2 ? 6u : 5u, w.size());
    const std::string u8 = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80z";
    EXPECT_EQ(u8, ToBytes(CP_UTF8, w));
    EXPECT_EQ(w, ToWide(CP_UTF8, u8));

    // -1 counts the terminator; a short buffer fails without a partial count.
    EXPECT_EQ(6, MultiByteToWideChar(CP_UTF8, 0, "hello", -1, nullptr, 0));
    wchar_t small[3];
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER,
              LAST_ERROR_IF(0, MultiByteToWideChar(CP_UTF8, 0, "hello", -1, small, 3)));
    char tiny[4];
    const std::wstring astral = L"\U0001F600!";
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER,
              LAST_ERROR_IF(0, WideCharToMultiByte(CP_UTF8, 0, astral.data(),
                                                   static_cast<int>(astral.size()), tiny, 4,
                                                   nullptr, nullptr)));
}

TEST(CodePages, Utf8InvalidInputReplacedOrRefused)
{
    const struct
    {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"a\x80"
         "b",
         L"a\uFFFDb"},                 // a stray continuation byte
        {"\xc0\xaf", L"\uFFFD\uFFFD"}, // an overlong form
        // An encoded surrogate. Known Wine difference: it gives two
        // replacements, not one per byte.
        {"\xed\xa0\x80", testsupport::UnderWine() ? L"\uFFFD\uFFFD" : L"\uFFFD\uFFFD\uFFFD"},
        {"x\xe4\xb8", L"x\uFFFD"}, // a cut sequence, at the end and before more text
        {"\xe4\xb8"
         "A",
         L"\uFFFDA"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, ToWide(CP_UTF8, c.bytes)) << c.bytes;

    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION,
              LAST_ERROR_IF(
                  0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\x80", 2, nullptr, 0)));

    // A lone surrogate in wide text is not a character.
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    EXPECT_EQ("a\xef\xbf\xbd"
              "b",
              ToBytes(CP_UTF8, std::wstring(lone, 3)));
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION,
              LAST_ERROR_IF(0, WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, nullptr,
                                                   0, nullptr, nullptr)));

    // UTF-8 takes no default character and only its own flags.
    if (testsupport::UnderWine())
        return; // Known Wine difference: it accepts both for UTF-8.
    BOOL used = FALSE;
    EXPECT_EQ(
        ERROR_INVALID_PARAMETER,
        LAST_ERROR_IF(0, WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 0, nullptr, &used)));
    EXPECT_EQ(ERROR_INVALID_FLAGS,
              LAST_ERROR_IF(0, MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, nullptr, 0)));
}

TEST(CodePages, SingleBytePages)
{
    // Windows-1252: the euro at 0x80, unassigned 0x81 kept as U+0081.
    EXPECT_EQ(std::wstring(L"\u20ac\u0081\u00e9\u0178"), ToWide(1252, "\x80\x81\xe9\x9f"));
    BOOL used = TRUE;
    EXPECT_EQ("\x80\x81\xe9\x9f", ToBytes(1252, L"\u20ac\u0081\u00e9\u0178", &used));
    EXPECT_FALSE(used);
    EXPECT_EQ("A?", ToBytes(1252, L"A\u0100", &used, nullptr, WC_NO_BEST_FIT_CHARS));
    EXPECT_TRUE(used);
    EXPECT_EQ("A*", ToBytes(1252, L"A\u4e2d", &used, "*"));
    EXPECT_TRUE(used);
#ifdef _WIN32
    // Windows picks a look-alike by default ("best fit"); our layer has no such
    // tables and always gives the default character.
    EXPECT_EQ("AA", ToBytes(1252, L"A\u0100", &used));
    EXPECT_FALSE(used);
#else
    EXPECT_EQ("A?", ToBytes(1252, L"A\u0100", &used));
    EXPECT_TRUE(used);
#endif

    // ISO-8859-1 is the first 256 code points.
    EXPECT_EQ(std::wstring(L"\u0080\u00ff"), ToWide(28591, "\x80\xff"));
    EXPECT_EQ("\xff?", ToBytes(28591, L"\u00ff\u20ac", &used));
    EXPECT_TRUE(used);

    // US-ASCII: 7 bits only.
    EXPECT_EQ("a?", ToBytes(20127, L"a\u4e2d", &used));
    EXPECT_TRUE(used);
#ifdef _WIN32
    // Windows' table drops the eighth bit of a byte, and writes a look-alike.
    EXPECT_EQ(std::wstring(L"ai"), ToWide(20127, "a\xe9"));
    EXPECT_EQ("ae", ToBytes(20127, L"a\u00e9", &used));
#else
    // Ours keeps the damage visible: a byte above 0x7F is no ASCII character.
    EXPECT_EQ(std::wstring(L"a\uFFFD"), ToWide(20127, "a\xe9"));
    EXPECT_EQ("a?", ToBytes(20127, L"a\u00e9", &used));
    EXPECT_TRUE(used);
    EXPECT_EQ(
        ERROR_NO_UNICODE_TRANSLATION,
        LAST_ERROR_IF(0, MultiByteToWideChar(20127, MB_ERR_INVALID_CHARS, "\xe9", 1, nullptr, 0)));
#endif
}

TEST(CodePages, GbkAndGb18030)
{
    const std::wstring zh = L"\u4e2d\u6587 XML \u20ac";
    const std::string gbk = "\xd6\xd0\xce\xc4 XML \x80";
    BOOL used = TRUE;
    EXPECT_EQ(gbk, ToBytes(936, zh, &used));
    EXPECT_FALSE(used);
    EXPECT_EQ(zh, ToWide(936, gbk));

    // GBK cannot represent characters outside its repertoire: default char, flagged.
    EXPECT_EQ("a" + Twice("?") + "b", ToBytes(936, L"a\U0001F600b", &used));
    EXPECT_TRUE(used);
    EXPECT_EQ("a" + Twice("\xa1\xf9") + "b", ToBytes(936, L"a\U0001F600b", &used, "\xa1\xf9"));

    // A lead byte without a trail byte.
    EXPECT_EQ(
        ERROR_NO_UNICODE_TRANSLATION,
        LAST_ERROR_IF(0, MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\xd6", 2, nullptr, 0)));
#ifdef _WIN32
    // Windows' table gives its default character '?', and 0xFF is a character
    // of the private use area there.
    EXPECT_EQ(std::wstring(L"a?"), ToWide(936, "a\xd6"));
    EXPECT_EQ(std::wstring(L"\uF8F5\u007f"), ToWide(936, "\xff\x7f"));
#else
    // Ours marks what could not be read with U+FFFD, as for every page.
    EXPECT_EQ(std::wstring(L"a\uFFFD"), ToWide(936, "a\xd6"));
    EXPECT_EQ(std::wstring(L"\uFFFD\u007f"), ToWide(936, "\xff\x7f"));
#endif

    // A long mixed text converts across the internal chunks.
    std::wstring longText;
    for (int i = 0; i < 3000; ++i)
        longText += (i % 3) ? L"\u4e2d" : L"a";
    EXPECT_EQ(longText, ToWide(936, ToBytes(936, longText)));

    if (testsupport::UnderWine() && !IsValidCodePage(54936))
        return; // Known Wine difference: this Wine has no GB18030 table.
    // GB18030 represents every code point, outside the BMP in four bytes.
    const std::wstring astral = L"\u4e2d\U0001F600";
    const std::string gb18030 = "\xd6\xd0\x94\x39\xfc\x36";
    EXPECT_EQ(gb18030, ToBytes(54936, astral));
    EXPECT_EQ(astral, ToWide(54936, gb18030));
    EXPECT_EQ(longText, ToWide(54936, ToBytes(54936, longText)));
}

TEST(CodePages, CombiningPagesKeepTheLastCharacter)
{
    // These pages hold a letter back until they know no combining mark
    // follows; the end of the text, or ASCII after it, releases it. A long
    // text crosses the conversion's internal chunks.
    for (const auto& [page, text] : {std::pair<UINT, std::wstring>{1255, L"\u05d1\u05d3\u05d4"},
                                     {1258, L"\u0102\u00e0.\u00e0"}})
    {
        std::wstring longText;
        while (longText.size() < 3000)
            longText += text;
        for (const std::wstring& w : {text, longText})
            EXPECT_TRUE(w == ToWide(page, ToBytes(page, w))) << page << " " << w.size();
    }
    EXPECT_EQ("\xe1\xe3\xe4", ToBytes(1255, L"\u05d1\u05d3\u05d4"));
}

TEST(CodePages, ArgumentChecks)
{
    wchar_t w[4];
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(0, MultiByteToWideChar(12345, 0, "a", 1, w, 4)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(0, MultiByteToWideChar(CP_UTF8, 0, "a", 0, w, 4)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(0, MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, w, 4)));
    EXPECT_EQ(
        ERROR_INVALID_PARAMETER,
        LAST_ERROR_IF(0, WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 3, nullptr, nullptr)));
    EXPECT_TRUE(IsValidCodePage(936));
    EXPECT_TRUE(IsValidCodePage(1252));
    EXPECT_FALSE(IsValidCodePage(CP_ACP));
    EXPECT_FALSE(IsValidCodePage(4));
}

#ifndef _WIN32
// The ANSI page of a POSIX process comes from its locale; Windows takes it
// from the system's settings, which a test cannot change.
TEST(CodePages, AnsiCodePageFromLocaleAndOverride)
{
    {
        testsupport::EnvGuard env;
        env.unset("LC_CTYPE");
        const struct
        {
            const char* lang;
            const char* lcAll;
            const char* override;
            UINT page;
        } cases[] = {
            {"zh_CN.GBK", nullptr, nullptr, 936},
            {"de_DE.ISO-8859-1@euro", nullptr, nullptr, 28591},
            {"zh_CN.GBK", "C", nullptr, CP_UTF8},                // no codeset named: UTF-8
            {"en_US.ANSI_X3.4-1968", nullptr, nullptr, CP_UTF8}, // ASCII only: UTF-8
            {"en_US.UTF-8", nullptr, "54936", 54936},
            {"en_US.UTF-8", nullptr, "99999", CP_UTF8}, // not a page: ignored
        };
        for (const auto& c : cases)
        {
            env.set("LANG", c.lang);
            c.lcAll ? env.set("LC_ALL", c.lcAll) : env.unset("LC_ALL");
            c.override ? env.set("VELMAR_ACP", c.override) : env.unset("VELMAR_ACP");
            w32::ReloadAnsiCodePage();
            EXPECT_EQ(c.page, GetACP())
                << c.lang << " " << (c.lcAll ? c.lcAll : "") << (c.override ? c.override : "");
        }

        // CP_ACP converts with the page.
        env.set("LANG", "zh_CN.GBK");
        env.unset("VELMAR_ACP");
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(std::wstring(L"\u4e2d"), ToWide(CP_ACP, "\xd6\xd0"));
        // Code written for an ANSI page keeps working where that page is UTF-8.
        env.set("LANG", "C.UTF-8");
        w32::ReloadAnsiCodePage();
        wchar_t w[4];
        EXPECT_EQ(2, MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "ab", 2, w, 4));
        const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xDC00)};
        BOOL used = FALSE;
        char b[8];
        EXPECT_EQ(4, WideCharToMultiByte(CP_ACP, 0, lone, 2, b, 8, nullptr, &used));
        EXPECT_TRUE(used);
    }
    // The environment is the process's own again: so is the page.
    w32::ReloadAnsiCodePage();

    EXPECT_EQ(936u, w32::CodePageFromCodeset("gb2312"));
    EXPECT_EQ(54936u, w32::CodePageFromCodeset("GB18030"));
    EXPECT_EQ(1252u, w32::CodePageFromCodeset("CP1252"));
    EXPECT_EQ(28605u, w32::CodePageFromCodeset("ISO-8859-15"));
    EXPECT_EQ(CP_UTF8, w32::CodePageFromCodeset("utf8"));
    EXPECT_EQ(0u, w32::CodePageFromCodeset("klingon"));
}
#endif
