#include "velmar/foundation/nkMem.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

using namespace nkMem;

TEST(StringConversion, ExplicitCodePages)
{
    CStringW w;
    EXPECT_TRUE(w.AssignCP("\xD6\xD0\xCE\xC4", 936u)); // GBK
    EXPECT_STREQ(w.GetString(), L"\u4E2D\u6587");
    CStringA gbk;
    EXPECT_TRUE(gbk.AssignCP(L"\u4E2D\u6587!", 936u));
    EXPECT_STREQ(gbk.GetString(), "\xD6\xD0\xCE\xC4!");
    // A character GBK cannot represent becomes the default character, one
    // for each wide unit: a UTF-16 surrogate pair is two.
    EXPECT_TRUE(gbk.AssignCP(L"x\U0001F600y", 936u));
    EXPECT_STREQ(gbk.GetString(), sizeof(wchar_t) == 2 ? "x??y" : "x?y");
    // Only the given number of units is converted.
    EXPECT_TRUE(gbk.AssignCP(L"abcdef", 3u, CP_UTF8));
    EXPECT_STREQ(gbk.GetString(), "abc");
}

#ifndef _WIN32
// On POSIX the ANSI code page comes from the environment, so these tests can
// fix it; on Windows it is the system's.
namespace
{
// Fixes the ANSI code page for a test, then gives the environment's back.
class AnsiCodePage
{
public:
    explicit AnsiCodePage(const char* page)
    {
        if (const char* old = std::getenv("VELMAR_ACP"))
            m_old = old;
        setenv("VELMAR_ACP", page, 1);
        w32::ReloadAnsiCodePage();
    }
    ~AnsiCodePage()
    {
        if (m_old)
            setenv("VELMAR_ACP", m_old->c_str(), 1);
        else
            unsetenv("VELMAR_ACP");
        w32::ReloadAnsiCodePage();
    }

private:
    std::optional<std::string> m_old;
};
} // namespace

TEST(StringConversion, AnsiUtf8RoundTripOfNonAsciiText)
{
    AnsiCodePage acp("65001");
    ASSERT_EQ(GetACP(), 65001u);

    // Three bytes per character (CJK) and four (outside the BMP): a bound of
    // two bytes per character would cut these.
    const wchar_t* wide = L"\u4E2D\u6587 caf\u00E9 \U0001F600";
    CStringA narrow(wide);
    EXPECT_STREQ(narrow.GetString(), "\xE4\xB8\xAD\xE6\x96\x87 caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(narrow.GetLength(), std::strlen(narrow.GetString()));
    EXPECT_EQ(narrow.GetCapacity() % 16, 0u);

    CStringW back(narrow.GetString());
    EXPECT_STREQ(back.GetString(), wide);
    EXPECT_EQ(back.GetLength(), std::wcslen(wide));

    CStringA cjk;
    cjk.Assign(L"\u4E2D\u6587");
    EXPECT_EQ(cjk.GetLength(), 6u);
    CStringW w;
    w.Assign("\xE4\xB8\xAD");
    EXPECT_EQ(w.GetLength(), 1u);
    EXPECT_EQ(w.GetString()[0], L'\u4E2D');

    // Null and empty sources give empty strings without touching the buffer.
    CStringA e;
    e.Assign(static_cast<const wchar_t*>(nullptr));
    e.Assign(L"");
    EXPECT_EQ(e.GetString(), nullptr);
    // Invalid bytes do not lose the rest of the text.
    w.Assign("a\xFF"
             "b");
    EXPECT_EQ(w.GetLength(), 3u);
    EXPECT_EQ(w.GetString()[2], L'b');

    // Converting into a shared string leaves the other sharer as it was.
    CStringA a;
    a.Assign("keep");
    CStringA b(a);
    b.Assign(L"\u00E9t\u00E9");
    EXPECT_STREQ(a.GetString(), "keep");
    EXPECT_STREQ(b.GetString(), "\xC3\xA9t\xC3\xA9");
}

TEST(StringConversion, Ansi1252)
{
    AnsiCodePage acp("1252");
    CStringA latin(L"na\u00EFve \u20AC");
    EXPECT_STREQ(latin.GetString(), "na\xEFve \x80");
    CStringW wide("caf\xE9");
    EXPECT_STREQ(wide.GetString(), L"caf\u00E9");
}

#endif
