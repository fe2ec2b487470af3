// The reader: what it accepts, what it refuses, and the tree it builds.
#include "XmlTestUtil.h"
#include "velmar/xml/XmlEncoding.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

using namespace nkDS;
using namespace testsupport;

namespace
{

// Refusals that the error tests place with an offset and a reason are not
// repeated here.
TEST(XmlParser, accepts_or_refuses_each_input_in_both_widths)
{
    // The declaration comes first, after spaces and line ends only; like every
    // header it needs a named parameter, or it would be saved as
    // "<?xml0version?>", which no load accepts. An element with a refused name,
    // with content or without, would be kept nameless and saved as "</>". End
    // tags are case-sensitive.
    const std::vector<std::string> accepted = {" \r\n <?xml version='1.0'?><a/>",
                                               "<?xml version='1.0'?><?pi ='v' k='w'?><r/>",
                                               Doc("<a b=\"1\"  c='2'>x</a>")};
    const std::vector<std::string> refused = {"\t<?xml version='1.0'?><a/>",
                                              "<?xm",
                                              "<a/>",
                                              "",
                                              "<?xml?><a/>",
                                              "<?xml ?><a/>",
                                              "<?xml version='1.0'",
                                              "<?xml0version=\"-8\"?>\r\n<root>x</root>",
                                              "<?xml version='1.0'?><?pi ='v'?><r/>",
                                              Doc("<a b = '1'>x</a>"),
                                              Doc("<A>x</a>"),
                                              Doc("<!--x--"),
                                              Doc("<r><![CDATA[x]]</r>"),
                                              Doc("<1a/>"),
                                              Doc("<r><-a x='1'/></r>"),
                                              Doc("<a><.x>t</.x></a>"),
                                              Doc("<->t</->"),
                                              Doc("<a><-></-></a>")};
    for (const bool accept : {true, false})
    {
        for (const std::string& bytes : accept ? accepted : refused)
        {
            CXmlFileA narrow;
            CXmlFileW wide;
            EXPECT_EQ(Load(narrow, bytes), accept) << bytes;
            EXPECT_EQ(Load(wide, bytes), accept) << bytes;
        }
    }
    CXmlFileW fine;
    ASSERT_TRUE(Load(fine, Doc("<a><b-c/><d.e>t</d.e><a1/><_b/></a>")));
    EXPECT_EQ(Top(fine, 1)->GetChildCount(), 4u);
}

TEST(XmlParser, version_and_encoding_come_from_the_declaration)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='GBK'?>\r\n<a/>"));
    EXPECT_FLOAT_EQ(doc.GetVersion(), 1.0f);
    EXPECT_STREQ(doc.GetEncoding(), "GBK");

    ASSERT_TRUE(Load(doc, "<?xml version='2.5'?><a/>"));
    EXPECT_FLOAT_EQ(doc.GetVersion(), 2.5f);
    EXPECT_STREQ(doc.GetEncoding(), "");
    ASSERT_TRUE(Load(doc, "<?xml encoding='UTF-8'?><a/>"));
    EXPECT_FLOAT_EQ(doc.GetVersion(), 1.0f); // no version: 1.0
}

TEST(XmlParser, text_is_kept_verbatim_and_only_the_last_run_counts)
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

TEST(XmlParser, cdata_remarks_headers_and_doctype)
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

    // Content ending in the first closing character reads back as written.
    ASSERT_TRUE(Load(doc, Doc("<!--x---><r><![CDATA[a]b]]]]></r>")));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L"x-");
    EXPECT_STREQ(Top(doc, 2)->GetValue(), L"a]b]]");
}

