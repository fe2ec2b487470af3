// Where and why the reader refuses an input: the first byte that was not
// what it expected, and a reason that names what it expected.
#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using namespace nkDS;

namespace
{

struct Refusal
{
    uint64_t offset;
    std::string reason;
};

// The refusal of `body` behind the declaration, offset counted from the body.
Refusal Refuse(const std::string& body, bool narrow = false)
{
    const std::string decl = testsupport::kDecl;
    Refusal r{0, "(accepted)"};
    auto take = [&](auto& doc)
    {
        if (!testsupport::Load(doc, decl + body))
        {
            r.offset = doc.GetParser().GetErrorOffset() - decl.size();
            r.reason =
                doc.GetParser().GetErrorReason() ? doc.GetParser().GetErrorReason() : "(none)";
        }
    };
    if (narrow)
    {
        CXmlFileA doc;
        take(doc);
    }
    else
    {
        CXmlFileW doc;
        take(doc);
    }
    return r;
}

TEST(XmlParserErrors,
     the_offset_points_at_the_offending_byte_and_the_reason_says_what_was_expected)
{
    struct Case
    {
        std::string body;
        uint64_t offset;
        const char* reason;
    };
    const Case cases[] = {
        {"<a>\n<b\tc='1'/></a>", 6, "tab in a tag; only spaces separate parameters"},
        {"<a >x</a>", 3, "space before the end of a tag"},
        {"<a b='1' c>", 10, "expected '=' after the parameter name"},
        {"<a b='x<y'/>", 7, "'<' in a parameter value"},
        {"<a b='x\"y'/>", 7, "quote of the other kind in a parameter value"},
        {"<a><b>x</c></a>", 7, "expected </b>"},
        {"<a><b>x</bb></a>", 7, "expected </b>"},
        {"<a><b>x</b ></a>", 10, "expected '>' right after the end tag's name"},
        {"<a>1 > 2</a>", 5, "'>' in text; write it as &gt;"},
        {"<a>x<=</a>", 5, "expected a name, '/', '!' or '?' after '<'"},
        {"<a/>\t<b/>", 4, "tab outside an element"},
        {"<a/>x", 4, "text outside an element"},
        {"<a><1b>x</1b></a>", 4, "element name begins with a digit"},
        {"<a/x>", 3, "expected '>' after '/'"},
    };
    for (const Case& c : cases)
    {
        for (bool narrow : {false, true})
        {
            const Refusal r = Refuse(c.body, narrow);
            EXPECT_EQ(r.offset, c.offset) << c.body;
            EXPECT_EQ(r.reason, c.reason) << c.body;
        }
    }
}

TEST(XmlParserErrors, an_input_that_ends_early_is_refused_at_its_end_naming_the_open_element)
{
    const std::string bodies[] = {"<a><b>text", "<a><b>te", "<a><b>x</b", "<a><b>x</"};
    for (const std::string& body : bodies)
    {
        const Refusal r = Refuse(body);
        EXPECT_EQ(r.offset, body.size()) << body;
        EXPECT_EQ(r.reason, "input ends before </b>") << body;
    }
    EXPECT_EQ(Refuse("<a x='1'").reason, "input ends inside a start tag");
    EXPECT_EQ(Refuse("<a><!-- x").reason, "input ends inside a remark");

    // A long name is cut short in the reason.
    const std::string name(100, 'n');
    EXPECT_EQ(Refuse("<" + name + ">x</m>").reason, "expected </" + name.substr(0, 61) + "...>");

    // A refusal is forgotten by the next successful load.
    CXmlFileW doc;
    EXPECT_FALSE(testsupport::Load(doc, std::string(testsupport::kDecl) + "<a>"));
    EXPECT_TRUE(testsupport::Load(doc, std::string(testsupport::kDecl) + "<a/>"));
    EXPECT_EQ(doc.GetParser().GetErrorReason(), nullptr);
}

} // namespace
