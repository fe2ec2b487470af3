// The reader's UTF-8 decoder, sixteen bytes at a time where the processor
// can and a character at a time where it cannot, against a strict model.
#include "Utf8Decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace nkDS;

namespace
{

// Well-formed UTF-8 by the letter of RFC 3629: the units it decodes to,
// or nothing and false.
bool Model(const std::string& bytes, std::wstring& units)
{
    units.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;)
    {
        const unsigned b = p[i];
        size_t len = 0;
        uint32_t c = 0, least = 0;
        if (b < 0x80)
            len = 1, c = b;
        else if (b >= 0xC0 && b < 0xE0)
            len = 2, c = b & 0x1F, least = 0x80;
        else if (b >= 0xE0 && b < 0xF0)
            len = 3, c = b & 0x0F, least = 0x800;
        else if (b >= 0xF0 && b < 0xF8)
            len = 4, c = b & 0x07, least = 0x10000;
        else
            return false;
        if (n - i < len)
            return false;
        for (size_t k = 1; k < len; ++k)
        {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            c = c << 6 | (p[i + k] & 0x3F);
        }
        if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return false;
        if (sizeof(wchar_t) == 2 && c >= 0x10000)
        {
            units += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
            units += static_cast<wchar_t>(c);
        i += len;
    }
    return true;
}

std::string Utf8(uint32_t c)
{
    std::string s;
    if (c < 0x80)
        s += static_cast<char>(c);
    else if (c < 0x800)
        s += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    else if (c < 0x10000)
        s += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    else
        s += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
              static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    return s;
}

// Both decoders on `bytes`, each into a buffer of exactly the room it asks
// for (so that the sanitizer build sees a store past it), the fast one
// with its zero padding; both must agree with the model.
void ExpectDecodes(const std::string& bytes)
{
    std::wstring want;
    const bool valid = Model(bytes, want);
    const size_t n = bytes.size();
    std::vector<unsigned char> padded(n + kUtf8DecodePad, 0);
    std::copy(bytes.begin(), bytes.end(), padded.begin());

    std::vector<wchar_t> fast(Utf8UnitsRoom(n));
    const size_t got = DecodeUtf8Units(padded.data(), n, fast.data());
    std::vector<wchar_t> each(n);
    const size_t gotEach = DecodeUtf8UnitsEach(padded.data(), n, each.data());
    if (!valid)
    {
        EXPECT_EQ(got, SIZE_MAX) << "bytes of length " << n;
        EXPECT_EQ(gotEach, SIZE_MAX) << "bytes of length " << n;
        return;
    }
    ASSERT_EQ(got, want.size()) << "bytes of length " << n;
    ASSERT_EQ(gotEach, want.size()) << "bytes of length " << n;
    EXPECT_EQ(std::wstring(fast.data(), got), want);
    EXPECT_EQ(std::wstring(each.data(), gotEach), want);
}

// Characters of every length, the boundaries of each form among them.
uint32_t RandomChar(std::mt19937& rng)
{
    static const uint32_t kEdges[] = {0,      0x7F,   0x80,   0x7FF,   0x800,   0xD7FF,
                                      0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x10FFFF};
    switch (rng() % 8)
    {
    case 0:
        return kEdges[rng() % (sizeof kEdges / sizeof kEdges[0])];
    case 1:
        return 0x80 + rng() % 0x780;
    case 2:
    case 3:
    {
        const uint32_t c = 0x800 + rng() % 0xF800;
        return c >= 0xD800 && c <= 0xDFFF ? c + 0x800 : c;
    }
    case 4:
        return 0x10000 + rng() % 0x100000;
    default:
        return 0x20 + rng() % 0x5F;
    }
}

std::string RandomText(std::mt19937& rng, size_t chars)
{
    std::string s;
    for (size_t i = 0; i < chars; ++i)
        s += Utf8(RandomChar(rng));
    return s;
}

TEST(Utf8Decode, WellFormedTextDecodesLikeTheModelAtEveryLength)
{
    std::mt19937 rng(20261208);
    for (int round = 0; round < 3000; ++round)
        ExpectDecodes(RandomText(rng, rng() % 120));
    // Long runs of one form, which fill every chunk alike.
    for (uint32_t c : {0x41u, 0xE9u, 0x4E2Du, 0x1F600u})
        for (size_t chars : {1u, 5u, 6u, 15u, 16u, 17u, 33u, 100u})
        {
            std::string s;
            for (size_t i = 0; i < chars; ++i)
                s += Utf8(c);
            ExpectDecodes(s);
        }
}

TEST(Utf8Decode, AnyDamagedByteOrCutIsRefusedWhereverItFalls)
{
    std::mt19937 rng(8);
    for (int round = 0; round < 3000; ++round)
    {
        std::string s = RandomText(rng, 1 + rng() % 40);
        switch (rng() % 3)
        {
        case 0: // a byte replaced, often by one that begins or continues a form
            s[rng() % s.size()] = static_cast<char>(rng() % 3 == 0 ? rng() : 0x80 | rng() % 0x80);
            break;
        case 1: // cut anywhere, often inside a character
            s.resize(rng() % s.size());
            break;
        default: // a byte dropped
            s.erase(rng() % s.size(), 1);
            break;
        }
        ExpectDecodes(s);
    }
}

TEST(Utf8Decode, EachMalformedFormIsRefusedAtEveryPlaceOfAChunk)
{
    const std::string kBad[] = {
        "\x80",             // a continuation with no first byte
        "\xC0\x80",         // overlong forms of two, three and four bytes
        "\xC1\xBF",         //
        "\xE0\x80\x80",     //
        "\xE0\x9F\xBF",     //
        "\xF0\x8F\xBF\xBF", //
        "\xED\xA0\x80",     // surrogates
        "\xED\xBF\xBF",     //
        "\xF4\x90\x80\x80", // beyond Unicode
        "\xF5\x80\x80\x80", //
        "\xFF",             //
        "\xC3",             // a first byte with its continuation missing
        "\xE4\xB8",         //
        "\xE4\xB8\x41",     //
        "\xC3\xA9\xA9",     // one continuation too many
    };
    for (const std::string& bad : kBad)
        for (size_t before = 0; before < 40; ++before)
        {
            const std::string lead(before, 'a');
            ExpectDecodes(lead + bad);
            ExpectDecodes(lead + bad + "tail of the text");
        }
}

TEST(Utf8Decode, CharactersAcrossTheEndOfAChunkDecodeWhole)
{
    // Forms of two, three and four bytes begin at every place around the
    // end of the first and second chunk, sixteen bytes apart.
    for (uint32_t c : {0xE9u, 0x4E2Du, 0x1F600u})
        for (size_t before = 10; before < 36; ++before)
            ExpectDecodes(std::string(before, 'x') + Utf8(c) + "yz" + Utf8(c));
}

} // namespace