TEST(XmlParser, on_failure_completed_top_level_nodes_stay_and_the_reason_is_kept)
{
    CXmlFileW doc;
    const std::string bytes = Doc("<a/><b><c/>");
    EXPECT_FALSE(Load(doc, bytes));
    ASSERT_EQ(doc.GetChildCount(), 2u); // declaration and a; b was incomplete
    EXPECT_STREQ(Top(doc, 1)->GetName(), L"a");
    EXPECT_NE(doc.GetParser().GetErrorReason(), nullptr);
    EXPECT_EQ(doc.GetParser().GetErrorOffset(), bytes.size());

    // A new load starts from an empty tree; top-level elements keep their order.
    ASSERT_TRUE(Load(doc, Doc("<z/>\r\n<b/> <c/>\n")));
    ASSERT_EQ(doc.GetChildCount(), 4u);
    EXPECT_STREQ(Top(doc, 1)->GetName(), L"z");
    EXPECT_STREQ(Top(doc, 3)->GetName(), L"c");
}

TEST(XmlParser, nesting_deeper_than_the_limit_fails_cleanly)
{
    auto nested = [](uint32_t depth)
    {
        std::string s = kDecl;
        for (uint32_t i = 0; i < depth; ++i)
            s += "<e>";
        for (uint32_t i = 0; i < depth; ++i)
            s += "</e>";
        return s;
    };
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, nested(kXmlMaxDepth)));
    EXPECT_FALSE(Load(doc, nested(kXmlMaxDepth + 1)));
    std::string emptyInside = nested(kXmlMaxDepth); // an empty-element tag counts alike
    EXPECT_FALSE(Load(doc, emptyInside.insert(emptyInside.find("</e>"), "<e/>")));
    EXPECT_FALSE(Load(doc, nested(200000))); // no stack is spent on depth
    EXPECT_EQ(doc.GetChildCount(), 1u);
}

TEST(XmlParser, a_million_siblings_and_a_long_value_load_in_linear_time)
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

// Long runs of children are handed to their parent whole, short ones
// copied: either way each parent gets exactly its own children, in order,
// in both modes, mixed content included.
TEST(XmlParser, long_and_short_child_runs_each_reach_their_own_parent)
{
    std::string many, mixed;
    for (int i = 0; i < 100; ++i)
    {
        many += "<i n='" + std::to_string(i) + "'/>";
        mixed += "t" + std::to_string(i) + "<i/>";
    }
    for (uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
    {
        const bool x10 = flags == kXmlParseXml10;
        CXmlFileA doc(1.0f, nullptr, flags);
        const std::string body = "<r><a>" + many + "</a><b><c/></b><a>" + many + "</a>" +
                                 (x10 ? "<m>" + mixed + "</m>" : "") + "</r>";
        ASSERT_TRUE(Load(doc, Doc(body))) << int(flags);
        const CXmlNodeA* r = Top(doc, 1);
        ASSERT_EQ(r->GetChildCount(), x10 ? 4u : 3u);
        for (uint32_t k : {0u, 2u})
        {
            const CXmlNodeA* a = r->GetChild(k);
            ASSERT_EQ(a->GetChildCount(), 100u);
            for (uint32_t i = 0; i < 100; ++i)
            {
                EXPECT_EQ(a->GetChild(i)->GetParent(), a);
                EXPECT_STREQ(a->GetChild(i)->GetParamValue(0), std::to_string(i).c_str());
            }
        }
        EXPECT_EQ(r->GetChild(1)->GetChildCount(), 1u);
        if (!x10)
            continue;
        const CXmlNodeA* m = r->GetChild(3);
        ASSERT_EQ(m->GetChildCount(), 200u);
        for (uint32_t i = 0; i < 200; i += 2)
        {
            EXPECT_EQ(m->GetChild(i)->GetKind(), static_cast<uint32_t>(xnkText));
            EXPECT_STREQ(m->GetChild(i)->GetValue(), ("t" + std::to_string(i / 2)).c_str());
            EXPECT_EQ(m->GetChild(i + 1)->GetParent(), m);
        }
    }
}

template <class C> class XmlParserTest : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlParserTest, Widths);

