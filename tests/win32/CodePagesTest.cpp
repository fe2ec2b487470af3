#include "win32/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring ToWide(UINT cp, const std::string& s, DWORD flags = 0)
{
    const int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n) {
        EXPECT_EQ(n, MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), w.data(), n));
    }
    return w;
}

std::string ToBytes(UINT cp, const std::wstring& w, BOOL* used = nullptr, const char* def = nullptr)
{
    const int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, def, used);
    std::string s(static_cast<size_t>(n), '\0');
    if (n) {
        EXPECT_EQ(n, WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, def, used));
    }
    return s;
}

// Sets an environment variable for the life of the object, then restores it.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

} // namespace

TEST(CodePages, Utf8RoundTripWholeCodePoints)
{
    const std::wstring w = L"a\u00e9\u4e2d\U0001F600z"; // ASCII, Latin, CJK, outside the BMP
    ASSERT_EQ(5u, w.size());
    const std::string u8 = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80z";
    EXPECT_EQ(u8, ToBytes(CP_UTF8, w));
    EXPECT_EQ(w, ToWide(CP_UTF8, u8));

    // -1 counts the terminator; a short buffer fails without a partial count.
    EXPECT_EQ(6, MultiByteToWideChar(CP_UTF8, 0, "hello", -1, nullptr, 0));
    wchar_t small[3];
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "hello", -1, small, 3));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    char tiny[4];
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, L"\U0001F600!", 2, tiny, 4, nullptr, nullptr));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
}

TEST(CodePages, Utf8InvalidInputReplacedOrRefused)
{
    // A stray continuation byte, an overlong form, an encoded surrogate, a cut sequence.
    EXPECT_EQ(std::wstring(L"a\uFFFDb"), ToWide(CP_UTF8, "a\x80" "b"));
    EXPECT_EQ(std::wstring(L"\uFFFD\uFFFD"), ToWide(CP_UTF8, "\xc0\xaf"));
    EXPECT_EQ(std::wstring(L"\uFFFD\uFFFD\uFFFD"), ToWide(CP_UTF8, "\xed\xa0\x80"));
    EXPECT_EQ(std::wstring(L"x\uFFFD"), ToWide(CP_UTF8, "x\xe4\xb8"));
    EXPECT_EQ(std::wstring(L"\uFFFDA"), ToWide(CP_UTF8, "\xe4\xb8" "A"));

    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\x80", 2, nullptr, 0));
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, GetLastError());

    // A lone surrogate in wide text is not a character.
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    EXPECT_EQ("a\xef\xbf\xbd" "b", ToBytes(CP_UTF8, std::wstring(lone, 3)));
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, GetLastError());

    // UTF-8 takes no default character and only its own flags.
    BOOL used = FALSE;
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 0, nullptr, &used));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, nullptr, 0));
    EXPECT_EQ(ERROR_INVALID_FLAGS, GetLastError());
}

TEST(CodePages, SingleBytePages)
{
    // Windows-1252: the euro at 0x80, unassigned 0x81 kept as U+0081.
    EXPECT_EQ(std::wstring(L"\u20ac\u0081\u00e9\u0178"), ToWide(1252, "\x80\x81\xe9\x9f"));
    BOOL used = TRUE;
    EXPECT_EQ("\x80\x81\xe9\x9f", ToBytes(1252, L"\u20ac\u0081\u00e9\u0178", &used));
    EXPECT_FALSE(used);
    EXPECT_EQ("A?", ToBytes(1252, L"A\u0100", &used));
    EXPECT_TRUE(used);
    EXPECT_EQ("A*", ToBytes(1252, L"A\u4e2d", &used, "*"));

    // ISO-8859-1 is the first 256 code points.
    EXPECT_EQ(std::wstring(L"\u0080\u00ff"), ToWide(28591, "\x80\xff"));
    EXPECT_EQ("\xff?", ToBytes(28591, L"\u00ff\u20ac", &used));
    EXPECT_TRUE(used);

    // US-ASCII: 7 bits only.
    EXPECT_EQ(std::wstring(L"a\uFFFD"), ToWide(20127, "a\xe9"));
    EXPECT_EQ("a?", ToBytes(20127, L"a\u00e9", &used));
    EXPECT_TRUE(used);
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(20127, MB_ERR_INVALID_CHARS, "\xe9", 1, nullptr, 0));
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, GetLastError());
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
    EXPECT_EQ("a?b", ToBytes(936, L"a\U0001F600b", &used));
    EXPECT_TRUE(used);
    EXPECT_EQ("a\xa1\xf9" "b", ToBytes(936, L"a\U0001F600b", &used, "\xa1\xf9"));

    // GB18030 represents every code point, outside the BMP in four bytes.
    const std::wstring astral = L"\u4e2d\U0001F600";
    const std::string gb18030 = "\xd6\xd0\x94\x39\xfc\x36";
    EXPECT_EQ(gb18030, ToBytes(54936, astral));
    EXPECT_EQ(astral, ToWide(54936, gb18030));

    // A lead byte without a trail byte, a trail byte that is not one.
    EXPECT_EQ(std::wstring(L"a\uFFFD"), ToWide(936, "a\xd6"));
    EXPECT_EQ(std::wstring(L"\uFFFD\u007f"), ToWide(936, "\xff\x7f"));
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\xd6", 2, nullptr, 0));
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, GetLastError());

    // A long mixed text converts across the internal chunks.
    std::wstring longText;
    for (int i = 0; i < 3000; ++i)
        longText += (i % 3) ? L"\u4e2d" : L"a";
    EXPECT_EQ(longText, ToWide(936, ToBytes(936, longText)));
    EXPECT_EQ(longText, ToWide(54936, ToBytes(54936, longText)));
}

