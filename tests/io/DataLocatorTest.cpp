// The data locator: parsing, escapes, the two text forms, removal, copies and
// the UTF-16LE stream form.
#include "StreamTestUtil.h"

#include <bit>
#include <chrono>

using namespace Orvex;

namespace
{

std::wstring Str(const wchar_t* s)
{
    return s != nullptr ? std::wstring(s) : std::wstring(L"~");
}

// The cells of a locator in one line: "name|kind|index|param|value;" per cell.
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

// The bytes of UTF-16 units on this machine, which stores them little-end first.
static_assert(std::endian::native == std::endian::little);
std::vector<uint8_t> Utf16(const std::u16string& units)
{
    const auto* p = reinterpret_cast<const uint8_t*>(units.data());
    return std::vector<uint8_t>(p, p + 2 * units.size());
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

TEST(DataLocator, ParseStepsConditionsEscapesAndBothForms)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* cells; // "name|kind|index|param|value;" per cell, ~ for null
        const wchar_t* names;
        const wchar_t* remainder;
        const wchar_t* full = nullptr; // null: the text and a "/"
    };
    const Case cases[] = {
        {nullptr, L"", L"", L"", L""},
        {L"", L"", L"", L"", L""},
        {L"/", L"", L"", L"", L"/"},
        {L"a/b", L"a|0|-1|~|~;b|0|-1|~|~;", L"a/b/", L""},
        {L"/a/b/", L"a|0|-1|~|~;b|0|-1|~|~;", L"a/b/", L"", L"/a/b/"},
        // What follows the first "//" is the remainder.
        {L"a/b//c/d", L"a|0|-1|~|~;b|0|-1|~|~;", L"a/b/", L"c/d"},
        {L"//a/b", L"", L"", L"a/b"},
        {L"a//", L"a|0|-1|~|~;", L"a/", L"", L"a//"},
        {L"a///b", L"a|0|-1|~|~;", L"a/", L"/b"},
        // Conditions; empty parts are present, not missing.
        {L"catalog/item=2/item=x/item?id/item?id=7/item?k=a=b/?x",
         L"catalog|0|-1|~|~;item|2|2|~|~;item|2|0|~|~;item|1|-1|id|~;item|1|-1|id|7;"
         L"item|1|-1|k|a=b;|1|-1|x|~;",
         L"catalog/item/item/item/item/item//", L""},
        {L"a?/b?k=", L"a|1|-1||~;b|1|-1|k|;", L"a/b/", L""},
        // Escapes are read once, from the left.
        {L"a&amp;b/a&question;b/a&equal;3/a&amp;question;b/a&b&question/&equal;&amp;&",
         L"a&b|0|-1|~|~;a|1|-1|b|~;a|2|3|~|~;a&question;b|0|-1|~|~;a&b&question|0|-1|~|~;"
         L"|2|0|~|~;",
         L"a&b/a/a/a&question;b/a&b&question//", L""},
        // An index is a base-10 number bounded to 32 bits.
        {L"i=/i= 12x/i=-3/i=+4/i=99999999999/i=-99999999999/i=2147483647/i=-2147483648/i=x5",
         L"i|2|0|~|~;i|2|12|~|~;i|2|-3|~|~;i|2|4|~|~;i|2|2147483647|~|~;i|2|-2147483648|~|~;"
         L"i|2|2147483647|~|~;i|2|-2147483648|~|~;i|2|0|~|~;",
         L"i/i/i/i/i/i/i/i/i/", L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << Str(c.text));
        CDataLocator loc(L"x/y//z");
        EXPECT_TRUE(loc.Parse(c.text));
        EXPECT_EQ(Cells(loc), c.cells);
        EXPECT_EQ(Str(loc.GetText(false)), c.names);
        EXPECT_EQ(Str(loc.GetRemainder()), c.remainder);
        EXPECT_EQ(Str(loc.GetText(true)), c.full ? c.full : Str(c.text) + L"/");
    }
    const std::wstring longDigits = L"n=" + std::wstring(100000, L'9');
    EXPECT_EQ(CDataLocator(longDigits.c_str()).GetIndex(0), INT32_MAX);

    // A step's whole text comes back unescaped.
    CDataLocator steps(L"a&question;b/item?k=a=b/&equal;&amp;&");
    EXPECT_EQ(Str(steps.GetName(0, true)), L"a?b");
    EXPECT_EQ(Str(steps.GetName(1, true)), L"item?k=a=b");
    EXPECT_EQ(Str(steps.GetName(2, true)), L"=&&");