// Repeated names, short values and indentation share their text between
// nodes; each node must still own its text as far as anyone can tell, past
// the 255 sharers a block can count too.
TYPED_TEST(XmlParserTest, repeated_text_is_shared_but_every_node_edits_its_own)
{
    std::string body = "<r>\r\n";
    for (int i = 0; i < 600; ++i)
        body += " <e k='v' n='\xE4\xB8\xAD'>\r\n  <i>x</i>\r\n </e>\r\n";
    body += "</r>";
    CXmlFileT<TypeParam> doc;
    ASSERT_TRUE(Load(doc, Doc(body)));
    CXmlNodeT<TypeParam>* r = Top(doc, 1);
    ASSERT_EQ(r->GetChildCount(), 600u);
    for (uint32_t i = 0; i < 600; ++i)
    {
        CXmlNodeT<TypeParam>* e = r->GetChild(i);
        ASSERT_STREQ(e->GetName(), LIT("e"));
        ASSERT_STREQ(e->GetParamByName(LIT("k")), LIT("v"));
        ASSERT_STREQ(e->GetParamByName(LIT("n")), LIT("\u4E2D"));
        ASSERT_STREQ(e->GetValue(), LIT("\r\n ")); // the run before the end tag
        ASSERT_STREQ(e->GetChild(0)->GetValue(), LIT("x"));
    }
    CXmlNodeT<TypeParam>* first = r->GetChild(0);
    CXmlNodeT<TypeParam>* last = r->GetChild(599);
    ASSERT_TRUE(first->SetName(LIT("f")));
    // Named by a text that other nodes share too.
    ASSERT_TRUE(first->SetParam(last->GetParamName(0), LIT("w")));
    first->GetChild(0)->SetValue(LIT("y"));
    last->m_strValue.Append(TypeParam('!'));
    EXPECT_STREQ(r->GetChild(1)->GetName(), LIT("e"));
    EXPECT_STREQ(r->GetChild(1)->GetParamName(0), LIT("k"));
    EXPECT_STREQ(r->GetChild(1)->GetParamByName(LIT("k")), LIT("v"));
    EXPECT_STREQ(r->GetChild(1)->GetChild(0)->GetValue(), LIT("x"));
    EXPECT_STREQ(r->GetChild(598)->GetValue(), LIT("\r\n "));
    EXPECT_STREQ(last->GetValue(), LIT("\r\n !"));

    // Equal tags share their parameter lists too; the editor's edits through
    // the lists themselves change one node only.
    CXmlNodeT<TypeParam>* second = r->GetChild(2);
    second->ParamNames().Swap(0, 1);
    second->ParamValues().Swap(0, 1);
    ASSERT_TRUE(second->RemoveParam(1));
    ASSERT_TRUE(second->AddParam(LIT("z"), LIT("1")));
    r->GetChild(3)->ParamValues().GetAtForWrite(0).Assign(LIT("u"));
    r->GetChild(4)->RemoveAllParams();
    ASSERT_EQ(second->GetParamCount(), 2u);
    EXPECT_STREQ(second->GetParamName(0), LIT("n"));
    EXPECT_STREQ(second->GetParamValue(1), LIT("1"));
    EXPECT_STREQ(r->GetChild(3)->GetParamValue(0), LIT("u"));
    for (const uint32_t i : {1u, 5u, 300u, 598u})
    {
        ASSERT_EQ(r->GetChild(i)->GetParamCount(), 2u);
        EXPECT_STREQ(r->GetChild(i)->GetParamName(1), LIT("n"));
        EXPECT_STREQ(r->GetChild(i)->GetParamValue(0), LIT("v"));
    }
    r->GetChild(3)->ParamValues().GetAtForWrite(0).Assign(LIT("v"));
    second->RemoveAllParams();
    second->AddParam(LIT("k"), LIT("v"));
    second->AddParam(LIT("n"), LIT("\u4E2D"));
    r->GetChild(4)->AddParam(LIT("k"), LIT("v"));
    r->GetChild(4)->AddParam(LIT("n"), LIT("\u4E2D"));

    // Saving drops the text of nodes with children, shared or not, and
    // writes the same bytes as a tree built without any sharing.
    const std::string saved = Save(doc);
    EXPECT_STREQ(r->GetChild(1)->GetValue(), LIT(""));
    EXPECT_STREQ(r->GetChild(1)->GetChild(0)->GetValue(), LIT("x"));
    EXPECT_NE(saved.find("<f  k='w'  n='\xE4\xB8\xAD'>"), std::string::npos);
    EXPECT_NE(saved.find("<i>y</i>"), std::string::npos);
    EXPECT_TRUE(IsFixedPoint<TypeParam>(saved));
}

