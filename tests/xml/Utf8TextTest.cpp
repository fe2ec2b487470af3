// The writer's UTF-8 encoder, eight characters at a time where the
// processor can and one at a time where it cannot, against a plain model.
#include "Utf8Text.h"
#include "velmar/win32/Unicode.h"
#include "velmar/xml/XmlChars.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace nkDS;

namespace
{

struct Encoded
{
    size_t reached;
    std::string bytes;
};

// What the encoder must give: each escape level's rewrites, every other
// character as UTF-8, up to a lone surrogate or a value past Unicode.
Encoded Model(const std::wstring& text, size_t from, size_t to, int escape)
{
    Encoded e{from, {}};
    for (size_t i = from; i < to; ++i)
    {
        const auto c = static_cast<uint32_t>(text[i]);
        const bool amp = c == '&' && escape >= 1;
        const bool lt = c == '<' && escape >= 2;
        const bool gt = c == '>' && (escape == 2 || (escape == 3 && ClosesCData(text.data(), i)));
        const bool quot = c == '"' && escape == 5;
        if (amp && ReferenceLength(text.data() + i, text.size() - i) == 0)
            e.bytes += "&amp;";
        else if (lt)
            e.bytes += "&lt;";
        else if (gt)
            e.bytes += "&gt;";
        else if (quot)
            e.bytes += "&quot;";
        else if (sizeof(wchar_t) == 2 && unicode::IsHighSurrogate(c) && i + 1 < to &&
                 unicode::IsLowSurrogate(static_cast<uint32_t>(text[i + 1])))
        {
            char out[4];
            ++i;
            e.bytes.append(out, unicode::EncodeUtf8(unicode::JoinSurrogates(c, text[i]), out));
        }
        else if (unicode::IsSurrogate(c) || c > unicode::kMaxCodePoint)
            return e;
        else
        {
            char out[4];
            e.bytes.append(out, unicode::EncodeUtf8(c, out));
        }
        e.reached = i + 1;
    }
    return e;
}

// Encodes into a buffer of exactly the room asked for, so that a sanitizer
// build sees any write past it.
template <class Encode>
Encoded EncodeWith(Encode encode, const std::wstring& text, size_t from, size_t to, int escape)
{
    std::vector<char> out(Utf8TextRoom(to - from));
    size_t written = 0;
    const size_t reached = encode(text.data(), text.size(), from, to, escape, out.data(), written);
    EXPECT_LE(written, out.size());
    return {reached, std::string(out.data(), written)};
}

} // namespace

TEST(Utf8Text, every_mix_of_characters_and_escapes_encodes_as_the_model_says)
{
    // Each length class at both ends, every character an escape level
    // treats, the pieces of references and of "]]>", and what is left to the
    // code pages.
    const std::vector<std::wstring> plain = {L"a",    L" value", L"\xE9",  L"\x4E2D", L"\x7F",
                                             L"\x80", L"\x7FF",  L"\x800", L"\xFFFF"};
    std::vector<std::wstring> odd = {L"&",
                                     L"<",
                                     L">",
                                     L"\"",
                                     L"'",
                                     L"]",
                                     L"]]>",
                                     L"&amp;",
                                     L"&#x4E2D;",
                                     L"&#233;",
                                     L"&bogus",
                                     L"\xFFFD",
                                     L"\xD800",
                                     L"\xDFFF",
                                     L"\xD83D\xDE00",
                                     std::wstring(1, L'\0')};
    if constexpr (sizeof(wchar_t) == 4)
    {
        odd.push_back(std::wstring(1, static_cast<wchar_t>(0x1F600)));
        odd.push_back(std::wstring(1, static_cast<wchar_t>(0x110000)));
    }
    std::mt19937 random(34);
    for (int round = 0; round < 4000; ++round)
    {
        // Mostly plain text, so that runs of eight and more occur.
        std::wstring text;
        const size_t parts = random() % 24;
        for (size_t k = 0; k < parts; ++k)
            text += random() % 4 != 0 ? plain[random() % plain.size()] : odd[random() % odd.size()];
        const size_t from = text.empty() ? 0 : random() % (text.size() + 1);
        const size_t to = from + random() % (text.size() - from + 1);
        for (int escape = 0; escape <= 5; ++escape)
        {
            SCOPED_TRACE(testing::Message() << "round " << round << " escape " << escape);
            const Encoded want = Model(text, from, to, escape);
            const Encoded fast = EncodeWith(EncodeUtf8Text, text, from, to, escape);
            const Encoded each = EncodeWith(EncodeUtf8TextEach, text, from, to, escape);
            ASSERT_EQ(want.reached, fast.reached);
            ASSERT_EQ(want.bytes, fast.bytes);
            ASSERT_EQ(want.reached, each.reached);
            ASSERT_EQ(want.bytes, each.bytes);
        }
    }
}

TEST(Utf8Text, a_character_left_to_the_code_pages_stops_it_at_any_place_of_a_group)
{
    // Long plain runs with one lone surrogate or out-of-range value at each
    // place of the first three groups: everything before it is written.
    std::vector<wchar_t> odds = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDFFF)};
    if constexpr (sizeof(wchar_t) == 4)
        odds.push_back(static_cast<wchar_t>(0x110000));
    for (const wchar_t odd : odds)
        for (size_t at = 0; at < 24; ++at)
        {
            std::wstring text;
            for (size_t i = 0; i < 30; ++i)
                text += i % 3 == 0 ? L'x' : i % 3 == 1 ? wchar_t(0xE9) : wchar_t(0x4E2D);
            text[at] = odd;
            const Encoded got = EncodeWith(EncodeUtf8Text, text, 0, text.size(), 2);
            const Encoded want = Model(text, 0, text.size(), 2);
            EXPECT_EQ(at, got.reached);
            EXPECT_EQ(want.bytes, got.bytes);
        }
}
