// Character rules in both widths.
#include "velmar/xml/nkDS.h"

#include <gtest/gtest.h>

using namespace nkDS;

TEST(XmlChars, names_follow_the_rule_in_both_widths)
{
    for (const char* good : {"_a-b.c9", "a", "_", "Z.9-_"})
        EXPECT_TRUE(IsValidXmlName(good)) << good;
    for (const char* bad : {"1abc", "a:b", "", "-a", ".a", "a b", "a\xC3\xA9", "\xC3\xA9"})
        EXPECT_FALSE(IsValidXmlName(bad)) << bad;
    EXPECT_FALSE(IsValidXmlName(static_cast<const char*>(nullptr)));

    // Wide characters whose low byte is an ASCII letter, digit or "_" stay
    // what they are: narrowing them first would let them through.
    EXPECT_TRUE(IsValidXmlName(L"_a-b.c9"));
    for (const wchar_t* bad : {L"1abc", L"a:b", L"", L"\u00E9t\u00E9", L"\u0141", L"a\u0161",
                               L"a\u0130", L"a\u012D", L"\u015F", L"\u4E2D\u6587"})
        EXPECT_FALSE(IsValidXmlName(bad)) << bad;
}

TEST(XmlChars, values_text_cdata_and_remarks_refuse_only_their_terminators)
{
    EXPECT_TRUE(IsValidParamValue("plain & simple > ok"));
    EXPECT_TRUE(IsValidParamValue(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(IsValidParamValue("it's"));
    EXPECT_FALSE(IsValidParamValue(L"say \"hi\""));
    EXPECT_FALSE(IsValidParamValue(L"a<b"));
    EXPECT_TRUE(IsValidParamValue(L"\u201Cquoted\u201D")); // typographic quotes are text
    EXPECT_TRUE(IsValidParamValue(L"\u013C\u0127\u0122")); // low bytes '<', "'", '"'

    EXPECT_TRUE(IsValidXmlText("a & b"));
    EXPECT_FALSE(IsValidXmlText("a<b"));
    EXPECT_FALSE(IsValidXmlText(L"a>b"));

    EXPECT_TRUE(IsValidCData("x]]y]>z<>"));
    EXPECT_FALSE(IsValidCData("x]]>y"));
    EXPECT_FALSE(IsValidCData(L"]]]>"));
    EXPECT_TRUE(IsValidCData(L"]\u005D\u013E")); // "]]" then a wide char with low byte '>'

    EXPECT_TRUE(IsValidRemark("a -- b -> c"));
    EXPECT_FALSE(IsValidRemark("a --> b"));
    EXPECT_FALSE(IsValidRemark(L"--->"));
    EXPECT_TRUE(IsValidRemark(L"-"));
}

TEST(XmlChars, xml10_names_take_prefixes_and_letters_of_any_script)
{
    struct Case
    {
        const char* narrow; // UTF-8
        const wchar_t* wide;
        bool ok;
    };
    const Case cases[] = {
        {"svg:rect", L"svg:rect", true},
        {"xml:lang", L"xml:lang", true},
        {":a", L":a", true},
        {"\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9", true},
        {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587", true},
        {"a\xC2\xB7"
         "b",
         L"a\u00B7b", true}, // middle dot: not first
        {"\xC2\xB7"
         "b",
         L"\u00B7b", false},
        {"a1-.", L"a1-.", true},
        {"1a", L"1a", false},
        {"-a", L"-a", false},
        {"a b", L"a b", false},
        {"a\xC3", nullptr, false},        // cut sequence
        {"\xC0\xAA", nullptr, false},     // overlong
        {"\xED\xA0\x80", nullptr, false}, // surrogate
        {"a\xC3\x97", L"a\u00D7", false}, // multiplication sign
        {"", L"", false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.ok, IsValidXmlName(c.narrow, true)) << c.narrow;
        if (c.wide != nullptr)
        {
            EXPECT_EQ(c.ok, IsValidXmlName(c.wide, true)) << c.narrow;
        }
    }
    EXPECT_FALSE(IsValidXmlName("svg:rect", false));
    EXPECT_TRUE(IsValidParamValue("it's", true));
    EXPECT_FALSE(IsValidParamValue("it's \"x\"", true));
    EXPECT_TRUE(IsValidXmlText("a > b", true));
    EXPECT_FALSE(IsValidXmlText("a ]]> b", true));
}