TEST(CodePages, ArgumentChecks)
{
    wchar_t w[4];
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(12345, 0, "a", 1, w, 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "a", 0, w, 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, w, 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 3, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_TRUE(IsValidCodePage(936));
    EXPECT_TRUE(IsValidCodePage(1252));
    EXPECT_FALSE(IsValidCodePage(CP_ACP));
    EXPECT_FALSE(IsValidCodePage(4));
}

TEST(CodePages, AnsiCodePageFromLocaleAndOverride)
{
    EnvVar acp("VELMAR_ACP", nullptr);
    EnvVar all("LC_ALL", nullptr);
    EnvVar ctype("LC_CTYPE", nullptr);
    {
        EnvVar lang("LANG", "zh_CN.GBK");
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(936u, GetACP());
        // CP_ACP now converts with GBK.
        EXPECT_EQ(std::wstring(L"\u4e2d"), ToWide(CP_ACP, "\xd6\xd0"));
    }
    {
        EnvVar lang("LANG", "de_DE.ISO-8859-1@euro");
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(28591u, GetACP());
    }
    {
        EnvVar lang("LANG", "zh_CN.GBK");
        EnvVar c("LC_ALL", "C"); // no codeset named: UTF-8
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(CP_UTF8, GetACP());
    }
    {
        EnvVar lang("LANG", "en_US.ANSI_X3.4-1968"); // ASCII only: UTF-8
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(CP_UTF8, GetACP());
    }
    {
        EnvVar lang("LANG", "en_US.UTF-8");
        EnvVar force("VELMAR_ACP", "54936");
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(54936u, GetACP());
    }
    {
        EnvVar lang("LANG", "en_US.UTF-8");
        EnvVar force("VELMAR_ACP", "99999"); // not a page: ignored
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(CP_UTF8, GetACP());
    }
    {
        // Code written for an ANSI page keeps working where that page is UTF-8.
        EnvVar lang("LANG", "C.UTF-8");
        w32::ReloadAnsiCodePage();
        wchar_t w[4];
        EXPECT_EQ(2, MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "ab", 2, w, 4));
        const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xDC00)};
        BOOL used = FALSE;
        char b[8];
        EXPECT_EQ(4, WideCharToMultiByte(CP_ACP, 0, lone, 2, b, 8, nullptr, &used));
        EXPECT_TRUE(used);
    }
    w32::ReloadAnsiCodePage();

    EXPECT_EQ(936u, w32::CodePageFromCodeset("gb2312"));
    EXPECT_EQ(54936u, w32::CodePageFromCodeset("GB18030"));
    EXPECT_EQ(1252u, w32::CodePageFromCodeset("CP1252"));
    EXPECT_EQ(28605u, w32::CodePageFromCodeset("ISO-8859-15"));
    EXPECT_EQ(CP_UTF8, w32::CodePageFromCodeset("utf8"));
    EXPECT_EQ(0u, w32::CodePageFromCodeset("klingon"));
}
