// The reader: what it accepts, what it refuses, and the tree it builds.
#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

using namespace nkDS;
using testsupport::Load;
using testsupport::Top;

namespace
{

std::string Doc(const std::string& body)
{
    return std::string(testsupport::kDecl) + body;
}

bool Accepts(const std::string& bytes)
{
    CXmlFileW doc;
    return Load(doc, bytes);
}

TEST(XmlParserDeclaration, required_at_the_start_after_spaces_and_line_ends)
{
    EXPECT_TRUE(Accepts(" \r\n <?xml version='1.0'?><a/>"));
    EXPECT_FALSE(Accepts("\t<?xml version='1.0'?><a/>")); // tab is not skipped
    EXPECT_FALSE(Accepts("<?xm"));                        // shorter than five bytes
    EXPECT_FALSE(Accepts("<a/>"));
    EXPECT_FALSE(Accepts(""));
    EXPECT_FALSE(Accepts("<?xml?><a/>")); // a header needs a parameter
    EXPECT_FALSE(Accepts("<?xml ?><a/>"));
    EXPECT_FALSE(Accepts("<?xml version='1.0'"));
}

TEST(XmlParserDeclaration, version_and_encoding_come_from_it)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='GBK'?>\r\n<a b='1' c='2'>t</a>"));
    ASSERT_EQ(doc.GetChildCount(), 2u);
    CXmlNodeW* decl = Top(doc, 0);
    EXPECT_EQ(decl->GetKind(), uint32_t(xnkHeader));
    EXPECT_STREQ(decl->GetName(), L"xml");
    EXPECT_EQ(decl->GetParamCount(), 2u);
    CXmlNodeW* a = Top(doc, 1);
    EXPECT_STREQ(a->GetName(), L"a");
    EXPECT_STREQ(a->GetParamByName(L"b"), L"1");
    EXPECT_STREQ(a->GetParamByName(L"c"), L"2");
    EXPECT_STREQ(a->GetValue(), L"t");
    EXPECT_FLOAT_EQ(doc.GetVersion(), 1.0f);
    EXPECT_STREQ(doc.GetEncoding(), "GBK");

    ASSERT_TRUE(Load(doc, "<?xml version='2.5'?><a/>"));
    EXPECT_FLOAT_EQ(doc.GetVersion(), 2.5f);
    EXPECT_STREQ(doc.GetEncoding(), "");
    ASSERT_TRUE(Load(doc, "<?xml encoding='UTF-8'?><a/>"));
    EXPECT_FLOAT_EQ(doc.GetVersion(), 1.0f); // no version: 1.0
}

// The refusals with their offsets and reasons are in the error tests.
TEST(XmlParserTags, blanks_quotes_and_names_follow_the_dialect)
{
    EXPECT_TRUE(Accepts(Doc("<a b=\"1\"  c='2'>x</a>")));
    EXPECT_FALSE(Accepts(Doc("<a b = '1'>x</a>")));
    EXPECT_FALSE(Accepts(Doc("<A>x</a>"))); // end tags are case-sensitive
}

TEST(XmlParserContent, text_is_kept_verbatim_and_only_the_last_run_counts)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<r><a b='it&apos;s'>x &amp; y</a><c>one<d/>two</c></r>")));
    CXmlNodeW* r = Top(doc, 1);
    ASSERT_EQ(r->GetChildCount(), 2u);
    EXPECT_STREQ(r->GetChild(0)->GetParamByName(L"b"), L"it&apos;s");
    EXPECT_STREQ(r->GetChild(0)->GetValue(), L"x &amp; y");
    CXmlNodeW* c = r->GetChild(1);
    EXPECT_STREQ(c->GetValue(), L"two");
    ASSERT_EQ(c->GetChildCount(), 1u);
    EXPECT_STREQ(c->GetChild(0)->GetValue(), L"");
    EXPECT_EQ(c->GetChild(0)->GetParent(), c);
}

TEST(XmlParserContent, cdata_remarks_headers_and_doctype)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<!DOCTYPE r [<!ENTITY e 'v'>]>\r\n<!-- a -- b -->"
                              "<r><![CDATA[x<y]]><!--in--><?pi k='v'?></r>")));
    ASSERT_EQ(doc.GetChildCount(), 3u); // declaration, remark, r: no doctype node
    EXPECT_EQ(Top(doc, 1)->GetKind(), uint32_t(xnkRemark));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L" a -- b ");
    CXmlNodeW* r = Top(doc, 2);
    EXPECT_TRUE(r->IsCData());
    EXPECT_STREQ(r->GetValue(), L"x<y");
    ASSERT_EQ(r->GetChildCount(), 2u);
    EXPECT_EQ(r->GetChild(0)->GetKind(), uint32_t(xnkRemark));
    EXPECT_EQ(r->GetChild(1)->GetKind(), uint32_t(xnkHeader));
    EXPECT_STREQ(r->GetChild(1)->GetName(), L"pi");

    EXPECT_FALSE(Accepts(Doc("<!--x--")));
    EXPECT_FALSE(Accepts(Doc("<r><![CDATA[x]]</r>")));

    // Content ending in the first closing character reads back as written.
    ASSERT_TRUE(Load(doc, Doc("<!--x---><r><![CDATA[a]b]]]]></r>")));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L"x-");
    EXPECT_STREQ(Top(doc, 2)->GetValue(), L"a]b]]");
}

