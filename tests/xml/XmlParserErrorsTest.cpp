// Where and why the reader refuses an input: the first byte that was not
// what it expected, and a reason that names what it expected.
#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace nkDS;
using namespace testsupport;

namespace
{

struct Refusal
{
    uint64_t offset;
    std::string reason;
};

// The refusal of `body` behind the declaration, offset counted from the body.
template <class C = wchar_t> Refusal Refuse(const std::string& body)
{
    CXmlFileT<C> doc;
    if (Load(doc, Doc(body)))
        return {0, "(accepted)"};
    const char* reason = doc.GetParser().GetErrorReason();
    return {doc.GetParser().GetErrorOffset() - std::strlen(kDecl), reason ? reason : "(none)"};
}

TEST(XmlParserErrors, the_offset_points_at_the_offending_byte_and_the_reason_says_what_was_expected)
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
        {"<a><?pi?></a>", 7, "a header needs a parameter"},
        {"<a><?pi ?></a>", 8, "a header needs a parameter"},
        // An input that ends early is refused at its end, naming the open element.
        {"<a><b>text", 10, "input ends before </b>"},
        {"<a><b>te", 8, "input ends before </b>"},
        {"<a><b>x</b", 10, "input ends before </b>"},
        {"<a><b>x</", 9, "input ends before </b>"},
        {"<a x='1'", 8, "input ends inside a start tag"},
        {"<a><!-- x", 9, "input ends inside a remark"},
    };
    for (const Case& c : cases)
    {
        for (const Refusal& r : {Refuse<wchar_t>(c.body), Refuse<char>(c.body)})
        {
            EXPECT_EQ(r.offset, c.offset) << c.body;
            EXPECT_EQ(r.reason, c.reason) << c.body;
        }
    }

    // A long name is cut short in the reason.
    const std::string name(100, 'n');
    EXPECT_EQ(Refuse("<" + name + ">x</m>").reason, "expected </" + name.substr(0, 61) + "...>");

    // A refusal is forgotten by the next successful load.
    CXmlFileW doc;
    EXPECT_FALSE(Load(doc, Doc("<a>")));
    EXPECT_TRUE(Load(doc, Doc("<a/>")));
    EXPECT_EQ(doc.GetParser().GetErrorReason(), nullptr);
}

} // namespace
