// The output written behind the writers: parts filled at once by several
// threads come out in their order, a writer far ahead waits without ever
// holding up the one the output waits for, and a failure or a stop leaves
// nobody waiting.
#include "OrderedOutput.h"
#include "support/RecordingStream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace nkDS;
using namespace testsupport;

namespace
{

COrderedOutput::Block MakeBlock(const std::string& text, size_t cap)
{
    COrderedOutput::Block b;
    b.cap = std::max(cap, text.size());
    b.data = nkMem::AllocPageBuffer(b.cap);
    std::memcpy(b.data.get(), text.data(), text.size());
    b.len = text.size();
    return b;
}

std::string Written(const CRecordingStream& s)
{
    return std::string(s.data.begin(), s.data.end());
}

// Part k holds k % 4 + 1 blocks.
std::string PartText(uint32_t part, uint32_t block)
{
    return "[" + std::to_string(part) + "." + std::to_string(block) + "]";
}

// Two threads fill the parts, each taking the next one not taken, as the
// writer's split does; the output is every part in order.
TEST(OrderedOutput, PartsFilledAtOnceComeOutInOrder)
{
    for (const size_t limit : {size_t(1), size_t(40), size_t(1) << 20})
    {
        constexpr uint32_t kParts = 200;
        CRecordingStream target;
        std::string want;
        for (uint32_t p = 0; p < kParts; ++p)
            for (uint32_t b = 0; b <= p % 4; ++b)
                want += PartText(p, b);
        {
            COrderedOutput out(&target, xbfBytes, limit);
            ASSERT_TRUE(out.Start());
            ASSERT_TRUE(out.Threaded());
            std::atomic<uint32_t> next{0};
            auto fill = [&]
            {
                for (uint32_t p; (p = next.fetch_add(1)) < kParts;)
                {
                    for (uint32_t b = 0; b <= p % 4; ++b)
                    {
                        COrderedOutput::Block fresh;
                        EXPECT_EQ(out.Push(p, MakeBlock(PartText(p, b), 16), fresh),
                                  COrderedOutput::Pushed::kQueued);
                        // A block handed back is one written, emptied.
                        EXPECT_EQ(fresh.len, 0u);
                    }
                    out.Close(p);
                }
            };
            std::thread other(fill);
            fill();
            other.join();
            EXPECT_TRUE(out.Finish());
        }
        EXPECT_EQ(Written(target), want) << "limit " << limit;
    }
}

// Starts the output with `text` queued in `part`, for a later push to wait
// behind.
void StartWith(COrderedOutput& out, uint32_t part, const std::string& text)
{
    ASSERT_TRUE(out.Start());
    COrderedOutput::Block fresh;
    ASSERT_EQ(out.Push(part, MakeBlock(text, text.size()), fresh), COrderedOutput::Pushed::kQueued);
}

// With nothing of the first part pushed, a later part may fill up to the
// limit and then waits; the first part's writer is never held up by it.
TEST(OrderedOutput, ALaterPartWaitsAndTheFirstNeverDoes)
{
    CRecordingStream target;
    COrderedOutput out(&target, xbfBytes, 8);
    StartWith(out, 1, "later-1;");
    std::atomic<bool> pushed{false};
    std::thread later(
        [&]
        {
            COrderedOutput::Block f;
            EXPECT_EQ(out.Push(1, MakeBlock("later-2;", 8), f), COrderedOutput::Pushed::kQueued);
            pushed = true;
            out.Close(1);
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(pushed) << "the later part went past the limit";
    // The first part goes in at once, whatever waits behind it.
    COrderedOutput::Block fresh;
    EXPECT_EQ(out.Push(0, MakeBlock("first;", 8), fresh), COrderedOutput::Pushed::kQueued);
    out.Close(0);
    later.join();
    EXPECT_TRUE(pushed);
    EXPECT_TRUE(out.Finish());
    EXPECT_EQ(Written(target), "first;later-1;later-2;");
}

// A stop releases a writer waiting for room and drops what comes after;
// the parts not completed are never written.
TEST(OrderedOutput, AStopReleasesAWaitingWriter)
{
    CRecordingStream target;
    COrderedOutput out(&target, xbfBytes, 1);
    StartWith(out, 2, "two;");
    std::thread waiting(
        [&]
        {
            COrderedOutput::Block f;
            EXPECT_EQ(out.Push(3, MakeBlock("three;", 8), f), COrderedOutput::Pushed::kStopped);
            // The dropped block comes back to be filled again.
            EXPECT_EQ(f.cap, 8u);
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    out.Stop();
    waiting.join();
    COrderedOutput::Block fresh;
    EXPECT_EQ(out.Push(0, MakeBlock("zero;", 8), fresh), COrderedOutput::Pushed::kStopped);
    EXPECT_TRUE(out.Finish()); // nothing was refused by the target
    EXPECT_EQ(Written(target), "");
}

// A write the target refuses fails every later push, and the output; with
// no thread, blocks are written as they are pushed.
TEST(OrderedOutput, ARefusedWriteFailsTheOutput)
{
    for (const bool threaded : {true, false})
    {
        CRecordingStream target;
        target.refuseWrite = 2;
        COrderedOutput out(&target, xbfBytes, 1);
        if (threaded)
        {
            ASSERT_TRUE(out.Start());
        }
        COrderedOutput::Block fresh;
        EXPECT_EQ(out.Push(0, MakeBlock("a;", 2), fresh), COrderedOutput::Pushed::kQueued);
        EXPECT_EQ(out.Push(0, MakeBlock("b;", 2), fresh),
                  threaded ? COrderedOutput::Pushed::kQueued
                           : COrderedOutput::Pushed::kWriteFailed);
        // The third waits for the second's write, which fails.
        EXPECT_EQ(out.Push(0, MakeBlock("c;", 2), fresh), COrderedOutput::Pushed::kWriteFailed);
        out.Close(0);
        EXPECT_FALSE(out.Finish()) << "threaded " << threaded;
        EXPECT_EQ(Written(target), "a;") << "threaded " << threaded;
    }
}

// UTF-16 forms are converted block by block, characters beyond the first
// plane as surrogate pairs.
TEST(OrderedOutput, WritesUtf16InTheOutputsByteOrder)
{
    CRecordingStream le, be;
    const std::string utf8 = "a\xC3\xA9\xF0\x9F\x98\x80"; // a, é, U+1F600
    std::string utf16;
    EXPECT_TRUE(WriteBlock(&le, xbfUtf16LE, utf8.data(), utf8.size(), utf16));
    EXPECT_TRUE(WriteBlock(&be, xbfUtf16BE, utf8.data(), utf8.size(), utf16));
    EXPECT_EQ(Written(le), std::string("a\0\xE9\0\x3D\xD8\x00\xDE", 8));
    EXPECT_EQ(Written(be), std::string("\0a\0\xE9\xD8\x3D\xDE\x00", 8));
}

} // namespace
