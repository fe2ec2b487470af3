// The reader works through a read-ahead window that it refills as it goes;
// where a read ends must not matter: a document read a few bytes at a time
// loads, fails and saves exactly as one read at once.
#include "XmlTestUtil.h"
#include "support/RecordingStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace nkDS;
using namespace testsupport;

namespace
{

struct Outcome
{
    bool loaded = false;
    std::string saved;
    uint64_t errorOffset = 0;
    std::string reason;
    bool operator==(const Outcome&) const = default;
};

template <class C> Outcome LoadInPieces(const std::string& bytes, uint32_t piece, uint8_t flags)
{
    CXmlFileT<C> doc(1.0f, nullptr, flags);
    CRecordingStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    in.readLimit = piece;
    Outcome o;
    o.loaded = doc.Read(&in);
    if (o.loaded)
        o.saved = Save(doc);
    o.errorOffset = doc.GetParser().GetErrorOffset();
    const char* reason = doc.GetParser().GetErrorReason();
    o.reason = reason != nullptr ? reason : "";
    return o;
}

std::string Repeat(const std::string& s, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += s;
    return out;
}

template <class C> void ExpectSameInAnyPieces(const std::string& doc, uint8_t flags, bool loads)
{
    const Outcome whole = LoadInPieces<C>(doc, 0xFFFFFFFFu, flags);
    EXPECT_EQ(loads, whole.loaded) << doc << ": " << whole.reason;
    for (uint32_t piece : {1u, 2u, 3u, 7u, 64u, 4093u, 65536u})
    {
        const Outcome part = LoadInPieces<C>(doc, piece, flags);
        EXPECT_EQ(whole.loaded, part.loaded) << "pieces of " << piece;
        EXPECT_EQ(whole.saved, part.saved) << "pieces of " << piece;
        EXPECT_EQ(whole.errorOffset, part.errorOffset) << "pieces of " << piece;
        EXPECT_EQ(whole.reason, part.reason) << "pieces of " << piece;
    }
}

template <class C> class XmlPieceRead : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlPieceRead, Widths);

} // namespace

TYPED_TEST(XmlPieceRead, documents_and_refusals_do_not_depend_on_where_reads_end)
{
    const std::string text = "caf\xC3\xA9 \xE6\x95\xB0\xE6\x8D\xAE value";
    struct Case
    {
        std::string doc;
        uint8_t flags;
        bool loads;
    };
    const Case cases[] = {
        {Doc("<a>" + text + "</a>"), kXmlParseStrict, true},
        {Doc("<a>\r\n <b k='v'>" + text + "</b>\r\n <c/>\r\n <d>short</d>\r\n</a>"),
         kXmlParseStrict, true},
        {Doc("<a><b>x</b><!-- note --><b><![CDATA[<raw>]]></b></a>"), kXmlParseStrict, true},
        {Doc("<a><b>x</bb></a>"), kXmlParseStrict, false},    // a wrong end tag
        {Doc("<a><b>1 > 2</b></a>"), kXmlParseStrict, false}, // '>' in text
        {Doc("<a><b>x"), kXmlParseStrict, false},             // input ends in text
        {"<a>1 > 2 <b>mixed</b> tail ]] > </a>", kXmlParseXml10, true},
        {"<a>before<!--r-->after<?pi x?>end</a>", kXmlParseXml10, true},
        {"<a>  <b>x</b>  <![CDATA[c]]>  </a>", kXmlParseXml10, true},
        {"<a>\n  <b/>\n</a>\n", kXmlParseXml10, true},
        {"<a>x ]]> y</a>", kXmlParseXml10, false}, // refused where "]]>" starts
        {"<a>x ]]</a>", kXmlParseXml10, true},
    };
    for (const Case& c : cases)
        ExpectSameInAnyPieces<TypeParam>(c.doc, c.flags, c.loads);
}

// Runs longer than the window (which reads 256 KB at a time), runs that end
// near a read's end, and names that need refills of their own.
TYPED_TEST(XmlPieceRead, long_runs_and_long_names_across_reads)
{
    const std::string name = "n" + std::string(70000, 'x');
    std::string body = "<a>";
    for (size_t len : {size_t(300000), size_t(200000), size_t(262144 - 40), size_t(5)})
        body += "<" + name + ">" + Repeat("t\xC3\xA9", len / 3) + "</" + name + ">";
    body += "<b>" + Repeat("]", 262144) + "</b></a>";
    const std::string doc = Doc(body);
    const Outcome whole = LoadInPieces<TypeParam>(doc, 0xFFFFFFFFu, kXmlParseStrict);
    ASSERT_TRUE(whole.loaded) << whole.reason;
    EXPECT_TRUE(IsFixedPoint<TypeParam>(whole.saved));
    for (uint32_t piece : {4093u, 65536u, 200000u})
        EXPECT_TRUE(LoadInPieces<TypeParam>(doc, piece, kXmlParseStrict) == whole) << piece;

    // XML 1.0 mode: "]]>" after a long run of "]" is found wherever it is.
    const std::string refused = "<a>" + Repeat("]", 300000) + "></a>";
    const Outcome bad = LoadInPieces<TypeParam>(refused, 0xFFFFFFFFu, kXmlParseXml10);
    EXPECT_FALSE(bad.loaded);
    EXPECT_EQ(3u + 300000u - 2u, bad.errorOffset);
    EXPECT_TRUE(LoadInPieces<TypeParam>(refused, 4093u, kXmlParseXml10) == bad);
}

// Whatever byte ends a name, the document loads or fails the same whether
// it arrives with the name or in a read of its own. A lead byte alone at
// the end of a read was handed to the parse before the check could judge
// it: a parse that failed there must still name the bad byte.
TYPED_TEST(XmlPieceRead, a_name_ends_at_the_same_byte_however_the_input_is_read)
{
    const std::string tail = " k='1'/><pad>sixteen bytes or more</pad></r>";
    for (uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
        for (size_t length : {size_t(1), size_t(7), size_t(15), size_t(16), size_t(17)})
            for (int b = 1; b < 258; ++b)
            {
                // Every byte, and characters of two and three bytes (a lone
                // byte from 0x80 up is no UTF-8 and ends the input first).
                const std::string next = b < 256    ? std::string(1, static_cast<char>(b))
                                         : b == 256 ? std::string("\xC3\xA9")
                                                    : std::string("\xE4\xB8\xAD");
                const std::string name = "n" + std::string(length - 1, 'z');
                const std::string body = "<r><" + name + next + tail;
                const std::string doc = flags == kXmlParseStrict ? Doc(body) : body;
                const Outcome whole = LoadInPieces<TypeParam>(doc, 0xFFFFFFFFu, flags);
                const Outcome bytewise = LoadInPieces<TypeParam>(doc, 1, flags);
                ASSERT_TRUE(whole == bytewise) << int(flags) << ' ' << length << ' ' << b << ": "
                                               << whole.reason << " / " << bytewise.reason;
            }
}
