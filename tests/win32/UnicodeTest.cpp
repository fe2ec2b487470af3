#include "velmar/win32/Unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace unicode;

TEST(Unicode, DecodeUtf8_BoundariesAndIllFormedSequences)
{
    constexpr char32_t kBad = kReplacementCharacter;
    struct Case
    {
        std::string bytes;
        char32_t codePoint;
        size_t length;
        bool valid;
    } cases[] = {
        {"\x7F", 0x7F, 1, true},
        {"\xC2\x80", 0x80, 2, true},
        {"\xDF\xBF", 0x7FF, 2, true},
        {"\xE0\xA0\x80", 0x800, 3, true},
        {"\xED\x9F\xBF", 0xD7FF, 3, true},
        {"\xEE\x80\x80", 0xE000, 3, true},
        {"\xEF\xBF\xBF", 0xFFFF, 3, true},
        {"\xF0\x90\x80\x80", 0x10000, 4, true},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4, true},
        {"\xE4\xB8\xAD!", 0x4E2D, 3, true}, // what follows is not read
        // Overlong forms: the lead byte alone is the broken piece.
        {"\xC0\xAF", kBad, 1, false},
        {"\xC1\xBF", kBad, 1, false},
        {"\xE0\x9F\xBF", kBad, 1, false},
        {"\xF0\x8F\xBF\xBF", kBad, 1, false},
        // Encoded surrogates, and past U+10FFFF.
        {"\xED\xA0\x80", kBad, 1, false},
        {"\xED\xBF\xBF", kBad, 1, false},
        {"\xF4\x90\x80\x80", kBad, 1, false},
        {"\xF5\x80\x80\x80", kBad, 1, false},
        {"\xFF", kBad, 1, false},
        // A stray continuation byte.
        {"\x80", kBad, 1, false},
        // Cut short by the end or by a foreign byte: the valid start goes with it.
        {"\xC3", kBad, 1, false},
        {"\xE4\xB8", kBad, 2, false},
        {"\xE4\xB8"
         "A",
         kBad, 2, false},
        {"\xF0\x9F\x98", kBad, 3, false},
        {"\xF0\x9F\x98\xC3", kBad, 3, false},
    };
    for (const Case& c : cases)
    {
        const Utf8Decoded d =
            DecodeUtf8(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(d.codePoint, c.codePoint);
        EXPECT_EQ(d.length, c.length);
        EXPECT_EQ(d.valid, c.valid);
    }
}

// Every value through the encoder, the decoder and the surrogate split; the
// decoder's table anchors the bytes.
TEST(Unicode, EveryCodePointRoundTrips)
{
    for (uint32_t c = 0; c <= 0x110000; ++c)
    {
        char bytes[kMaxUtf8Length];
        const size_t n = EncodeUtf8(c, bytes);
        const Utf8Decoded d = DecodeUtf8(reinterpret_cast<const unsigned char*>(bytes), n);
        ASSERT_TRUE(d.valid) << std::hex << c;
        ASSERT_EQ(d.length, n) << std::hex << c;
        ASSERT_EQ(d.codePoint, IsScalarValue(c) ? c : kReplacementCharacter) << std::hex << c;
        ASSERT_EQ(n, c < 0x80 ? 1u : c < 0x800 ? 2u : c < 0x10000 || c > 0x10FFFF ? 3u : 4u);
        if (NeedsSurrogatePair(c))
        {
            ASSERT_TRUE(IsHighSurrogate(HighSurrogateOf(c))) << std::hex << c;
            ASSERT_TRUE(IsLowSurrogate(LowSurrogateOf(c))) << std::hex << c;
            ASSERT_EQ(JoinSurrogates(HighSurrogateOf(c), LowSurrogateOf(c)), c);
        }
    }
    char bytes[kMaxUtf8Length];
    EXPECT_EQ(std::string(bytes, EncodeUtf8(0xFFFFFFFF, bytes)), "\xEF\xBF\xBD");
}

TEST(Unicode, SurrogateBoundaries)
{
    struct Case
    {
        char32_t value;
        bool high, low, scalar, pair;
    } cases[] = {
        {0xD7FF, false, false, true, false},  {0xD800, true, false, false, false},
        {0xDBFF, true, false, false, false},  {0xDC00, false, true, false, false},
        {0xDFFF, false, true, false, false},  {0xE000, false, false, true, false},
        {0xFFFF, false, false, true, false},  {0x10000, false, false, true, true},
        {0x10FFFF, false, false, true, true}, {0x110000, false, false, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << static_cast<uint32_t>(c.value));
        EXPECT_EQ(IsHighSurrogate(c.value), c.high);
        EXPECT_EQ(IsLowSurrogate(c.value), c.low);
        EXPECT_EQ(IsSurrogate(c.value), c.high || c.low);
        EXPECT_EQ(IsScalarValue(c.value), c.scalar);
        EXPECT_EQ(NeedsSurrogatePair(c.value), c.pair);
    }
    EXPECT_EQ(HighSurrogateOf(0x10000), 0xD800);
    EXPECT_EQ(LowSurrogateOf(0x10000), 0xDC00);
    EXPECT_EQ(HighSurrogateOf(0x10FFFF), 0xDBFF);
    EXPECT_EQ(LowSurrogateOf(0x10FFFF), 0xDFFF);
    EXPECT_EQ(JoinSurrogates(0xD83D, 0xDE00), 0x1F600u);
}

TEST(Unicode, AppendUtf8_JoinsPairsAndReplacesWhatIsNoCharacter)
{
    const std::string bad = "\xEF\xBF\xBD";
    struct Case
    {
        std::vector<uint32_t> units;
        std::string utf8;
    } cases[] = {
        {{'a', 0xE9}, "a\xC3\xA9"},
        {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"}, // a pair, in either width
        {{0xD83D}, bad},
        {{0xD83D, 'a'}, bad + "a"},
        {{0xDE00, 0xD83D}, bad + bad},
        {{0xD83D, 0xD83D, 0xDE00}, bad + "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases)
    {
        // A low half just past the end is not read.
        std::wstring wide(c.units.begin(), c.units.end());
        wide += static_cast<wchar_t>(0xDE00);
        std::string out = "x";
        AppendUtf8(out, wide.data(), wide.size() - 1);
        EXPECT_EQ(out, "x" + c.utf8) << testing::PrintToString(c.units);
    }
    if constexpr (sizeof(wchar_t) == 4)
    {
        const wchar_t wide[] = {static_cast<wchar_t>(0x1F600), static_cast<wchar_t>(0x110000)};
        std::string out;
        AppendUtf8(out, wide, 2);
        EXPECT_EQ(out, "\xF0\x9F\x98\x80" + bad);
    }
}
