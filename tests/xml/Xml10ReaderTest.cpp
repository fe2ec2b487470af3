// The XML 1.0 reading mode: the constructs it adds, the input it still
// refuses, its encodings, and that it reads the editor's own dialect as the
// strict reader does.
#include "XmlTestUtil.h"
#include "velmar/win32/Unicode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace nkDS;
using namespace testsupport;

namespace
{

// A node and its subtree in one line: kind letter, name, parameters,
// value, children. Wide text is shown as UTF-8.
template <class C> std::string Narrow(const C* s)
{
    if constexpr (sizeof(C) == 1)
        return s;
    else
    {
        std::string out;
        for (; *s != 0; ++s)
        {
            char bytes[4];
            out.append(bytes, unicode::EncodeUtf8(static_cast<char32_t>(*s), bytes));
        }
        return out;
    }
}

template <class C> std::string Dump(const CXmlNodeT<C>* n)
{
    static const char* kKinds = "??H?R???E???????D???????????????T";
    std::string out(1, n->IsCData() ? 'C' : kKinds[n->GetKind() & 63]);
    out += Narrow(n->GetName());
    for (uint32_t i = 0; i < n->GetParamCount(); ++i)
        out += " " + Narrow(n->GetParamName(i)) + "=" + Narrow(n->GetParamValue(i));
    if (n->GetValue()[0] != C(0))
        out += "\"" + Narrow(n->GetValue()) + "\"";
    if (!n->IsXml10() && n->GetParent() != nullptr)
        out += "(strict)";
    if (n->GetChildCount() != 0)
    {
        out += "[";
        for (uint32_t i = 0; i < n->GetChildCount(); ++i)
            out += (i ? "," : "") + Dump(n->GetChild(i));
        out += "]";
    }
    return out;
}

template <class C> std::string Tree(CXmlFileT<C>& doc)
{
    std::string out;
    for (uint32_t i = 0; i < doc.GetChildCount(); ++i)
        out += (i ? "," : "") + Dump(doc.GetChild(i));
    return out;
}

// The tree `bytes` loads to in XML 1.0 mode, or the refusal's offset and reason.
template <class C> std::string Read10(const std::string& bytes)
{
    CXmlFileT<C> doc(1.0f, nullptr, kXmlParseXml10);
    if (Load(doc, bytes))
        return Tree(doc);
    const char* why = doc.GetParser().GetErrorReason();
    return "@" + std::to_string(doc.GetParser().GetErrorOffset()) + " " + (why ? why : "?");
}

TEST(Xml10Reader, reads_each_construct_in_both_widths)
{
    struct Case
    {
        std::string in;
        std::string tree;
    };
    const Case cases[] = {
        {"<svg:g xmlns:svg='u' xml:lang=\"en\"/>", "Esvg:g xmlns:svg=u xml:lang=en"},
        {"<a\n\tb = 'x\"y'\r\n  c=\"it's\"\n>t</a >", "Ea b=x\"y c=it's\"t\""},
        {"<a/ >", "@3 expected '>' after '/'"},
        {"<?xml version='1.0' standalone='yes'?><a>1 > 0</a>",
         "Hxml version=1.0 standalone=yes,Ea\"1 > 0\""},
        {"<p>Hello <b>you</b> there<!--r--></p>", "Ep[T\"Hello \",Eb\"you\",T\" there\",R\"r\"]"},
        {"<p><b>x</b> <i>y</i>.</p>", "Ep[Eb\"x\",T\" \",Ei\"y\",T\".\"]"},
        {"<p>\n <b/>\n</p>", "Ep\"\n\"[Eb]"},
        {"<p>a<![CDATA[<b>]]>c</p>", "Ep[T\"a\",C\"<b>\",T\"c\"]"},
        {"<p> <![CDATA[x]]> </p>", "Cp\"x\""},
        {"<p>x<?q?></p>", "Ep[T\"x\",Hq]"},
        {"<p>&laquo;x&#38;</p>", "Ep\"&laquo;x&#38;\""},
        {"<?pi free text > here?><?e?><a/>", "Hpi\"free text > here\",He,Ea"},
        {"<!DOCTYPE html>\n<html/>", "Dhtml\"<!DOCTYPE html>\",Ehtml"},
        {"<!--c--><!DOCTYPE a SYSTEM \"a>.dtd\" [\n<!ENTITY e '>]'>\n<!-- ]> -->"
         "<?p ]>?>\n%p;]>\n<a>&e;</a>",
         "R\"c\",Da\"<!DOCTYPE a SYSTEM \"a>.dtd\" [\n<!ENTITY e '>]'>\n<!-- ]> -->"
         "<?p ]>?>\n%p;]>\",Ea\"&e;\""},
        {"<\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD='1'/>", "E\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD=1"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Read10<char>(c.in), c.tree) << c.in;
        EXPECT_EQ(Read10<wchar_t>(c.in), c.tree) << c.in;
    }
}

// Whether an element's content is mixed is known at the end tag or sooner:
// text and children must come out in document order however late it is
// known, and the white space kept before the first real text is bounded.
TEST(Xml10Reader, mixed_content_keeps_document_order_whenever_it_is_known)
{
    struct Case
    {
        std::string in;
        std::string tree;
    };
    std::string spaced = "<p>", spacedTree = "Ep[";
    for (int i = 0; i < 70; ++i)
    {
        spaced += "\n<b/>";
        spacedTree += i < 64 ? "T\"\n\",Eb," : "Eb,";
    }
    spaced += "z</p>";
    spacedTree += "T\"z\"]";
    std::string many = "<p>", manyTree = "Ep[";
    for (int i = 0; i < 100; ++i)
    {
        many += "x<a/>";
        manyTree += "T\"x\",Ea,";
    }
    many += "<!--r--> <![CDATA[c]]>y</p>";
    manyTree += "R\"r\",T\" \",C\"c\",T\"y\"]";
    const Case cases[] = {
        {"<p>x<b/></p>", "Ep[T\"x\",Eb]"},
        {"<p><b/>\n<b/>z</p>", "Ep[Eb,T\"\n\",Eb,T\"z\"]"},
        {"<p>x<q>y<r/>z</q>w</p>", "Ep[T\"x\",Eq[T\"y\",Er,T\"z\"],T\"w\"]"},
        {"<p>a<b/> <![CDATA[c]]><!--r--> <?q?>z</p>",
         "Ep[T\"a\",Eb,T\" \",C\"c\",R\"r\",T\" \",Hq,T\"z\"]"},
        {"<p><![CDATA[c]]><b/></p>", "Ep[C\"c\",Eb]"},
        {"<p> <b/> </p><p>t</p>", "Ep\" \"[Eb],Ep\"t\""},
        {spaced, spacedTree},
        {many, manyTree},
        {"<p>x<b/>y<c>z", "@13 input ends before </c>"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Read10<char>(c.in), c.tree) << c.in;
        EXPECT_EQ(Read10<wchar_t>(c.in), c.tree) << c.in;
    }
}

TEST(Xml10Reader, refuses_what_is_not_well_formed_with_its_offset)
{
    struct Case
    {
        std::string in;
        std::string refusal;
    };
    const Case cases[] = {
        {"<a><b></a>", "@6 expected </b>"},
        {"<a>x", "@4 input ends before </a>"},
        {"<a b='<'/>", "@6 '<' in a parameter value"},
        {"<a>x]]>y</a>", "@4 ']]>' in text"},
        {"<a b='1' b='2'/>", "@9 parameter given twice"},
        {"<a 1b='2'/>", "@3 invalid parameter name"},
        {"<a b=c/>", "@5 expected a quoted parameter value"},
        {"<a>\xC3\xA9</a><\xC3\x97/>", "@10 invalid element name"},
        {"<!DOCTYPE a [<!ENTITY e 'x'>", "@28 input ends inside the document type"},
        {"<!ELEMENT a>", "@0 expected '<!--' or '<!DOCTYPE'"},
        {"<a><!x></a>", "@4 expected '--' or '[CDATA[' after '<!'"},
        {"<?xml version='1.0' encoding='x-klingon'?><a/>", "@0 unsupported encoding x-klingon"},
        {"<?xml version='1.0' encoding='UTF-16'?><a/>", "@0 unsupported encoding UTF-16"},
        {"<?xml version='1.0' encoding='ISO-2022-JP'?><a/>", "@0 unsupported encoding ISO-2022-JP"},
        {"<?xml version='1.0' encoding='-utf-8'?><a/>", "@0 unsupported encoding -utf-8"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Read10<char>(c.in), c.refusal) << c.in;
        EXPECT_EQ(Read10<wchar_t>(c.in), c.refusal) << c.in;
    }
    // A byte beyond ASCII in the name is refused, not looked up loosely
    // under a name the document could not be written back with.
    const std::string gbk = "<?xml version='1.0' encoding='GB\x98K'?><a/>";
    for (const std::string& refusal : {Read10<char>(gbk), Read10<wchar_t>(gbk)})
        EXPECT_EQ(refusal.rfind("@0 unsupported encoding GB", 0), 0u) << refusal;
    std::string deep;
    for (uint32_t i = 0; i <= kXmlMaxDepth; ++i)
        deep += "<a>";
    EXPECT_EQ(Read10<char>(deep), "@3000 elements nested too deeply");
}

// UTF-16 in either byte order, with a byte order mark or without.
std::string Utf16(const std::string& ascii, bool le, bool bom)
{
    std::string out = bom ? (le ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (char c : ascii)
        out += le ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
}

TEST(Xml10Reader, decodes_utf16_and_the_encodings_the_system_converts)
{
    for (const bool le : {true, false})
        for (const bool bom : {true, false})
        {
            const std::string in =
                Utf16("<?xml version='1.0' encoding='UTF-16'?>\n<a>x</a>", le, bom);
            CXmlFileW doc(1.0f, nullptr, kXmlParseXml10);
            ASSERT_TRUE(Load(doc, in));
            EXPECT_EQ(Tree(doc), "Hxml version=1.0 encoding=UTF-16,Ea\"x\"");
            EXPECT_EQ(doc.GetByteForm(), le ? xbfUtf16LE : xbfUtf16BE);
            EXPECT_EQ(doc.HasByteOrderMark(), bom);
            EXPECT_STREQ(doc.GetLineEnd(), "\n");
            // Offsets count the input's bytes: 2 per character here.
            EXPECT_EQ(Read10<char>(Utf16("<?xml version='1.0'?><a>x</b>", le, bom)),
                      "@" + std::to_string(bom ? 52 : 50) + " expected </a>");
        }
    EXPECT_EQ(Read10<char>(Utf16("<a>", true, true) + std::string("\x00\xD8<\0", 4)),
              "@8 bytes not valid UTF-16LE");
    EXPECT_EQ(Read10<char>(std::string("<\0\0\0a\0\0\0", 8)), "@0 UTF-32LE input is not supported");
    CXmlFileW strict;
    EXPECT_FALSE(Load(strict, Utf16("<?xml version='1.0'?><a/>", false, true)));
    EXPECT_STREQ(strict.GetParser().GetErrorReason(), "UTF-16BE input; it opens in XML 1.0 mode");
    EXPECT_EQ(Read10<wchar_t>("<?xml version='1.0' encoding='GBK'?><a>\xD6\xD0\xD6</a>"),
              "@41 bytes not valid GBK");

    struct Case
    {
        const char* encoding;
        std::string bytes;
        const char* utf8;
    };
    const Case cases[] = {
        {"IBM855", "\xDD", "\xD0\x9F"},            // Cyrillic capital Pe
        {"KOI8-R", "\xF0", "\xD0\x9F"},            // the same letter
        {"ISO-8859-5", "\xBF", "\xD0\x9F"},        // and again
        {"windows-1255", "\xF9", "\xD7\xA9"},      // Hebrew shin
        {"Shift_JIS", "\x93\xFA", "\xE6\x97\xA5"}, // sun
        {"EUC-JP", "\xC6\xFC", "\xE6\x97\xA5"},    // sun
        {"Big5", "\xA4\xE9", "\xE6\x97\xA5"},      // sun
#ifndef _WIN32
        {"PT154", "\xC1", "\xD0\x91"}, // a name only iconv knows: Cyrillic Be
#endif
    };
    for (const Case& c : cases)
    {
        const std::string decl = std::string("<?xml version='1.0' encoding='") + c.encoding + "'?>";
        EXPECT_EQ(Read10<wchar_t>(decl + "<a>" + c.bytes + "</a>"),
                  std::string("Hxml version=1.0 encoding=") + c.encoding + ",Ea\"" + c.utf8 + "\"");
        EXPECT_EQ(Read10<char>(decl + "<a>" + c.bytes + "</a>"),
                  std::string("Hxml version=1.0 encoding=") + c.encoding + ",Ea\"" + c.bytes +
                      "\"");
    }
}

TEST(Xml10Reader, line_end_is_the_first_one_of_the_input)
{
    const std::pair<std::string, const char*> cases[] = {
        {"<a/>", "\r\n"}, {"<a>\n</a>\r\n", "\n"}, {"<a>\r</a>\n", "\r"}, {"<a/>\r\n\n", "\r\n"}};
    for (const auto& [in, end] : cases)
    {
        CXmlFileA doc(1.0f, nullptr, kXmlParseXml10);
        ASSERT_TRUE(Load(doc, in));
        EXPECT_STREQ(doc.GetLineEnd(), end) << in;
    }
}

// Every input the editor's dialect accepts reads to the same tree.
template <class C> void ExpectSameTree(const std::string& bytes, const std::string& what)
{
    CXmlFileT<C> strict;
    CXmlFileT<C> xml10(1.0f, nullptr, kXmlParseXml10);
    if (!Load(strict, bytes))
        return;
    ASSERT_TRUE(Load(xml10, bytes)) << what << ": " << xml10.GetParser().GetErrorReason();
    std::string a = Tree(strict), b = Tree(xml10);
    for (std::string* s : {&a, &b})
        for (size_t at; (at = s->find("(strict)")) != std::string::npos;)
            s->erase(at, 8);
    EXPECT_EQ(a, b) << what;
}

TEST(Xml10Reader, reads_the_editors_dialect_as_the_strict_reader_does)
{
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(VELMAR_SAMPLES_DIR))
    {
        std::ifstream f(entry.path(), std::ios::binary);
        inputs.emplace_back(entry.path().filename().string(),
                            std::string(std::istreambuf_iterator<char>(f), {}));
    }
    for (const char* body : {"<a b=\"1\"  c='2'>x</a>", "<a>\r\n  <b/>\r\n  <!--r-->\r\n</a>",
                             "<a><![CDATA[x]]></a>", "<?pi k='v'?><a><?q a='1'?>&amp;</a>",
                             "<a><!--x-->t</a>", "<a><b>1</b>\r\n<b>2</b>\r\n</a>"})
        inputs.emplace_back(body, Doc(body));
    for (const auto& [what, bytes] : inputs)
    {
        ExpectSameTree<char>(bytes, what);
        ExpectSameTree<wchar_t>(bytes, what);
    }
}

} // namespace
