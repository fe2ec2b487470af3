// The read window's scans over a run of bytes of a set, and up to one of a
// few stop bytes: sixteen bytes at a time (by nibbles where the set allows
// it), the same wherever the stream's reads end, never past the bytes read.
#include "ReadWindow.h"
#include "support/RecordingStream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace nkDS;
using namespace testsupport;

namespace
{

// A set of bytes given by its table, as the scan takes it.
struct Table
{
    bool in[256] = {};
    bool operator()(int c) const { return in[c]; }
};

// A random set whose rows of sixteen fall into `patterns` patterns.
Table RandomSet(std::mt19937& rng, int patterns)
{
    std::vector<uint16_t> rows(static_cast<size_t>(patterns));
    for (uint16_t& row : rows)
        row = static_cast<uint16_t>(1 + rng() % 0xFFFF);
    Table t;
    for (int h = 0; h < 16; ++h)
    {
        if (rng() % 4 == 0)
            continue; // a row of nothing
        const uint16_t row = rows[rng() % rows.size()];
        for (int l = 0; l < 16; ++l)
            t.in[h * 16 + l] = (row >> l & 1) != 0;
    }
    return t;
}

// Whether the nibble tables, where the set has them, say what the table says.
void ExpectNibblesAgree(const ScanTakes& takes)
{
    ASSERT_TRUE(takes.nibbles);
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ((takes.low[c & 15] & takes.high[c >> 4]) != 0, takes.take[c]) << "byte " << c;
}

TEST(ReadWindow, ASetOfUpToEightPatternsHasAnExactNibbleForm)
{
    std::mt19937 rng(34);
    for (int round = 0; round < 200; ++round)
    {
        const Table t = RandomSet(rng, 1 + round % 8);
        ExpectNibblesAgree(ScanTakes(t));
    }
    // Nine distinct rows have none; the table still holds the set.
    Table nine;
    for (int h = 0; h < 9; ++h)
        nine.in[h * 16 + h] = true;
    const ScanTakes takes(nine);
    EXPECT_FALSE(takes.nibbles);
    EXPECT_TRUE(takes.take[0x88]);
    EXPECT_FALSE(takes.take[0x89]);
}

// Runs of taken bytes of every length up to 40 between stops, scanned with
// reads of `piece` bytes: each scan must give the run and the stop after it.
void ExpectScansRuns(const ScanTakes& takes, std::mt19937& rng, uint32_t piece)
{
    std::vector<uint8_t> inSet, outOfSet;
    for (int c = 0; c < 256; ++c)
        (takes.take[c] ? inSet : outOfSet).push_back(static_cast<uint8_t>(c));
    ASSERT_FALSE(inSet.empty());
    ASSERT_FALSE(outOfSet.empty());
    std::vector<std::string> runs;
    std::vector<uint8_t> bytes;
    std::string stops;
    for (int k = 0; k < 400; ++k)
    {
        std::string run(rng() % 41, '\0');
        for (char& c : run)
            c = static_cast<char>(inSet[rng() % inSet.size()]);
        const uint8_t stop = outOfSet[rng() % outOfSet.size()];
        runs.push_back(run);
        stops += static_cast<char>(stop);
        bytes.insert(bytes.end(), run.begin(), run.end());
        bytes.push_back(stop);
    }
    // The last run ends with the input.
    bytes.insert(bytes.end(), runs.back().begin(), runs.back().end());

    CRecordingStream stream(bytes);
    stream.readLimit = piece;
    CReadWindow window(&stream);
    TokenBytes token;
    for (size_t k = 0; k < runs.size(); ++k)
    {
        token.clear();
        ASSERT_EQ(window.ScanWhile(takes, token), static_cast<uint8_t>(stops[k])) << "run " << k;
        ASSERT_EQ(std::string(token.begin(), token.end()), runs[k]) << "run " << k;
    }
    token.clear();
    EXPECT_EQ(window.ScanWhile(takes, token), -1);
    EXPECT_EQ(std::string(token.begin(), token.end()), runs.back());
}

TEST(ReadWindow, ScanTakesEachRunWhereverTheReadsEnd)
{
    std::mt19937 rng(1208);
    const ScanTakes name([](int c)
                         { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; });
    Table nine;
    for (int h = 0; h < 16; ++h)
        for (int l = 0; l <= h % 9; ++l)
            nine.in[h * 16 + l] = true;
    const ScanTakes bytewise(nine);
    ASSERT_FALSE(bytewise.nibbles);
    for (uint32_t piece : {1u, 3u, 16u, 17u, 4093u, 0xFFFFFFFFu})
    {
        ExpectScansRuns(name, rng, piece);
        ExpectScansRuns(ScanTakes(RandomSet(rng, 8)), rng, piece);
        ExpectScansRuns(bytewise, rng, piece);
    }
}

TEST(ReadWindow, ScanUntilStopsAtTheFirstStopWhereverTheReadsEnd)
{
    std::mt19937 rng(2612);
    for (const char* stopBytes : {"<", "<>", "'\"<", "]'\"<"})
    {
        const ScanStops stops(stopBytes);
        const std::string stopSet = stopBytes;
        // Runs of up to 70 bytes of anything else (the stop bytes' neighbours
        // above all), each ended by a stop.
        std::vector<std::string> runs;
        std::string stopsSeen, bytes;
        for (int k = 0; k < 300; ++k)
        {
            std::string run(rng() % 71, '\0');
            for (char& c : run)
            {
                do
                    c = static_cast<char>(rng() % 3 == 0 ? stopSet[0] + 1 - rng() % 3 : rng());
                while (stopSet.find(c) != std::string::npos);
            }
            const char stop = stopSet[rng() % stopSet.size()];
            runs.push_back(run);
            stopsSeen += stop;
            bytes += run;
            bytes += stop;
        }
        // The input ends in a run with no stop after it.
        bytes += runs.front();
        for (uint32_t piece : {1u, 5u, 16u, 31u, 4093u, 0xFFFFFFFFu})
        {
            CRecordingStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
            stream.readLimit = piece;
            CReadWindow window(&stream);
            TokenBytes token;
            for (size_t k = 0; k < runs.size(); ++k)
            {
                token.clear();
                ASSERT_EQ(window.ScanUntil(stops, token), static_cast<uint8_t>(stopsSeen[k]))
                    << stopBytes << " run " << k << " pieces of " << piece;
                ASSERT_EQ(std::string(token.begin(), token.end()), runs[k]) << "run " << k;
                window.Skip(1);
            }
            token.clear();
            EXPECT_EQ(window.ScanUntil(stops, token), -1);
            EXPECT_EQ(std::string(token.begin(), token.end()), runs.front());
        }
    }
}

} // namespace