TEST(XmlParser, every_truncation_of_a_document_ends_in_a_result)
{
    const std::string full =
        Doc("<!-- c --><r a='1' b=\"2\"><x>t&amp;</x><![CDATA[d]]><?p q='1'?><y/></r>");
    for (size_t n = 0; n <= full.size(); ++n)
    {
        CXmlFileW doc;
        EXPECT_TRUE(Load(doc, full.substr(0, n)) || n < full.size());
    }
}

TEST(XmlParser, the_stream_is_left_where_the_parse_stopped)
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

TEST(XmlParser, wide_text_is_decoded_with_the_declared_code_page)
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

TEST(XmlParser, a_name_the_system_would_read_loosely_names_no_encoding)
{
    // The system's converter drops what is no name character from a name,
    // and read these as ISO-8859-1; saved, the "&" became "&amp;", the name
    // another, and the file would no longer open.
    EXPECT_EQ(CodePageForReading("ISO-8859-1"), 28591u);
    for (const char* loose : {"\x1DISO-8859-1",
                              "ISO-8859-\xBA"
                              "1",
                              "ISO-8859-&1"})
        EXPECT_EQ(CodePageForReading(loose), 0u) << loose;
    const std::string doc = "<?xml version='1.0' encoding='ISO-8859-&\xBA"
                            "1'?><a>caf\xE9</a>";
    // Read as any unknown name is (in the ANSI code page, which may
    // refuse the bytes), what loads saves to what loads the same.
    CXmlFileA narrow;
    if (Load(narrow, doc))
    {
        EXPECT_TRUE(IsFixedPoint<char>(Save(narrow)));
    }
    CXmlFileW wide;
    if (Load(wide, doc))
    {
        EXPECT_TRUE(IsFixedPoint<wchar_t>(Save(wide)));
    }
}

TEST(XmlParser, utf8_text_decodes_as_the_code_page_layer_decodes_it)
{
    // Well-formed sequences of every length decode; ill-formed ones
    // (overlong, surrogate, beyond Unicode, cut short) and NUL fail the load
    // at their first byte, in either reading mode and width, wherever in an
    // eight-byte word of the input that byte stands, after ASCII or not.
    for (size_t pad = 0; pad < 10; ++pad)
    {
        const std::string head = "<?xml version='1.0' encoding='UTF-8'?><r k='" +
                                 std::string(pad, pad % 2 ? 'p' : ' ') +
                                 (pad % 3 == 1 ? "\xc3\xa9" : "");
        const std::pair<std::string, const char*> refused[] = {
            {"x\xc0\xafy", "bytes not valid UTF-8"},
            {"x\xed\xa0\x80y", "bytes not valid UTF-8"},
            {"x\xf4\x90\x80\x80y", "bytes not valid UTF-8"},
            {"x\xe4\xb8y", "bytes not valid UTF-8"},
            {std::string("x\0y", 3), "a NUL byte"},
        };
        for (const auto& [text, reason] : refused)
            for (const uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
            {
                CXmlFileA narrow(1.0f, nullptr, flags);
                CXmlFileW wide(1.0f, nullptr, flags);
                for (CXmlParser* p : {&narrow.GetParser(), &wide.GetParser()})
                {
                    const std::string bytes = head + text + "'>" + text + "</r>";
                    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
                    ASSERT_FALSE(p->Parse(&in, nullptr)) << text;
                    EXPECT_EQ(p->GetErrorOffset(), head.size() + 1) << pad;
                    EXPECT_STREQ(p->GetErrorReason(), reason);
                }
            }
    }
    CXmlFileA after; // the bytes after the last element count too
    EXPECT_FALSE(Load(after, Doc("<r/>\r\n\xff")));

    // Short and long texts, ending on either side of a multi-byte sequence,
    // are decoded by different paths.
    const std::string mixed =
        "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf";
    std::vector<std::string> texts = {mixed};
    for (const size_t ascii : {230u, 231u, 232u, 233u, 234u, 250u})
        texts.push_back(std::string(ascii, 'x') + mixed);
    texts.push_back(std::string(300, 'x') + mixed + std::string(300, 'y') + mixed);
    for (const std::string& text : texts)
    {
        CXmlFileW doc;
        ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='UTF-8'?><r k='" + text + "'>" + text +
                                  "</r>"));
        ASSERT_NE(Top(doc, 1), nullptr);
        std::vector<wchar_t> units(text.size() + 1);
        const int n = MultiByteToWideChar(65001, 0, text.data(), static_cast<int>(text.size()),
                                          units.data(), static_cast<int>(units.size()));
        ASSERT_GT(n, 0);
        const std::wstring expected(units.data(), static_cast<size_t>(n));
        EXPECT_EQ(std::wstring(Top(doc, 1)->GetValue()), expected);
        EXPECT_EQ(std::wstring(Top(doc, 1)->GetParamValue(0)), expected);
    }
}