TEST(XmlParserContent, several_top_level_elements_keep_their_order)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<a/>\r\n<b/> <c/>\n")));
    ASSERT_EQ(doc.GetChildCount(), 4u);
    EXPECT_STREQ(Top(doc, 3)->GetName(), L"c");
}

TEST(XmlParserFailure, completed_top_level_nodes_stay_and_the_reason_is_kept)
{
    CXmlFileW doc;
    const std::string bytes = Doc("<a/><b><c/>");
    EXPECT_FALSE(Load(doc, bytes));
    ASSERT_EQ(doc.GetChildCount(), 2u); // declaration and a; b was incomplete
    EXPECT_STREQ(Top(doc, 1)->GetName(), L"a");
    EXPECT_NE(doc.GetParser().GetErrorReason(), nullptr);
    EXPECT_EQ(doc.GetParser().GetErrorOffset(), bytes.size());

    // A new load starts from an empty tree.
    ASSERT_TRUE(Load(doc, Doc("<z/>")));
    EXPECT_EQ(doc.GetChildCount(), 2u);
}

TEST(XmlParserLimits, nesting_deeper_than_the_limit_fails_cleanly)
{
    auto nested = [](uint32_t depth)
    {
        std::string s = testsupport::kDecl;
        for (uint32_t i = 0; i < depth; ++i)
            s += "<e>";
        for (uint32_t i = 0; i < depth; ++i)
            s += "</e>";
        return s;
    };
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, nested(kXmlMaxDepth)));
    EXPECT_FALSE(Load(doc, nested(kXmlMaxDepth + 1)));
    EXPECT_FALSE(Load(doc, nested(200000))); // no stack is spent on depth
    EXPECT_EQ(doc.GetChildCount(), 1u);
}

TEST(XmlParserLimits, a_million_siblings_and_a_long_value_load_in_linear_time)
{
    std::string s = Doc("<r>");
    for (int i = 0; i < 1000000; ++i)
        s += "<i/>";
    s += "<t><![CDATA[";
    s.append(8u << 20, 'x');
    s += "]]></t></r>";
    CXmlFileA doc;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(Load(doc, s));
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ASSERT_EQ(Top(doc, 1)->GetChildCount(), 1000001u);
    EXPECT_EQ(std::strlen(Top(doc, 1)->GetChild(1000000)->GetValue()), 8u << 20);
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
    const double limit = 120.0; // instrumented builds run several times slower
#else
    const double limit = 10.0;
#endif
    EXPECT_LT(secs, limit); // quadratic growth would take hours
}

// Repeated names, short values and indentation share their text between
// nodes; each node must still own its text as far as anyone can tell, past
// the 255 sharers a block can count too.
TEST(XmlParserContent, repeated_text_is_shared_but_every_node_edits_its_own)
{
    std::string body = "<r>\r\n";
    for (int i = 0; i < 600; ++i)
        body += " <e k='v' n='\xE4\xB8\xAD'>\r\n  <i>x</i>\r\n </e>\r\n";
    body += "</r>";
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc(body)));
    CXmlNodeW* r = Top(doc, 1);
    ASSERT_EQ(r->GetChildCount(), 600u);
    for (uint32_t i = 0; i < 600; ++i)
    {
        CXmlNodeW* e = r->GetChild(i);
        ASSERT_STREQ(e->GetName(), L"e");
        ASSERT_STREQ(e->GetParamByName(L"k"), L"v");
        ASSERT_STREQ(e->GetParamByName(L"n"), L"\u4E2D");
        ASSERT_STREQ(e->GetValue(), L"\r\n "); // the run before the end tag
        ASSERT_STREQ(e->GetChild(0)->GetValue(), L"x");
    }
    CXmlNodeW* first = r->GetChild(0);
    CXmlNodeW* last = r->GetChild(599);
    ASSERT_TRUE(first->SetName(L"f"));
    ASSERT_TRUE(first->SetParam(L"k", L"w"));
    first->GetChild(0)->SetValue(L"y");
    last->m_strValue.Append(L'!');
    EXPECT_STREQ(r->GetChild(1)->GetName(), L"e");
    EXPECT_STREQ(r->GetChild(1)->GetParamByName(L"k"), L"v");
    EXPECT_STREQ(r->GetChild(1)->GetChild(0)->GetValue(), L"x");
    EXPECT_STREQ(r->GetChild(598)->GetValue(), L"\r\n ");
    EXPECT_STREQ(last->GetValue(), L"\r\n !");

    // Saving drops the text of nodes with children, shared or not, and
    // writes the same bytes as a tree built without any sharing.
    const std::string saved = testsupport::Save(doc);
    EXPECT_STREQ(r->GetChild(1)->GetValue(), L"");
    EXPECT_STREQ(r->GetChild(1)->GetChild(0)->GetValue(), L"x");
    EXPECT_NE(saved.find("<i>y</i>"), std::string::npos);
    EXPECT_NE(saved.find("k='w'"), std::string::npos);
    EXPECT_NE(saved.find("n='\xE4\xB8\xAD'"), std::string::npos);
    CXmlFileW again;
    ASSERT_TRUE(Load(again, saved));
    EXPECT_EQ(testsupport::Save(again), saved);
}

