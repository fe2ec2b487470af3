// Reading a large input in two parts: wherever the second part begins, the
// tree, the failure and its offset, the line end and where the stream is
// left are exactly those of one reader.
#include "XmlTestUtil.h"
#include "support/RecordingStream.h"
#include "support/TempDir.h"

#include "velmar/io/FileStream.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace nkDS;
using namespace testsupport;

namespace
{

constexpr uint64_t kNever = UINT64_MAX;

std::string Describe(const ParseOutcome& o)
{
    return (o.ok ? "ok" : "failed: " + o.error + " at " + std::to_string(o.offset)) +
           ", line end " + std::to_string(o.lineEnd.size()) + ", stream at " +
           std::to_string(o.position) + "\n" + o.tree;
}

// Parses `doc` with the second part searched for from each offset in
// `froms` (every offset when empty) and compares with one reader; returns
// how many of those parses joined a second part.
template <class C>
int Compare(const std::string& doc, uint8_t flags, uint32_t readLimit = 0xFFFFFFFFu,
            std::vector<uint64_t> froms = {})
{
    CRecordingStream in(std::vector<uint8_t>(doc.begin(), doc.end()));
    in.views = true;
    in.readLimit = readLimit;
    const ParseOutcome one = ReadOutcome<C>(in, flags, kNever, 0);
    if (froms.empty())
        for (uint64_t from = 1; from < doc.size(); ++from)
            froms.push_back(from);
    int joined = 0;
    for (const uint64_t from : froms)
    {
        const ParseOutcome two = ReadOutcome<C>(in, flags, 1, from);
        if (!(two == one))
        {
            ADD_FAILURE() << "second part searched from " << from << " of\n"
                          << doc << "\none reader: " << Describe(one)
                          << "\ntwo readers: " << Describe(two);
            return joined;
        }
        joined += two.split ? 1 : 0;
    }
    return joined;
}

// How many of a document's reads must join a second part: without the
// declaration's name to look for, the editor's dialect reads the system's
// code page, which two readers take only when it is UTF-8 (not on Windows).
int AtLeast(int n, uint8_t flags)
{
    return flags != 0 || GetACP() == CP_UTF8 ? n : -1;
}

template <class C> class XmlParseSplit : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlParseSplit, Widths);

const char* kEditorDoc = "<?xml version='1.0' encoding='UTF-8'?>\r\n"
                         "<!-- before -->\r\n"
                         "<root kind='a' n=\"1\">\r\n"
                         "  <item id='1'>Zürich &amp; more</item>\r\n"
                         "  <!-- a remark > <fake a='1'> -->\r\n"
                         "  <item id='2'/>\r\n"
                         "  <code><![CDATA[ x > <y> ]]></code>\r\n"
                         "  <?pi a='b'?>\r\n"
                         "  <deep><d1>\n<d2 v='x'>\n<d3>text</d3>\n</d2>\n</d1>\n</deep>\r\n"
                         "  <item id='3'>数据</item>\r\n"
                         "tail text\r\n"
                         "</root>\r\n"
                         "<!-- after -->\r\n";

TYPED_TEST(XmlParseSplit, EveryStartOfTheSecondPartGivesOneReadersTree)
{
    for (const uint8_t flags : {uint8_t{0}, kXmlParseStrict})
        EXPECT_GT(Compare<TypeParam>(kEditorDoc, flags), AtLeast(100, flags)) << int(flags);
    // The text in the root leaves what follows it to one reader.
    EXPECT_GT(Compare<TypeParam>(kEditorDoc, kXmlParseXml10), 40);
    // Several elements at the top, and one with a CDATA value before its
    // children, whose value the first child empties.
    EXPECT_GT(Compare<TypeParam>("<a>\n<b/>\n</a>\n<c>\n<d/>\n</c>\n<e/>\n", 0), AtLeast(5, 0));
    EXPECT_GT(Compare<TypeParam>("<r><![CDATA[v]]>\n<a/>\n<b/>\n<![CDATA[w]]>\n<c/>\n</r>", 0),
              AtLeast(5, 0));
    // Reads in small pieces: the first reader's window ends anywhere, a CR
    // of the first line end among them.
    for (const uint32_t piece : {1u, 3u, 7u, 64u})
    {
        EXPECT_GT(Compare<TypeParam>(kEditorDoc, 0, piece), AtLeast(100, 0));
        EXPECT_GT(Compare<TypeParam>("<r>\n<a/>\n<b>x</b>\n</r>", 0, piece), AtLeast(3, 0));
        EXPECT_GT(Compare<TypeParam>("<r><a/>\n<b/>\r\n<c/>\r</r>", 0, piece), AtLeast(1, 0));
        EXPECT_GT(Compare<TypeParam>("<r><a/>  <b/>\r<c/>\r\n</r>", 0, piece), AtLeast(1, 0));
        EXPECT_GT(Compare<TypeParam>("<r><a/> <b/> <c/></r>\r", 0, piece), AtLeast(1, 0));
    }
}

