// Regular expressions over wide texts: the options, replacing with groups,
// and texts beyond the basic plane, whose characters are two units in Qt.
#include "velmar/framework/RegexPattern.h"

#include <gtest/gtest.h>

#include <cwchar>

TEST(RegexPattern, searches_and_replaces_with_the_options_it_was_compiled_with)
{
    struct Case
    {
        const wchar_t* pattern;
        bool matchCase, wholeWord;
        const wchar_t* text;
        const wchar_t* with;
        const wchar_t* replaced; // null: the pattern does not compile
        int count;
    } cases[] = {
        {L"cat", false, false, L"Cat catalog", L"dog", L"dog dogalog", 2},
        {L"cat", true, false, L"Cat catalog", L"dog", L"Cat dogalog", 1},
        {L"cat", false, true, L"Cat catalog", L"dog", L"dog catalog", 1},
        {L"(\\w+)@(\\w+)", true, false, L"a@b c@d", L"\\2@\\1", L"b@a d@c", 2},
        // After a character of two units the positions still line up.
        {L"x+", true, false, L"\U0001F600xx\U0001F600x", L"-", L"\U0001F600-\U0001F600-", 2},
        {L"\U0001F600", true, false, L"a\U0001F600b", L"", L"ab", 1},
        {L"(", true, false, L"(", L"", nullptr, 0},
        {L"", true, false, L"", L"", nullptr, 0},
    };
    for (const Case& c : cases)
    {
        CRegexPattern pattern;
        CString error;
        const BOOL compiled = pattern.Compile(c.pattern, c.matchCase, c.wholeWord, &error);
        EXPECT_EQ(compiled != FALSE, c.replaced != nullptr) << c.count;
        EXPECT_EQ(error.IsEmpty() != FALSE, c.replaced != nullptr);
        if (!compiled)
            continue;
        const size_t length = std::wcslen(c.text);
        EXPECT_EQ(pattern.Search(c.text, length) != FALSE, c.count > 0);
        int count = -1;
        EXPECT_EQ(pattern.Replace(c.text, length, c.with, &count), CString(c.replaced));
        EXPECT_EQ(count, c.count);
    }
}
