// The writer's sharing of a large node's children between two threads: the
// bytes and the tree afterwards are exactly one thread's.
#include "XmlTestUtil.h"
#include "support/RecordingStream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace nkDS;
using namespace testsupport;

namespace
{

constexpr unsigned kUtf8 = 65001;

// A document of records in the shapes a loaded tree has: names and short
// values shared among nodes, escapes, non-ASCII text, CDATA, remarks, text
// beside children, and long runs of children inside the runs split.
std::string RandomDocument(std::mt19937& rng)
{
    auto pick = [&](std::initializer_list<const char*> from)
    { return std::string(from.begin()[rng() % from.size()]); };
    auto text = [&]
    {
        std::string t;
        for (int i = 0, n = static_cast<int>(rng() % 5); i < n; ++i)
            t += pick({"alpha ", "Zürich ", "数据 ", "&lt;a&gt; ", "&amp; ", "]]&gt; ", "x&#x4E2D;",
                       "😀 ", "&apos;q&quot; "});
        return t;
    };
    auto params = [&]
    {
        std::string p;
        for (int i = 0, n = static_cast<int>(rng() % 3); i < n; ++i)
            p += " " + pick({"a", "b", "kind"}) + std::to_string(i) + "='" +
                 pick({"1", "two", "&lt;", "&amp;x", "&quot;", "naïve"}) + "'";
        return p;
    };
    std::string out = "<?xml version='1.0' encoding='UTF-8'?>\n<!-- top -->\n<root>\n";
    const int wrappers = 1 + static_cast<int>(rng() % 3);
    for (int w = 0; w < wrappers; ++w)
    {
        out += "<list" + params() + ">\n";
        for (int r = 0, records = 20 + static_cast<int>(rng() % 80); r < records; ++r)
        {
            switch (rng() % 8)
            {
            case 0:
                out += "<!--" + pick({" note ", "数据", "a -&gt; b"}) + "-->\n";
                break;
            case 1:
                out += "<code><![CDATA[if (a < b && c > d) { x = \"ö\"; }]]></code>\n";
                break;
            case 2:
                out += "<empty" + params() + "/>\n";
                break;
            case 3:
                // Text beside children.
                out += "<mixed>" + text() + "<b>" + text() + "</b>" + text() + "<i/></mixed>\n";
                break;
            case 4:
            {
                // A long run of children inside a segment.
                out += "<many>";
                for (int k = 0, n = 10 + static_cast<int>(rng() % 30); k < n; ++k)
                    out += "<k" + params() + ">" + text() + "</k>";
                out += "</many>\n";
                break;
            }
            default:
                out += "<record" + params() + ">\n";
                for (int k = 0, n = static_cast<int>(rng() % 4); k < n; ++k)
                {
                    const std::string name = pick({"note", "entry", "price"});
                    out += " <" + name + params() + ">" + text() + "</" + name + ">\n";
                }
                out += "</record>\n";
            }
        }
        out += "</list>\n";
    }
    return out + "</root>\n";
}

// Every node's value, depth first.
template <class C> std::basic_string<C> Values(const CXmlNodeT<C>* node)
{
    std::basic_string<C> all = node->GetValue();
    all += C('|');
    for (uint32_t i = 0; i < node->GetChildCount(); ++i)
        all += Values(node->GetChild(i));
    return all;
}

template <class C>
std::string Write(CXmlFileT<C>& doc, const CXmlWriter::Split& split, bool xml10, uint32_t& splits,
                  Orvex::IStream* target = nullptr, bool* ok = nullptr)
{
    Orvex::CMemStream out;
    CXmlWriter writer;
    writer.SetSplit(split);
    writer.Begin(target != nullptr ? target : &out);
    if (xml10)
        writer.SetXml10("\n", xbfBytes);
    for (uint32_t i = 0; i < doc.GetChildCount(); ++i)
        writer.WriteNode(doc.GetChild(i), 0, kUtf8);
    const bool wrote = writer.End();
    if (ok != nullptr)
        *ok = wrote;
    else
        EXPECT_TRUE(wrote) << writer.GetErrorReason();
    splits = writer.GetSplitCount();
    return std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetLength());
}

CXmlWriter::Split OneThread()
{
    CXmlWriter::Split s;
    s.enabled = false;
    return s;
}

template <class C> class XmlWriterSplit : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlWriterSplit, Widths);