TYPED_TEST(XmlParseSplit, MixedContentReadsAsOneReaderReadsIt)
{
    const uint8_t x10 = kXmlParseXml10;
    EXPECT_GT(Compare<TypeParam>("<?xml version='1.0'?>\n<!DOCTYPE r>\n"
                                 "<r>\n <p>Hello <b>w</b>\n<i>x</i> tail</p>\n"
                                 " <q>\n<a/>\n<b/>\n</q>\n <s>one<a/>\n<b/> two</s>\n</r>\n",
                                 x10),
              10);
    // Text among the children of an element the first part opened, before
    // or after the second part begins, and CDATA among them.
    Compare<TypeParam>("<r>\n<a/>\n<b/>\ntext\n<c/>\n</r>", x10);
    Compare<TypeParam>("<r>text\n<a/>\n<b/>\n<c/>\n</r>", x10);
    Compare<TypeParam>("<r>\n<a/>\n<b/>\n<![CDATA[c]]>\n<c/>\n</r>", x10);
    Compare<TypeParam>("<r>\n<a/>\n<b/>\n<c/>\ntext</r>", 0);
    // More white space between children than is kept before any text.
    std::string many = "<r>";
    for (int i = 0; i < 80; ++i)
        many += "\n <a/>";
    EXPECT_GT(Compare<TypeParam>(many + "\n</r>", x10), 300);
    Compare<TypeParam>(many + "\n text</r>", x10);
}

TYPED_TEST(XmlParseSplit, FailuresAreOneReadersWhereverTheyStand)
{
    const std::vector<std::string> docs = {
        "<r>\n<a/>\n<b/>\n</c>\n</r>", // another element's end tag
        "<r>\n<a/>\n<b/>\n</x>\n",     // another name for the root's
        "<r>\n<s>\n<a/>\n<b/>\n</t>\n</r>",
        "<r>\n<a>\n<b/>\n</r>",                 // one left open
        "<r>\n<a/>\n<b/>\n",                    // the root left open
        "<r>\n<a/>\n<b/>\n</r>\ntext",          // text after the root
        "<r>\n<a/>\n<b/>\n</r>\n</x>",          // an end tag after it
        "<r>\n<a/>\n<b/>\n</r>\n<",             // a lone "<" at the end
        "<r>\n<a/>\n<b/>\n</r>\n<![CDATA[x]]>", // CDATA after it
        "<r>\n<a/>\n<!x>\n<b/>\n</r>\n<!y>",    // other "<!" inside and after it
        "<r>\n<a/>\n<b/>\n</r>\n<!x><e/>\n",
        "<r>\n<a/> > <b/>\n</r>",      // ">" in text
        "<r>\n<a/>\n<b/>\n</r>\t",     // a tab after the root
        "<r>\n<a/>\n<b/>\n<1/>\n</r>", // a name beginning with a digit
        "<r>\n<a/>\n<b x='<'/>\n</r>", // "<" in a value
        "<r>\n<a/>\n<b/>\n</r >",      // a blank in the end tag
        "<r>\n<a/>\n<b/>\n</r x>",
        "<r>\n<a/>\n<b/>\n<!DOCTYPE r>\n</r>",
        "<r>\n<a/>\n<b/>\n</r>\n<!DOCTYPE r>",
        "<r>\n<a/>\n<b>\xC3(</b>\n</r>",               // bytes that are not UTF-8
        std::string("<r>\n<a/>\n<b>\0</b>\n</r>", 20), // a NUL byte
    };
    for (const std::string& doc : docs)
        for (const uint8_t flags : {uint8_t{0}, kXmlParseXml10})
            for (const uint32_t piece : {3u, 0xFFFFFFFFu})
                Compare<TypeParam>(doc, flags, piece);
}

TYPED_TEST(XmlParseSplit, NestingAtTheLimitFailsAsOneReader)
{
    for (const uint32_t depth : {kXmlMaxDepth, kXmlMaxDepth + 1})
    {
        std::string doc;
        for (uint32_t i = 0; i < depth; ++i)
            doc += i + 1 == depth / 2 ? "<a>\n<z/>\n" : "<a>";
        for (uint32_t i = 0; i < depth; ++i)
            doc += "</a>";
        const uint64_t middle = doc.find("<z/>") - 4;
        Compare<TypeParam>(doc, 0, 0xFFFFFFFFu, {middle, middle + 4, middle + 10});
    }
}

