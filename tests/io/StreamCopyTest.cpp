// The whole-stream copy, its progress reports and memory sides, and the
// small transfer helpers.
#include "StreamTestUtil.h"

#include <cstring>

using namespace Orvex;
using namespace testsupport;

namespace
{

struct Reports
{
    std::vector<ProgressReport> all;
    static void Collect(const ProgressReport* r, void* ctx)
    {
        static_cast<Reports*>(ctx)->all.push_back(*r);
    }
};

} // namespace

TEST(StreamCopy, BufferedCopyMovesBlocksOf4096AndReportsZeroAndHundredScaled)
{
    CRecordingStream src(Pattern(10000));
    CRecordingStream dst;
    Reports reports;
    ProgressSink sink{0.5f, &Reports::Collect, &reports};
    EXPECT_EQ(src.ReadTo(&dst, &sink), 10000u);
    EXPECT_EQ(dst.data, Pattern(10000));
    EXPECT_EQ(dst.writes, (std::vector<uint32_t>{4096, 4096, 1808}));
    ASSERT_EQ(reports.all.size(), 2u);
    EXPECT_EQ(reports.all[0].kind, kProgressPercent);
    EXPECT_FLOAT_EQ(reports.all[0].value.percent, 0.0f);
    EXPECT_FLOAT_EQ(reports.all[1].value.percent, 50.0f);
}

TEST(StreamCopy, RefusedWriteStopsTheCopyWithoutGaps)
{
    CRecordingStream src(Pattern(20000));
    CRecordingStream dst;
    dst.writeLimit = 5000;
    EXPECT_EQ(src.ReadTo(&dst), 5000u);
    // The copy stopped at the refused block: no later block was attempted.
    EXPECT_EQ(dst.writes, (std::vector<uint32_t>{4096, 4096}));
    EXPECT_EQ(src.reads.size(), 2u);
}

TEST(StreamCopy, MemorySourceIsDrainedInPlaceFromItsPositionAndAdvances)
{
    const auto bytes = Pattern(10000);
    CMemStream mem(bytes.data(), 10000);
    ASSERT_TRUE(mem.Seek(100, kSeekBegin));
    CRecordingStream dst;
    EXPECT_EQ(dst.WriteFrom(&mem), 9900u);
    EXPECT_EQ(dst.writes, (std::vector<uint32_t>{9900})); // one transfer
    EXPECT_EQ(mem.GetPosition(), 10000u);
    EXPECT_TRUE(std::equal(dst.data.begin(), dst.data.end(), bytes.begin() + 100));

    // With a sink: blocks of 4096 with byte counts between the percentages.
    mem.Seek(0, kSeekBegin);
    CRecordingStream dst2;
    Reports reports;
    ProgressSink sink{1.0f, &Reports::Collect, &reports};
    EXPECT_EQ(mem.ReadTo(&dst2, &sink), 10000u);
    EXPECT_EQ(dst2.writes, (std::vector<uint32_t>{4096, 4096, 1808}));
    ASSERT_EQ(reports.all.size(), 5u);
    EXPECT_EQ(reports.all[1].kind, kProgressBytes);
    EXPECT_EQ(reports.all[1].value.bytes, 4096u);
    EXPECT_EQ(reports.all[3].value.bytes, 10000u);
    EXPECT_FLOAT_EQ(reports.all[4].value.percent, 100.0f);
}

TEST(StreamCopy, MemoryDestinationGrowsOrFillsItsBlockAndAdvances)
{
    // Growable: takes everything, length is exactly what was read.
    CRecordingStream src(Pattern(300000));
    CMemStream grow;
    EXPECT_EQ(src.ReadTo(&grow), 300000u);
    EXPECT_EQ(grow.GetLength(), 300000u);
    EXPECT_EQ(grow.GetPosition(), 300000u);
    EXPECT_EQ(0, std::memcmp(grow.GetBuffer(), src.data.data(), 300000));

    // Writing in the middle of existing content overwrites and keeps the tail.
    CRecordingStream small(std::vector<uint8_t>(10, 0xAA));
    ASSERT_TRUE(grow.Seek(5, kSeekBegin));
    EXPECT_EQ(grow.WriteFrom(&small), 10u);
    EXPECT_EQ(grow.GetLength(), 300000u);
    EXPECT_EQ(grow.GetPosition(), 15u);
    EXPECT_EQ(grow.GetBuffer()[14], 0xAA);
    EXPECT_EQ(grow.GetBuffer()[15], src.data[15]);

    // Borrowed: fills the rest of the block and stops there.
    std::vector<uint8_t> block(1000, 0);
    CMemStream fixed(block.data(), 1000, 1000);
    fixed.Seek(400, kSeekBegin);
    CRecordingStream src2(Pattern(5000));
    EXPECT_EQ(src2.ReadTo(&fixed), 600u);
    EXPECT_EQ(fixed.GetPosition(), 1000u);
    EXPECT_TRUE(std::equal(block.begin() + 400, block.end(), src2.data.begin()));
}

TEST(StreamHelpers, TransferExactlyFlushAndByteReaders)
{
    CMemStream mem(static_cast<const void*>("aaab-xyz\nrest"), 13);
    uint8_t different = 0;
    EXPECT_EQ(ReadBytesWhile(&mem, 'a', &different), 4u); // counts the 'b'
    EXPECT_EQ(different, 'b');
    uint8_t buf[16] = {};
    EXPECT_EQ(ReadBytesUntil(&mem, '\n', buf, sizeof buf), 5u); // "-xyz\n"
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 5), "-xyz\n");
    EXPECT_EQ(ReadBytesUntil(&mem, '\n', buf, 2), 2u);  // stopped by the maximum
    EXPECT_EQ(ReadBytesUntil(&mem, '\n', buf, 10), 2u); // stopped by the end

    // Four bytes left, ten asked: false, and the four are consumed.
    mem.Seek(-4, kSeekEnd);
    EXPECT_FALSE(ReadExactly(&mem, buf, 10));
    EXPECT_TRUE(mem.IsEof());
    mem.Seek(0, kSeekBegin);
    EXPECT_TRUE(ReadExactly(&mem, buf, 13));
    // A read-only block refuses writes.
    EXPECT_FALSE(WriteExactly(&mem, "x", 1));

    CRecordingStream rec;
    EXPECT_TRUE(WriteExactly(&rec, "abc", 3));
    rec.writeLimit = 1;
    EXPECT_FALSE(WriteExactly(&rec, "abc", 3));
    EXPECT_TRUE(FlushWriter(&rec));
    EXPECT_TRUE(FlushReader(&rec));
    EXPECT_EQ(rec.flushes, 2);
    EXPECT_FALSE(FlushWriter(nullptr));
}
