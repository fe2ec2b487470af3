#include "ToolRun.h"

namespace
{

const std::string kCatalog =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<?xml-stylesheet href='c.xsl' type='text/xsl'?>\n"
    "<catalog>\n"
    "  <book id=\"3\"><title>First</title></book>\n"
    "  <book id=\"7\"><title>Second</title><note><![CDATA[a<b & c]]></note></book>\n"
    "  <!-- remark -->\n"
    "  <book id=\"9\" lang=\"zh\"><title>\xE7\xAC\xAC\xE4\xB8\x89</title></book>\n"
    "</catalog>\n";
const std::string kHeaders = "<?xml  version='1.0'  encoding='UTF-8'?>\n<?xml-stylesheet  "
                             "href='c.xsl'  type='text/xsl'?>\n";

TEST_F(ToolTest, export_writes_the_headers_and_the_designated_node)
{
    Write("cat.xml", kCatalog);
    // A parameter condition.
    ToolResult r = Run({"export", "cat.xml", "catalog/book?id=7"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kHeaders + "<book  id='7'>\n <title>Second</title>\n <note><![CDATA[a<b & "
                                "c]]></note>\n</book>\n");
    // An index: the third book, counted from 0 among the books only.
    r = Run({"export", "cat.xml", "catalog/book=2/title", "-o", "third.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read("third.xml"), kHeaders + "<title>\xE7\xAC\xAC\xE4\xB8\x89</title>\n");

    // Nothing found: status 1, nothing written, never the whole document.
    for (const char* locator :
         {"catalog/book?id=8", "catalog/book=3", "catalog/magazine", "book", ""})
    {
        r = Run({"export", "cat.xml", locator, "-o", "none.xml"});
        EXPECT_EQ(r.status, 1) << locator;
        EXPECT_EQ(r.err, std::string("velmar-xml: cat.xml: nothing at '") + locator + "'\n");
        EXPECT_FALSE(Exists("none.xml"));
        r = Run({"export", "cat.xml", locator});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(ToolTest, get_prints_the_value_of_the_designated_node)
{
    Write("cat.xml", kCatalog);
    struct Case
    {
        const char* locator;
        std::string value;
    };
    const Case cases[] = {
        {"catalog/book/title", "First"},
        {"catalog/book=1/title", "Second"},
        {"catalog/book?id=7/note", "a<b & c"}, // CDATA content
        {"catalog/book?lang/title", "\xE7\xAC\xAC\xE4\xB8\x89"},
        {"catalog/book?lang=zh/title", "\xE7\xAC\xAC\xE4\xB8\x89"},
        {"catalog/book?id=3", ""}, // an element with children keeps no text
    };
    for (const Case& c : cases)
    {
        const ToolResult r = Run({"get", "cat.xml", c.locator});
        EXPECT_EQ(r.status, 0) << c.locator << r.err;
        EXPECT_EQ(r.out, c.value + "\n") << c.locator;
    }
    ToolResult r = Run({"get", "cat.xml", "catalog/book?lang=en/title"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    r = Run({"get", "missing.xml", "a"});
    EXPECT_EQ(r.status, 2);
}

TEST_F(ToolTest, qualified_names_and_mixed_content_by_default_and_not_with_strict)
{
    Write("svg.xml", "<!DOCTYPE svg>\n<svg xmlns:svg='u'>\n"
                     "<p>Hi <svg:g>one</svg:g> and <svg:g id=\"2\">two</svg:g></p>\n</svg>\n");
    ToolResult r = Run({"get", "svg.xml", "svg/p/svg:g=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "two\n");
    r = Run({"export", "svg.xml", "svg/p/svg:g?id=2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "<!DOCTYPE svg>\n<svg:g  id='2'>two</svg:g>\n");
    r = Run({"format", "svg.xml", "-o", "out.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.xml"), "<!DOCTYPE svg>\n<svg  xmlns:svg='u'>\n"
                               " <p>Hi <svg:g>one</svg:g> and <svg:g  id='2'>two</svg:g></p>\n"
                               "</svg>\n");
    r = Run({"get", "--strict", "svg.xml", "svg"});
    EXPECT_EQ(r.status, 1);
}

} // namespace