// Random documents of every kind of content, some of them broken, each
// split at random places.
std::string RandomDocument(std::mt19937& rng, bool x10)
{
    auto pick = [&](std::initializer_list<const char*> from)
    { return std::string(from.begin()[rng() % from.size()]); };
    std::string out = rng() % 4 != 0 ? "<?xml version='1.0' encoding='UTF-8'?>" : "";
    out += pick({"\n", "\r\n", "\r", ""});
    if (x10 && rng() % 4 == 0)
        out += "<!DOCTYPE root>\n";
    out += pick({"", "<!-- top -->\n", "<?pi a='b'?>\n"});
    std::vector<std::string> open{"root"};
    out += "<root>";
    for (int step = 0, steps = 20 + static_cast<int>(rng() % 200); step < steps; ++step)
    {
        switch (rng() % 12)
        {
        case 0:
        case 1:
        case 2:
            open.push_back(x10 ? pick({"a", "b", "item", "ns:x"}) : pick({"a", "b", "item"}));
            out += "<" + open.back() + pick({"", " k='v'", " id=\"1\" n='数据'"}) + ">";
            break;
        case 3:
        case 4:
            if (open.size() > 1)
            {
                out += "</" + (rng() % 512 != 0 ? open.back() : "a") + ">";
                open.pop_back();
            }
            break;
        case 5:
            out += "<" + pick({"e", "f"}) + pick({"", " k='v'"}) + "/>";
            break;
        case 6:
            out += pick({"\n", " ", "\r\n", "\n  ", "\t", "\r"});
            break;
        case 7:
            out += rng() % 128 != 0 ? pick({"text", "Zürich", "&amp;"}) : pick({"a > b", "x]]>y"});
            break;
        case 8:
            out += x10 && rng() % 2 == 0 ? "<?pi some text?>"
                                         : pick({"<!-- c -->", "<!-- <a> -->", "<?pi a='b'?>"});
            break;
        case 9:
            if (rng() % 4 == 0)
                out += pick({"<![CDATA[ <a> ]]>", "<![CDATA[]]>"});
            break;
        case 10:
            if (rng() % 32 == 0)
                out += pick({"<!DOCTYPE a>", "</root>text"});
            break;
        default:
            out += pick({"\n<g/>", "\n<h>t</h>", "\n<g>\n</g>"});
            break;
        }
    }
    for (; !open.empty() && rng() % 64 != 0; open.pop_back())
        out += "</" + open.back() + ">";
    out += pick({"", "\n", "\n<!-- end -->\n"});
    // Now and then a byte goes astray.
    if (rng() % 6 == 0 && !out.empty())
        out[rng() % out.size()] = pick({"<", ">", "\xFF", "/", "x"})[0];
    return out;
}

TYPED_TEST(XmlParseSplit, RandomDocumentsSplitAnywhereReadAsOne)
{
    std::mt19937 rng(20261208);
    int joined[2] = {};
    for (int round = 0; round < 400; ++round)
    {
        const bool x10 = round % 2 == 1;
        const std::string doc = RandomDocument(rng, x10);
        std::vector<uint64_t> froms;
        for (int i = 0; i < 12; ++i)
            froms.push_back(1 + rng() % doc.size());
        const uint32_t piece = round % 3 == 0 ? 1 + rng() % 16 : 0xFFFFFFFFu;
        joined[x10] += Compare<TypeParam>(doc, x10 ? kXmlParseXml10 : 0, piece, froms);
        if (this->HasFailure())
            return;
    }
    // The random documents must exercise the join, not only the fallback.
    EXPECT_GT(joined[0], AtLeast(150, 0));
    EXPECT_GT(joined[1], 150);
}

// A file large enough to be read in two parts by default, through views of
// the file itself.
TEST(XmlParseSplitFile, ALargeFileLoadsInTwoPartsAsInOne)
{
    TempDir dir;
    const std::string path = dir.path() + "/large.xml";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<?xml version='1.0' encoding='UTF-8'?>\n<root>\n";
        for (int i = 0; out.tellp() < (3 << 20); ++i)
            out << "  <record id='" << i << "' kind='k" << i % 7 << "'>value " << i
                << " Zürich</record>\n";
        out << "</root>\n";
    }
    for (const uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
    {
        CXmlFileT<char> two(1.0f, nullptr, flags);
        ASSERT_TRUE(two.LoadFromFile(path.c_str()));
        EXPECT_TRUE(two.GetParser().WasSplit());
        Orvex::CFileStream in(path.c_str(), Orvex::kModeRead, false);
        ASSERT_TRUE(in.IsOpen());
        const ParseOutcome one = ReadOutcome<char>(in, flags, kNever, 0);
        EXPECT_FALSE(one.split);
        EXPECT_TRUE(one.ok);
        EXPECT_EQ(one.tree, DumpTree<char>(&two));
        EXPECT_STREQ(two.GetParser().GetLineEnd(), "\n");
    }
}

} // namespace