TEST(XmlParser, every_two_and_three_byte_sequence_reads_as_the_code_page_layer_reads_it)
{
    // Each lead byte of the two- and three-byte forms with every second byte
    // (and a foreign one), at both ends of the third byte's range: a value
    // the code-page layer decodes loads as its characters, any other fails
    // the load at the lead byte.
    const std::string head = "<?xml version='1.0' encoding='UTF-8'?><r>x";
    for (unsigned lead = 0xC0; lead <= 0xEF; ++lead)
        for (unsigned second = 0x7F; second <= 0xC0; ++second)
            for (const unsigned third : {0x80u, 0xBFu})
            {
                std::string seq{static_cast<char>(lead), static_cast<char>(second)};
                if (lead >= 0xE0)
                    seq += static_cast<char>(third);
                wchar_t units[8] = {};
                const int n = MultiByteToWideChar(65001, MB_ERR_INVALID_CHARS, seq.data(),
                                                  static_cast<int>(seq.size()), units, 8);
                CXmlFileW doc;
                const bool loaded = Load(doc, head + seq + "y</r>");
                ASSERT_EQ(loaded, n > 0) << std::hex << lead << ' ' << second << ' ' << third;
                if (loaded)
                    EXPECT_EQ(std::wstring(Top(doc, 1)->GetValue()),
                              L"x" + std::wstring(units, static_cast<size_t>(n)) + L"y");
                else
                    EXPECT_EQ(doc.GetParser().GetErrorOffset(), head.size());
            }
}

TEST(XmlParser, names_and_values_that_differ_in_one_byte_stay_apart)
{
    // Repeated names and short values are shared through caches keyed by
    // their bytes: texts of every length up to past the cached sizes, each
    // differing from the next in one place, keep their own characters.
    for (const bool wide : {false, true})
    {
        std::string doc = "<?xml version='1.0'?><r>";
        std::vector<std::string> texts;
        for (size_t len = 1; len <= 40; ++len)
            for (size_t at = 0; at < len; ++at)
            {
                std::string t(len, 'a');
                t[at] = 'b';
                texts.push_back(t);
                doc += "<" + t + " " + t + "='" + t + "'>" + t + "</" + t + ">";
            }
        doc += "</r>";
        CXmlFileA narrow;
        CXmlFileW wideDoc;
        ASSERT_TRUE(wide ? Load(wideDoc, doc) : Load(narrow, doc));
        for (size_t i = 0; i < texts.size(); ++i)
        {
            const std::wstring want(texts[i].begin(), texts[i].end());
            if (wide)
            {
                const CXmlNodeW* e = Top(wideDoc, 1)->GetChild(static_cast<uint32_t>(i));
                EXPECT_EQ(std::wstring(e->GetName()), want);
                EXPECT_EQ(std::wstring(e->GetParamName(0)), want);
                EXPECT_EQ(std::wstring(e->GetParamValue(0)), want);
                EXPECT_EQ(std::wstring(e->GetValue()), want);
            }
            else
            {
                const CXmlNodeA* e = Top(narrow, 1)->GetChild(static_cast<uint32_t>(i));
                EXPECT_EQ(std::string(e->GetName()), texts[i]);
                EXPECT_EQ(std::string(e->GetParamName(0)), texts[i]);
                EXPECT_EQ(std::string(e->GetParamValue(0)), texts[i]);
                EXPECT_EQ(std::string(e->GetValue()), texts[i]);
            }
        }
    }
}

