// The sixteen-bytes-at-a-time UTF-8 check, against the character-at-a-time
// decoder, and documents whose faults fall where it runs.
#include "Utf8Prefix.h"
#include "XmlTestUtil.h"
#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace nkDS;
using namespace testsupport;

namespace
{

// The starts of the whole characters before the first fault (a sequence
// the decoder refuses, or NUL) of `s`, and that fault's place (the size
// when there is none).
struct Judged
{
    std::vector<size_t> starts;
    size_t fault;
};

Judged JudgeByCharacter(const std::string& s)
{
    Judged j{{}, s.size()};
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (size_t i = 0; i < s.size();)
    {
        j.starts.push_back(i);
        const unicode::Utf8Decoded d = unicode::DecodeUtf8(p + i, s.size() - i);
        if (p[i] == 0 || !d.valid)
        {
            j.starts.pop_back();
            j.fault = i;
            return j;
        }
        i += d.length;
    }
    return j;
}

bool FastCheckRuns()
{
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    return __builtin_cpu_supports("ssse3");
#else
    return false;
#endif
}

// Characters of every length, at the ends of their ranges and around the
// surrogates.
const char* const kGood[] = {"a",
                             " ",
                             "\x7F",
                             "\xC2\x80",
                             "\xDF\xBF",
                             "\xE0\xA0\x80",
                             "\xED\x9F\xBF",
                             "\xEE\x80\x80",
                             "\xEF\xBF\xBF",
                             "\xE4\xB8\xAD",
                             "\xF0\x90\x80\x80",
                             "\xF4\x8F\xBF\xBF",
                             "\xF3\xBF\xBF\xBF"};

// Each way a byte sequence can fail to be a character.
const char* const kBad[] = {
    "\x80",             // continuation with no lead
    "\xBF",             //
    "\xC0\x80",         // overlong, two bytes
    "\xC1\xBF",         //
    "\xE0\x80\x80",     // overlong, three bytes
    "\xE0\x9F\xBF",     //
    "\xF0\x80\x80\x80", // overlong, four bytes
    "\xF0\x8F\xBF\xBF", //
    "\xED\xA0\x80",     // surrogates
    "\xED\xBF\xBF",     //
    "\xF4\x90\x80\x80", // beyond U+10FFFF
    "\xF5\x80\x80\x80", //
    "\xF8\x88\x80\x80", //
    "\xFF",             //
    "\xC2\x41",         // a lead cut short
    "\xE4\xB8\x41",     //
    "\xF0\x90\x80\x41", //
    "\xC2\xC2\x80",     //
    "\xC2\x80\x80",     // a continuation too many
    "\xE4\xB8\xAD\x80", //
    "",                 // stands for NUL
};

std::string RandomGood(std::mt19937& random, size_t bytes)
{
    std::string s;
    while (s.size() < bytes)
        s += kGood[random() % (sizeof kGood / sizeof *kGood)];
    return s;
}

TEST(Utf8Prefix, stops_at_a_character_start_no_later_than_the_first_fault)
{
    std::mt19937 random(7);
    const bool fast = FastCheckRuns();
    for (int round = 0; round < 300; ++round)
    {
        const std::string good = RandomGood(random, 16 + random() % 200);
        const Judged whole = JudgeByCharacter(good);
        ASSERT_EQ(whole.fault, good.size());
        const size_t all =
            ValidUtf8Prefix(reinterpret_cast<const uint8_t*>(good.data()), good.size());
        // Text without a fault is taken up to its last whole chunk, less
        // a character that chunk cuts.
        if (fast)
        {
            EXPECT_GE(all + 16 + 3, good.size()) << round;
        }
        EXPECT_TRUE(all == good.size() ||
                    std::binary_search(whole.starts.begin(), whole.starts.end(), all));
        for (size_t b = 0; b < sizeof kBad / sizeof *kBad; ++b)
        {
            const std::string bad = *kBad[b] != '\0' ? std::string(kBad[b]) : std::string(1, '\0');
            // Faults at every place of the first chunks, at character starts.
            for (size_t at = 0; at < whole.starts.size() && whole.starts[at] < 48; ++at)
            {
                std::string s = good;
                s.insert(whole.starts[at], bad);
                const Judged j = JudgeByCharacter(s);
                ASSERT_LT(j.fault, s.size());
                const size_t k =
                    ValidUtf8Prefix(reinterpret_cast<const uint8_t*>(s.data()), s.size());
                ASSERT_LE(k, j.fault) << round << ' ' << b << ' ' << at;
                ASSERT_TRUE(k == j.fault || std::binary_search(j.starts.begin(), j.starts.end(), k))
                    << round << ' ' << b << ' ' << at << ' ' << k;
            }
        }
    }
}

// Long text takes the fast check. Every lead byte with every second byte
// (and ASCII and a lead after it), with a third and fourth byte at both
// ends of their range, placed at each offset within a chunk: what the
// code-page layer decodes loads as its characters, anything else fails the
// load at the lead byte, as for short text.
TEST(Utf8Prefix, long_text_reads_every_sequence_as_the_code_page_layer_reads_it)
{
    const std::string head = "<?xml version='1.0' encoding='UTF-8'?><r>";
    const std::string tail(100, 'z');
    std::mt19937 random(11);
    for (unsigned lead = 0xC0; lead <= 0xFF; ++lead)
        for (unsigned second = 0x7F; second <= 0xC0; ++second)
            for (const unsigned rest : {0x80u, 0xBFu})
            {
                std::string seq{static_cast<char>(lead), static_cast<char>(second)};
                if (lead >= 0xE0)
                    seq += static_cast<char>(rest);
                if (lead >= 0xF0)
                    seq += static_cast<char>(rest);
                wchar_t units[8] = {};
                const int n = MultiByteToWideChar(65001, MB_ERR_INVALID_CHARS, seq.data(),
                                                  static_cast<int>(seq.size()), units, 8);
                const std::string pad = RandomGood(random, random() % 40);
                CXmlFileW doc;
                const bool loaded = Load(doc, head + pad + seq + tail + "</r>");
                ASSERT_EQ(loaded, n > 0) << std::hex << lead << ' ' << second << ' ' << rest;
                if (!loaded)
                {
                    EXPECT_EQ(doc.GetParser().GetErrorOffset(), head.size() + pad.size())
                        << std::hex << lead << ' ' << second << ' ' << rest;
                }
            }
}

} // namespace