    // The escape producer is the inverse for names, parameters and values.
    const nkMem::CStringW value = CDataLocator::Escape(L"x=1&y?z");
    EXPECT_EQ(Str(value.GetString()), L"x&equal;1&amp;y&question;z");
    CDataLocator built((L"node?p=" + std::wstring(value.GetString())).c_str());
    EXPECT_EQ(Str(built.GetParamValue(0)), L"x=1&y?z");
    EXPECT_TRUE(CDataLocator::Escape(nullptr).IsEmpty());

    // Out of range answers the documented empty values.
    EXPECT_EQ(steps.GetName(3), nullptr);
    EXPECT_EQ(steps.GetName(3, true), nullptr);
    EXPECT_EQ(steps.GetKind(7), 0u);
    EXPECT_EQ(steps.GetIndex(7), -1);
    EXPECT_EQ(steps.GetParamName(7), nullptr);
    EXPECT_EQ(steps.GetParamValue(7), nullptr);
    EXPECT_EQ(steps.GetCell(3), nullptr);
    EXPECT_FALSE(steps.RemoveCell(3));

    // A counted text ends at its count or at a zero character.
    CDataLocator counted;
    counted.Parse(L"ab/cd/ef", 4);
    EXPECT_EQ(Str(counted.GetText()), L"ab/c/");
    const wchar_t withZero[] = {L'a', L'/', L'\0', L'b'};
    counted.Parse(withZero, 4);
    EXPECT_EQ(Str(counted.GetText()), L"a/");
}

TEST(DataLocator, ParseReplacesEverythingAndMayReadItsOwnText)
{
    CDataLocator loc(L"a/b?k=v//rest");
    loc.Parse(loc.GetText());
    EXPECT_EQ(Cells(loc), L"a|0|-1|~|~;b|1|-1|k|v;");
    EXPECT_EQ(Str(loc.GetRemainder()), L"rest/");
    loc.Parse(loc.GetName(1, true));
    EXPECT_EQ(Cells(loc), L"b|1|-1|k|v;");
    EXPECT_EQ(Str(loc.GetRemainder()), L"");
    loc.Parse(loc.GetRemainder());
    EXPECT_EQ(loc.GetCellCount(), 0u);

    // The narrow form goes through the ANSI code page.
    CDataLocator narrow("x/y?p=1");
    EXPECT_EQ(Cells(narrow), L"x|0|-1|~|~;y|1|-1|p|1;");
    if (GetACP() == CP_UTF8)
    {
        narrow.Parse("\xE4\xB8\xAD/caf\xC3\xA9");
        EXPECT_EQ(Str(narrow.GetText(false)), L"\u4E2D/caf\u00E9/");
    }
    narrow.Parse(static_cast<const char*>(nullptr));
    EXPECT_EQ(narrow.GetCellCount(), 0u);
}

TEST(DataLocator, RemoveCellRebuildsBothFormsEscapedWhereNeeded)
{
    CDataLocator loc(L"/a/b?k=v/c=2");
    EXPECT_TRUE(loc.RemoveCell(1));
    EXPECT_EQ(Cells(loc), L"a|0|-1|~|~;c|2|2|~|~;");
    EXPECT_EQ(Str(loc.GetText(false)), L"a/c/");
    EXPECT_EQ(Str(loc.GetText(true)), L"a/c=2/");

    // A segment whose "&" would start an escape keeps it escaped in the
    // rebuilt text; others are left as typed.
    CDataLocator esc(L"x/a&amp;question;b/p&amp;q?v=&amp;equal;/r&amp;s");
    EXPECT_TRUE(esc.RemoveCell(0));
    EXPECT_EQ(Str(esc.GetText()), L"a&amp;question;b/p&q?v=&amp;equal;/r&s/");
    EXPECT_EQ(Cells(esc), L"a&question;b|0|-1|~|~;p&q|1|-1|v|&equal;;r&s|0|-1|~|~;");

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
        EXPECT_EQ(Cells(*loc), L"a|0|-1|~|~;b|1|-1|k|v;c|2|1|~|~;");
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

TEST(DataLocator, StreamWritesUtf16LeFromThePositionOn)
{
    CDataLocator loc(L"a/\u00E9\u4E2D?k=\U0001F600");
    CMemStream s;
    EXPECT_TRUE(loc.Write(&s));
    EXPECT_EQ(Content(s), Utf16({'a', '/', 0x00E9, 0x4E2D, '?', 'k', '=', 0xD83D, 0xDE00, '/'}));

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
    CDataLocator back;
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

    // Without a stream nothing is read or written.
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
