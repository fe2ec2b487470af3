// Values of XML 1.0 documents as shown and typed, the document type check,
// and where a byte offset stands in a file.
#include "velmar/io/MemStream.h"
#include "velmar/xml/nkDS.h"

#include <gtest/gtest.h>

#include <string>

using namespace nkDS;

TEST(XmlShownText, decoding_shows_characters_and_keeps_other_references)
{
    const struct
    {
        const wchar_t* raw;
        const wchar_t* shown;
    } cases[] = {
        {L"Fish &amp; Chips", L"Fish & Chips"},
        {L"&lt;a&gt; &quot;q&quot; &apos;s&apos;", L"<a> \"q\" 's'"},
        {L"&#65;&#x42;&#X43;", L"ABC"},
        {L"&#x1F600;", L"\U0001F600"},
        {L"&ent; and &amp;ent;", L"&ent; and &ent;"},
        {L"&#0; &#xD800; &#x110000;", L"&#0; &#xD800; &#x110000;"}, // no characters
        {L"a & b &amp c", L"a & b &amp c"},                         // no references
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeShownText(c.raw), c.shown) << c.raw;
}

TEST(XmlShownText, encoding_gives_back_what_was_typed)
{
    const struct
    {
        const wchar_t* shown;
        XmlTextPlace place;
        const wchar_t* markup;
    } cases[] = {
        {L"Fish & Chips", xtpText, L"Fish &amp; Chips"},
        {L"a<b>c ]]> d", xtpText, L"a&lt;b>c ]]&gt; d"},
        {L"&amp; &#38; &ent;", xtpText, L"&amp;amp; &amp;#38; &ent;"},
        {L"it's", xtpParam, L"it's"},
        {L"say \"hi\"", xtpParam, L"say \"hi\""},
        {L"it's \"x\" <y>", xtpParam, L"it's &quot;x&quot; &lt;y>"},
    };
    for (const auto& c : cases)
    {
        const std::wstring markup = EncodeShownText(c.shown, c.place);
        EXPECT_EQ(markup, c.markup) << c.shown;
        EXPECT_EQ(DecodeShownText(markup.c_str()), c.shown) << c.shown;
        if (c.place == xtpParam)
            EXPECT_TRUE(IsValidParamValue(markup.c_str(), true)) << c.shown;
        else
            EXPECT_TRUE(IsValidXmlText(markup.c_str(), true)) << c.shown;
    }
}

TEST(XmlShownText, a_document_type_must_be_one_whole_declaration)
{
    std::wstring name;
    std::string why;
    EXPECT_TRUE(
        ParseDocTypeDecl(L"<!DOCTYPE note [<!ENTITY w \"world\"> <!-- ] > -->]>", name, why));
    EXPECT_EQ(name, L"note");
    EXPECT_TRUE(ParseDocTypeDecl(L"<!DOCTYPE svg:svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
                                 L"\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">",
                                 name, why));
    EXPECT_EQ(name, L"svg:svg");
    for (const wchar_t* bad :
         {L"", L"<!DOCTYPE>", L"<!DOCTYPE note [<!ENTITY w \"x\">", L"<!DOCTYPE note", L"<note/>",
          L" <!DOCTYPE note>", L"<!DOCTYPE note> ", L"<!DOCTYPE note><!-- x -->",
          L"<!DOCTYPE a><!DOCTYPE b>", L"<!DOCTYPE 1note>"})
    {
        EXPECT_FALSE(ParseDocTypeDecl(bad, name, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST(XmlTextPosition, lines_and_columns_count_characters_in_every_form)
{
    const struct
    {
        std::string bytes;
        XmlByteForm form;
        uint64_t offset, line, column;
    } cases[] = {
        {"a\r\nb\rc\n\xC3\xA9\xC3\xA9x", xbfBytes, 11, 4, 3},
        {"\xEF\xBB\xBF\xE6\x97\xA5x", xbfBytes, 6, 1, 2},
        // UTF-16: a mark, "a", CR LF, a surrogate pair, then "b".
        {std::string("\xFF\xFE"
                     "a\0\r\0\n\0\x3D\xD8\x00\xDE"
                     "b\0",
                     14),
         xbfUtf16LE, 12, 2, 2},
        {std::string("\xFE\xFF\0a\0\n\0b\0c", 10), xbfUtf16BE, 8, 2, 2},
    };
    for (const auto& c : cases)
    {
        Orvex::CMemStream stream(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
        CTextPosition pos;
        ASSERT_TRUE(LocateOffset(&stream, c.offset, 65001, pos, c.form)) << c.offset;
        EXPECT_EQ(pos.line, c.line) << c.offset;
        EXPECT_EQ(pos.column, c.column) << c.offset;
    }
}