TYPED_TEST(XmlWriterSplit, WritesTheSameBytesAndLeavesTheSameTreeAsOneThread)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round)
    {
        const std::string xml = RandomDocument(rng);
        const bool xml10 = round % 2 == 1;
        const uint8_t flags = xml10 ? kXmlParseXml10 : kXmlParseStrict;
        CXmlFileT<TypeParam> one(1.0f, nullptr, flags), two(1.0f, nullptr, flags);
        ASSERT_TRUE(Load(one, xml)) << xml;
        ASSERT_TRUE(Load(two, xml));
        CXmlWriter::Split split;
        split.minChildren = 2;
        // Every fourth round cuts segments from a sample of a few children.
        const bool sampled = round % 4 == 3;
        split.weighAll = sampled ? 1 + static_cast<uint32_t>(rng() % 8) : 4096;
        split.segmentWeight = 1 + static_cast<uint32_t>(rng() % (sampled ? 8 : 40));
        // Every other round wants many segments, lighter than that weight.
        split.leastWeight = 1;
        split.segments = round % 8 < 4 ? 64 : 1;
        // A thread ahead waits for every block, or runs far ahead.
        split.aheadBytes = round % 3 == 0 ? 1 : round % 3 == 1 ? 200 : size_t(1) << 20;
        uint32_t splits = 0, none = 0;
        const std::string want = Write(one, OneThread(), xml10, none);
        EXPECT_EQ(Write(two, split, xml10, splits), want) << "round " << round;
        EXPECT_GT(splits, 0u) << "round " << round;
        EXPECT_EQ(none, 0u);
        // What the output dropped from the tree (blanks beside children) is
        // gone from both trees alike.
        EXPECT_EQ(Values<TypeParam>(&two), Values<TypeParam>(&one)) << "round " << round;
    }
}

// Segments of long values alternate with ones of next to nothing: a thread
// done with a short one takes the next while the other is still in a long
// one, so segments are finished out of order; their output must still come
// in its place.
TYPED_TEST(XmlWriterSplit, SegmentsFinishedOutOfOrderComeInTheirPlace)
{
    std::string xml = "<?xml version='1.0' encoding='UTF-8'?>\n<root>\n";
    for (int i = 0; i < 24; ++i)
        xml += i % 2 == 1 ? std::string("<small/>\n")
                          : "<big n='" + std::to_string(i) + "'>" +
                                std::string(300000, static_cast<char>('a' + i)) + "数据</big>\n";
    xml += "</root>\n";
    CXmlFileT<TypeParam> one, two;
    ASSERT_TRUE(Load(one, xml));
    ASSERT_TRUE(Load(two, xml));
    uint32_t splits = 0, none = 0;
    const std::string want = Write(one, OneThread(), false, none);
    CXmlWriter::Split split;
    split.segmentWeight = 1; // a segment for each child
    // Waiting for every block, or free to run ahead (a block counts whole).
    for (const size_t ahead : {size_t(1), size_t(64) << 20})
    {
        split.aheadBytes = ahead;
        EXPECT_EQ(Write(two, split, false, splits), want) << "ahead " << ahead;
        EXPECT_EQ(splits, 1u);
    }
    // A refused write partway ends the output, with no thread left waiting.
    CRecordingStream target;
    target.refuseWrite = 2;
    bool ok = true;
    Write(two, split, false, splits, &target, &ok);
    EXPECT_FALSE(ok);
}

// An output of many blocks, so that blocks are handed over and come back to
// be filled again, and one whose target fails partway.
TYPED_TEST(XmlWriterSplit, LongOutputArrivesWholeAndAFailedWriteEndsIt)
{
    std::string xml = "<?xml version='1.0' encoding='UTF-8'?>\n<root>\n";
    for (int i = 0; i < 40000; ++i)
        xml += "<record id='" + std::to_string(i) + "'><a>Zürich " + std::to_string(i * 7) +
               "</a><b x='数据'>&lt;" + std::string(i % 50, 'v') + "</b></record>\n";
    xml += "</root>\n";
    CXmlFileT<TypeParam> one, two;
    ASSERT_TRUE(Load(one, xml));
    ASSERT_TRUE(Load(two, xml));
    CXmlWriter::Split split;
    split.segmentWeight = 3000;
    split.aheadBytes = 1;
    uint32_t splits = 0, none = 0;
    const std::string want = Write(one, OneThread(), false, none);
    ASSERT_GT(want.size(), size_t(3) << 20);
    EXPECT_EQ(Write(two, split, false, splits), want);
    EXPECT_EQ(splits, 1u);

    for (const uint32_t refuse : {1u, 2u, 3u})
    {
        CRecordingStream target;
        target.refuseWrite = refuse;
        bool ok = true;
        Write(two, split, false, splits, &target, &ok);
        EXPECT_FALSE(ok) << "write " << refuse << " refused";
        EXPECT_EQ(splits, 1u);
    }
}

} // namespace