#ifndef _WIN32
// The ANSI code page while alive; Windows takes it from the system.
struct AnsiPage
{
    explicit AnsiPage(const char* page)
    {
        setenv("VELMAR_ACP", page, 1);
        w32::ReloadAnsiCodePage();
    }
    ~AnsiPage()
    {
        unsetenv("VELMAR_ACP");
        w32::ReloadAnsiCodePage();
    }
};

TEST(XmlParser, a_utf8_byte_order_mark_stands_for_utf8_unless_the_declaration_says_otherwise)
{
    AnsiPage gbk("936");
    const std::string bom = "\xEF\xBB\xBF",
                      utf8 = "<?xml  version='1.0'?>\r\n<a>\xE4\xB8\xAD</a>\r\n";
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, bom + utf8));
    EXPECT_STREQ(Top(doc, 1)->GetValue(), L"\u4E2D");
    EXPECT_EQ(Save(doc), bom + utf8);
    // A declaration changed to another encoding takes the mark away.
    ASSERT_TRUE(Top(doc, 0)->AddParam(L"encoding", L"GBK"));
    EXPECT_EQ(Save(doc).substr(0, 5), "<?xml");
    EXPECT_FALSE(Load(doc, bom + "<?xml version='1.0' encoding='GBK'?><a/>"));
    EXPECT_STREQ(doc.GetParser().GetErrorReason(),
                 "the declared encoding contradicts the UTF-8 byte order mark");
}

TEST(XmlParser, a_header_only_beginning_like_the_declaration_names_no_code_page)
{
    // "<?xmlev" is taken as the first header, but the writer does not treat
    // it as the declaration; reading its encoding would make GBK text come
    // back as different characters after one save. The ANSI page decodes
    // it (as UTF-8 its bytes would be refused).
    AnsiPage gbkPage("936");
    const std::string gbk = "<?xmlev encoding='GBK'?>\r\n<r n='\xd6\xd0'>\xd6\xd0</r>\r\n";
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, gbk));
    EXPECT_TRUE(IsFixedPoint<wchar_t>(Save(doc)));
}
#endif

struct Recorder : IXmlParseHook
{
    std::string seen;
    void OnParam(const char* n, const char* v) override { seen = seen + "P " + n + "=" + v + ";"; }
    void OnElement(const char* n, int end) override { seen = seen + (end ? "E " : "S ") + n + ";"; }
    void OnRemark(const char* t) override { seen = seen + "R " + t + ";"; }
};

TEST(XmlParser, hook_sees_parameters_elements_and_remarks_in_order)
{
    const std::string bytes = Doc("<a k='v'><b/><!--r--></a>");
    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CXmlNodeW root;
    CXmlParser parser(true, kXmlParseStrict);
    parser.SetRoot(&root);
    Recorder hook;
    ASSERT_TRUE(parser.Parse(&in, &hook));
    EXPECT_EQ(hook.seen, "P k=v;S a;E b;R r;E a;");
    root.Clear();
}

TEST(XmlParser, non_strict_input_without_a_declaration_starts_at_its_first_byte)
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