TEST(XmlParserInput, every_truncation_of_a_document_ends_in_a_result)
{
    const std::string full =
        Doc("<!-- c --><r a='1' b=\"2\"><x>t&amp;</x><![CDATA[d]]><?p q='1'?><y/></r>");
    for (size_t n = 0; n <= full.size(); ++n)
    {
        CXmlFileW doc;
        const bool ok = Load(doc, full.substr(0, n));
        if (n == full.size())
        {
            EXPECT_TRUE(ok);
        }
    }
}

TEST(XmlParserInput, byte_order_mark_is_accepted_and_remembered)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "\xEF\xBB\xBF" + Doc("<a/>")));
    EXPECT_TRUE(doc.HasByteOrderMark());
    ASSERT_TRUE(Load(doc, Doc("<a/>")));
    EXPECT_FALSE(doc.HasByteOrderMark());
}

TEST(XmlParserInput, the_stream_is_left_where_the_parse_stopped)
{
    const std::string bytes = Doc("<a/>\r\n");
    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CXmlFileW doc;
    ASSERT_TRUE(doc.Read(&in));
    EXPECT_EQ(in.GetPosition(), bytes.size());

    Orvex::CMemStream bad(bytes.data(), 20);
    EXPECT_FALSE(doc.Read(&bad));
    EXPECT_EQ(bad.GetPosition(), doc.GetParser().GetErrorOffset());
}

TEST(XmlParserEncoding, wide_text_is_decoded_with_the_declared_code_page)
{
    CXmlFileW doc;
    // "中文" in GBK, then in UTF-8.
    ASSERT_TRUE(
        Load(doc, "<?xml version='1.0' encoding='gbk'?><a n='\xD6\xD0'>\xD6\xD0\xCE\xC4</a>"));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L"\u4E2D\u6587");
    EXPECT_STREQ(Top(doc, 1)->GetParamByName(L"n"), L"\u4E2D");
    ASSERT_TRUE(
        Load(doc, "<?xml version='1.0' encoding='UTF-8'?><a>\xE4\xB8\xAD\xF0\x9F\x98\x80</a>"));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L"\u4E2D\U0001F600");
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>"));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L"\u00E9");

    // The narrow tree keeps the bytes as they are.
    CXmlFileA narrow;
    ASSERT_TRUE(Load(narrow, "<?xml version='1.0' encoding='GBK'?><a>\xD6\xD0</a>"));
    EXPECT_STREQ(Top(narrow, 1)->GetValue(), "\xD6\xD0");
}

struct Recorder : IXmlParseHook
{
    std::vector<std::string> calls;
    void OnParam(const char* n, const char* v) override
    {
        calls.push_back(std::string("P ") + n + "=" + v);
    }
    void OnElement(const char* n, int end) override
    {
        calls.push_back((end ? "E " : "S ") + std::string(n));
    }
    void OnRemark(const char* t) override { calls.push_back(std::string("R ") + t); }
};

TEST(XmlParserHook, sees_parameters_elements_and_remarks_in_order)
{
    const std::string bytes = Doc("<a k='v'><b/><!--r--></a>");
    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CXmlNodeW root;
    CXmlParser parser(true, kXmlParseStrict);
    parser.SetRoot(&root);
    Recorder hook;
    ASSERT_TRUE(parser.Parse(&in, &hook));
    const std::vector<std::string> want = {"P k=v", "S a", "E b", "R r", "E a"};
    EXPECT_EQ(hook.calls, want);
    root.Clear();
}

TEST(XmlParserModes, non_strict_input_without_a_declaration_starts_at_its_first_byte)
{
    const std::string bytes = "<a>x</a>";
    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CXmlFileW doc(1.0f, nullptr, 0);
    ASSERT_TRUE(doc.Read(&in));
    ASSERT_EQ(doc.GetChildCount(), 1u);
    EXPECT_STREQ(Top(doc, 0)->GetValue(), L"x");

    CXmlFileW strict;
    EXPECT_FALSE(strict.Read(nullptr));
}

} // namespace
