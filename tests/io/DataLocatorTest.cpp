// The data locator: parsing, escapes, the two text forms, removal, copies and
// the UTF-16LE stream form.
#include "velmar/io/Orvex.h"

#include "StreamTestUtil.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using namespace Orvex;

namespace
{

std::wstring Str(const wchar_t* s)
{
    return s != nullptr ? std::wstring(s) : std::wstring(L"<null>");
}

// The cells of a locator in one line: "name|kind|index|param|value" per cell.
std::wstring Cells(const CDataLocator& loc)
{
    std::wstring out;
    for (uint32_t i = 0; i < loc.GetCellCount(); ++i)
    {
        out += Str(loc.GetName(i)) + L"|" + std::to_wstring(loc.GetKind(i)) + L"|" +
               std::to_wstring(loc.GetIndex(i)) + L"|" + Str(loc.GetParamName(i)) + L"|" +
               Str(loc.GetParamValue(i)) + L";";
    }
    return out;
}

std::vector<uint8_t> Utf16(std::initializer_list<uint16_t> units)
{
    std::vector<uint8_t> bytes;
    for (uint16_t u : units)
    {
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

std::vector<uint8_t> Content(CMemStream& s)
{
    return std::vector<uint8_t>(s.GetBuffer(), s.GetBuffer() + s.GetLength());
}

// A stream that claims far more bytes than it holds.
class CLyingStream : public testsupport::CRecordingStream
{
public:
    using CRecordingStream::CRecordingStream;
    uint32_t GetLength() override { return claimed; }
    uint32_t claimed = 0xFFFFFFF0u;
};

} // namespace

TEST(DataLocator, ParseStepsConditionsAndBothForms)
{
    CDataLocator a(L"a/b");
    CDataLocator b(L"/a/b/");
    EXPECT_EQ(Cells(a), L"a|0|-1|<null>|<null>;b|0|-1|<null>|<null>;");
    EXPECT_EQ(Cells(a), Cells(b));
    EXPECT_EQ(Str(a.GetText(true)), L"a/b/");
    EXPECT_EQ(Str(b.GetText(true)), L"/a/b/");
    EXPECT_EQ(Str(b.GetText(false)), L"a/b/");

    CDataLocator rest(L"a/b//c/d");
    EXPECT_EQ(rest.GetCellCount(), 2u);
    EXPECT_EQ(Str(rest.GetRemainder()), L"c/d");
    EXPECT_EQ(Str(rest.GetText()), L"a/b//c/d/");

    CDataLocator conditions(L"catalog/item=2/item=x/item?id/item?id=7/item?k=a=b/?x");
    EXPECT_EQ(Cells(conditions), L"catalog|0|-1|<null>|<null>;"
                                 L"item|2|2|<null>|<null>;"
                                 L"item|2|0|<null>|<null>;"
                                 L"item|1|-1|id|<null>;"
                                 L"item|1|-1|id|7;"
                                 L"item|1|-1|k|a=b;"
                                 L"|1|-1|x|<null>;");
    EXPECT_EQ(Str(conditions.GetText(false)), L"catalog/item/item/item/item/item//");
    EXPECT_EQ(Str(conditions.GetName(5, true)), L"item?k=a=b");
    ASSERT_NE(conditions.GetCell(4), nullptr);
    EXPECT_TRUE(conditions.GetCell(4)->HasValue());
    EXPECT_FALSE(conditions.GetCell(3)->HasValue());

    // Empty parts are present, not missing: "" differs from null.
    CDataLocator empties(L"a?/b?k=");
    EXPECT_EQ(Cells(empties), L"a|1|-1||<null>;b|1|-1|k|;");
}

TEST(DataLocator, ParseEscapesAreReadOnceFromTheLeft)
{
    CDataLocator loc(L"a&amp;b/a&question;b/a&equal;3/a&amp;question;b/a&b&question/&equal;&amp;&");
    EXPECT_EQ(Cells(loc), L"a&b|0|-1|<null>|<null>;"
                          L"a|1|-1|b|<null>;"
                          L"a|2|3|<null>|<null>;"
                          L"a&question;b|0|-1|<null>|<null>;"
                          L"a&b&question|0|-1|<null>|<null>;"
                          L"|2|0|<null>|<null>;");
    EXPECT_EQ(Str(loc.GetName(1, true)), L"a?b");
    EXPECT_EQ(Str(loc.GetName(5, true)), L"=&&");

    // The escape producer is the inverse for names, parameters and values.
    const nkMem::CStringW value = CDataLocator::Escape(L"x=1&y?z");
    EXPECT_EQ(Str(value.GetString()), L"x&equal;1&amp;y&question;z");
    CDataLocator built((L"node?p=" + std::wstring(value.GetString())).c_str());
    EXPECT_EQ(Str(built.GetParamValue(0)), L"x=1&y?z");
    EXPECT_TRUE(CDataLocator::Escape(nullptr).IsEmpty());
}

TEST(DataLocator, ParseEmptyAndDegenerateTexts)
{
    for (const wchar_t* text : {static_cast<const wchar_t*>(nullptr), L""})
    {
        CDataLocator loc(L"x/y//z");
        EXPECT_TRUE(loc.Parse(text));
        EXPECT_EQ(loc.GetCellCount(), 0u);
        EXPECT_EQ(Str(loc.GetText(true)), L"");
        EXPECT_EQ(Str(loc.GetText(false)), L"");
        EXPECT_EQ(Str(loc.GetRemainder()), L"");
    }

    CDataLocator slash(L"/");
    EXPECT_EQ(slash.GetCellCount(), 0u);
    EXPECT_EQ(Str(slash.GetText()), L"/");
    CDataLocator lead(L"//a/b");
    EXPECT_EQ(lead.GetCellCount(), 0u);
    EXPECT_EQ(Str(lead.GetRemainder()), L"a/b");
    CDataLocator tail(L"a//");
    EXPECT_EQ(tail.GetCellCount(), 1u);
    EXPECT_EQ(Str(tail.GetRemainder()), L"");
    CDataLocator three(L"a///b");
    EXPECT_EQ(three.GetCellCount(), 1u);
    EXPECT_EQ(Str(three.GetRemainder()), L"/b");

    // Out of range answers the documented empty values.
    EXPECT_EQ(tail.GetName(1), nullptr);
    EXPECT_EQ(tail.GetName(1, true), nullptr);
    EXPECT_EQ(tail.GetKind(7), 0u);
    EXPECT_EQ(tail.GetIndex(7), -1);
    EXPECT_EQ(tail.GetParamName(7), nullptr);
    EXPECT_EQ(tail.GetParamValue(7), nullptr);
    EXPECT_EQ(tail.GetCell(1), nullptr);
    EXPECT_FALSE(tail.RemoveCell(1));

    // A counted text ends at its count or at a zero character.
    CDataLocator counted;
    counted.Parse(L"ab/cd/ef", 4);
    EXPECT_EQ(Str(counted.GetText()), L"ab/c/");
    const wchar_t withZero[] = {L'a', L'/', L'\0', L'b'};
    counted.Parse(withZero, 4);
    EXPECT_EQ(Str(counted.GetText()), L"a/");
}

TEST(DataLocator, ParseIndexIsABoundedBase10Conversion)
{
    CDataLocator loc(
        L"i=/i= 12x/i=-3/i=+4/i=99999999999/i=-99999999999/i=2147483647/i=-2147483648/i=x5");
    const int32_t expected[] = {0, 12, -3, 4, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, 0};
    ASSERT_EQ(loc.GetCellCount(), 9u);
    for (uint32_t i = 0; i < 9; ++i)
    {
        EXPECT_EQ(loc.GetKind(i), CDataLocatorCell::kKindIndex) << i;
        EXPECT_EQ(loc.GetIndex(i), expected[i]) << i;
    }
    const std::wstring longDigits = L"n=" + std::wstring(100000, L'9');
    EXPECT_EQ(CDataLocator(longDigits.c_str()).GetIndex(0), INT32_MAX);
}

TEST(DataLocator, ParseReplacesEverythingAndMayReadItsOwnText)
{
    CDataLocator loc(L"a/b?k=v//rest");
    loc.Parse(loc.GetText());
    EXPECT_EQ(Cells(loc), L"a|0|-1|<null>|<null>;b|1|-1|k|v;");
    EXPECT_EQ(Str(loc.GetRemainder()), L"rest/");
    loc.Parse(loc.GetName(1, true));
    EXPECT_EQ(Cells(loc), L"b|1|-1|k|v;");
    EXPECT_EQ(Str(loc.GetRemainder()), L"");
    loc.Parse(loc.GetRemainder());
    EXPECT_EQ(loc.GetCellCount(), 0u);

    // The narrow form goes through the ANSI code page.
    CDataLocator narrow("x/y?p=1");
    EXPECT_EQ(Cells(narrow), L"x|0|-1|<null>|<null>;y|1|-1|p|1;");
    if (GetACP() == CP_UTF8)
    {
        narrow.Parse("\xE4\xB8\xAD/caf\xC3\xA9");
        EXPECT_EQ(Str(narrow.GetText(false)), L"\u4E2D/caf\u00E9/");
    }
    narrow.Parse(static_cast<const char*>(nullptr));
    EXPECT_EQ(narrow.GetCellCount(), 0u);
}

TEST(DataLocator, RemoveCellRebuildsBothFormsSoTheFullFormReadsBackTheSame)
{
    CDataLocator loc(L"/a/b?k=v/c=2");
    EXPECT_TRUE(loc.RemoveCell(1));
    EXPECT_EQ(Cells(loc), L"a|0|-1|<null>|<null>;c|2|2|<null>|<null>;");
    EXPECT_EQ(Str(loc.GetText(false)), L"a/c/");
    EXPECT_EQ(Str(loc.GetText(true)), L"a/c=2/");

    // A segment whose "&" would start an escape keeps it escaped in the
    // rebuilt text; others are left as typed.
    CDataLocator esc(L"x/a&amp;question;b/p&amp;q?v=&amp;equal;/r&amp;s");
    EXPECT_TRUE(esc.RemoveCell(0));
    EXPECT_EQ(Str(esc.GetText()), L"a&amp;question;b/p&q?v=&amp;equal;/r&s/");
    CDataLocator again(esc.GetText());
    EXPECT_EQ(Cells(again), Cells(esc));
    EXPECT_EQ(Cells(again),
              L"a&question;b|0|-1|<null>|<null>;p&q|1|-1|v|&equal;;r&s|0|-1|<null>|<null>;");

    while (esc.GetCellCount() > 0)
        EXPECT_TRUE(esc.RemoveCell(esc.GetCellCount() - 1));
    EXPECT_EQ(Str(esc.GetText(true)), L"");
    EXPECT_EQ(Str(esc.GetText(false)), L"");
    EXPECT_FALSE(esc.RemoveCell(0));
}

TEST(DataLocator, CopyIsIndependentOfItsSource)
{
    CDataLocator src(L"a/b?k=v/c=1//r");
    CDataLocator copy(src);
    CDataLocator assigned;
    assigned = src;
    src.RemoveCell(0);
    src.Parse(L"z");
    for (const CDataLocator* loc : {&copy, &assigned})
    {
        EXPECT_EQ(Cells(*loc), L"a|0|-1|<null>|<null>;b|1|-1|k|v;c|2|1|<null>|<null>;");
        EXPECT_EQ(Str(loc->GetText()), L"a/b?k=v/c=1//r/");
        EXPECT_EQ(Str(loc->GetText(false)), L"a/b/c/");
        EXPECT_EQ(Str(loc->GetRemainder()), L"r");
    }
    const CDataLocator& same = assigned;
    assigned = same;
    EXPECT_EQ(assigned.GetCellCount(), 3u);

    // Made from its class record, it is an empty serializable object.
    nkMem::CMemObject* obj = nkMem::CreateObject(&CDataLocator::s_classInfo);
    ASSERT_NE(obj, nullptr);
    EXPECT_TRUE(nkMem::IsKindOf(obj, &ISerializable::s_classInfo));
    EXPECT_EQ(dynamic_cast<CDataLocator*>(obj)->GetCellCount(), 0u);
    nkMem::DestroyObject(obj);
}

TEST(DataLocator, StreamWritesUtf16LeAndReadsBackWhole)
{
    CDataLocator loc(L"a/\u00E9\u4E2D?k=\U0001F600");
    CMemStream s;
    EXPECT_TRUE(loc.Write(&s));
    EXPECT_EQ(Content(s), Utf16({'a', '/', 0x00E9, 0x4E2D, '?', 'k', '=', 0xD83D, 0xDE00, '/'}));

    s.Seek(0, kSeekBegin);
    CDataLocator back;
    EXPECT_TRUE(back.Read(&s));
    EXPECT_TRUE(s.IsEof());
    EXPECT_EQ(Cells(back), Cells(loc));
    EXPECT_EQ(Str(back.GetParamValue(1)), L"\U0001F600");

    // Only the bytes after the position belong to the locator, and a text
    // longer than one block goes through whole.
    std::wstring big;
    for (int i = 0; i < 3000; ++i)
        big += L"n" + std::to_wstring(i) + L"/";
    CDataLocator large(big.c_str());
    CMemStream t;
    t.Write("HDR", 3);
    EXPECT_TRUE(large.Write(&t));
    EXPECT_EQ(t.GetLength(), 3 + 2 * big.size());
    t.Seek(3, kSeekBegin);
    EXPECT_TRUE(back.Read(&t));
    EXPECT_EQ(back.GetCellCount(), 3000u);
    EXPECT_EQ(Str(back.GetText()), big);

    // Wide units that are no character go out as U+FFFD: lone surrogate
    // halves, and with 32-bit units values past the last plane.
    const wchar_t odd[] = {L'a', static_cast<wchar_t>(sizeof(wchar_t) == 2 ? 0xDC00 : 0xD800),
                           static_cast<wchar_t>(sizeof(wchar_t) == 2 ? 0xD800 : 0x110000), L'\0'};
    CDataLocator bad(odd);
    CMemStream u;
    EXPECT_TRUE(bad.Write(&u));
    EXPECT_EQ(Content(u), Utf16({'a', 0xFFFD, 0xFFFD, '/'}));

    // An empty locator writes nothing, and nothing reads as nothing.
    CMemStream empty;
    EXPECT_TRUE(CDataLocator().Write(&empty));
    EXPECT_EQ(empty.GetLength(), 0u);
    EXPECT_FALSE(back.Read(&empty));
    EXPECT_FALSE(back.Read(nullptr));
    EXPECT_FALSE(back.Write(nullptr));
    EXPECT_EQ(back.GetCellCount(), 3000u);
}

TEST(DataLocator, StreamMalformedBytesAndShortStreamsFailCleanly)
{
    // Lone surrogates read as U+FFFD; an odd last byte is consumed and dropped.
    std::vector<uint8_t> bytes = Utf16({0xDC00, 'a', 0xD800, 'b', 0xD83D});
    bytes.push_back('z');
    CMemStream s(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CDataLocator loc(L"keep");
    EXPECT_TRUE(loc.Read(&s));
    EXPECT_TRUE(s.IsEof());
    EXPECT_EQ(Str(loc.GetText()), L"\uFFFDa\uFFFDb\uFFFD/");

    // One byte is no unit: nothing read, the locator kept.
    const uint8_t one = 'x';
    CMemStream single(&one, 1);
    EXPECT_FALSE(loc.Read(&single));
    EXPECT_EQ(Str(loc.GetText()), L"\uFFFDa\uFFFDb\uFFFD/");

    // A stream that claims almost 4 GiB and holds a few bytes fails at once,
    // without allocating for its claim, and leaves the locator as it was.
    CLyingStream liar(Utf16({'x', '/', 'y'}));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(loc.Read(&liar));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(Str(loc.GetText()), L"\uFFFDa\uFFFDb\uFFFD/");
    liar.claimed = 4;
    liar.position = 0;
    EXPECT_TRUE(loc.Read(&liar));
    EXPECT_EQ(Str(loc.GetText()), L"x/");

    // A writer that takes fewer bytes than given makes the write fail.
    std::wstring big(5000, L'q');
    CDataLocator longOne(big.c_str());
    testsupport::CRecordingStream shortWriter;
    shortWriter.writeLimit = 9000;
    EXPECT_FALSE(longOne.Write(&shortWriter));
    testsupport::CRecordingStream fullWriter;
    EXPECT_TRUE(longOne.Write(&fullWriter));
    EXPECT_EQ(fullWriter.data.size(), 2u * 5001u);
    for (uint32_t w : fullWriter.writes)
        EXPECT_LE(w, 4096u);
}

TEST(DataLocator, ParseIsLinearInTheNumberOfSteps)
{
    std::wstring text;
    for (int i = 0; i < 50000; ++i)
        text += L"n&amp;?k=v/";
    const auto start = std::chrono::steady_clock::now();
    CDataLocator loc(text.c_str());
    CDataLocator copy(loc);
    copy.RemoveCell(0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(loc.GetCellCount(), 50000u);
    EXPECT_EQ(copy.GetCellCount(), 49999u);
    EXPECT_EQ(Str(copy.GetName(49998)), L"n&");
    EXPECT_EQ(Str(copy.GetText()).size(), 49999u * 7u);
}

TEST(DataLocator, RandomTextsFullFormAndStreamFormReadBackTheSameCells)
{
    // Pieces that exercise every rule, joined at random by a fixed generator.
    const wchar_t* pieces[] = {L"a", L"b", L"/",     L"//",         L"?",          L"=",
                               L"&", L";", L"&amp;", L"&question;", L"&equal;",    L"amp;",
                               L"7", L"-", L" ",     L"\u00E9",     L"\U0001F600", L"\u4E2D"};
    uint32_t seed = 12345;
    auto next = [&seed]()
    {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (int round = 0; round < 2000; ++round)
    {
        std::wstring text;
        const uint32_t n = next() % 24;
        for (uint32_t i = 0; i < n; ++i)
            text += pieces[next() % (sizeof(pieces) / sizeof(pieces[0]))];
        CDataLocator loc(text.c_str());
        SCOPED_TRACE(testing::Message() << "round " << round);

        CMemStream s;
        ASSERT_TRUE(loc.Write(&s));
        s.Seek(0, kSeekBegin);
        CDataLocator streamed;
        EXPECT_EQ(streamed.Read(&s), !text.empty());
        EXPECT_EQ(Str(streamed.GetText()), Str(loc.GetText()));
        EXPECT_EQ(Cells(streamed), Cells(loc));

        if (loc.GetCellCount() > 0)
        {
            loc.RemoveCell(next() % loc.GetCellCount());
            CDataLocator again(loc.GetText());
            EXPECT_EQ(Cells(again), Cells(loc));
            EXPECT_EQ(Str(again.GetText(false)), Str(loc.GetText(false)));
        }
    }
}
