// The memory stream: growable and borrowed blocks, and the class records it
// is made from.
#include "velmar/io/Orvex.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Orvex;

TEST(MemStream, GrowableWritesOverwriteExtendAndSeekStaysInsideContent)
{
    CMemStream s;
    EXPECT_EQ(s.Write("hello world", 11), 11u);
    EXPECT_TRUE(s.Seek(-5, kSeekCurrent));
    EXPECT_EQ(s.Write("WORLD!", 6), 6u);
    EXPECT_EQ(s.GetLength(), 12u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s.GetBuffer()), 12), "hello WORLD!");
    EXPECT_FALSE(s.Seek(1, kSeekEnd));
    EXPECT_FALSE(s.Seek(-13, kSeekEnd));
    EXPECT_EQ(s.GetPosition(), 12u);
    EXPECT_TRUE(s.Seek64(3, 0, kSeekBegin));
    EXPECT_FALSE(s.Seek64(3, 1, kSeekBegin)); // 4 GiB + 3 is beyond the content
    EXPECT_FALSE(s.Seek64(0xFFFFFFFF, 0x7FFFFFFF, kSeekCurrent));
    EXPECT_EQ(s.GetPosition(), 3u);

    // SetLength zero-fills growth and pulls the position back on shrinking.
    EXPECT_TRUE(s.SetLength(20));
    EXPECT_EQ(s.GetBuffer()[19], 0);
    s.Seek(0, kSeekEnd);
    EXPECT_TRUE(s.SetLength(4));
    EXPECT_EQ(s.GetPosition(), 4u);
    EXPECT_EQ(s.MapRegion(0, 1, 3), s.GetBuffer() + 1);
    EXPECT_EQ(s.MapRegion(0, 2, 3), nullptr);
    EXPECT_TRUE(s.UnmapRegion(s.GetBuffer()));
    EXPECT_FALSE(s.UnmapRegion(nullptr));
}

TEST(MemStream, BorrowedBlocksNeverWriteBeyondTheirSize)
{
    char block[8] = {'a', 'b', 'c', 0, 0, 0, 0, 0};
    CMemStream s(block, 6, 3);
    EXPECT_EQ(s.GetLength(), 3u);
    EXPECT_EQ(s.GetCapacity(), 6u);
    s.Seek(0, kSeekEnd);
    EXPECT_EQ(s.Write("12345", 5), 3u); // what fits
    EXPECT_EQ(s.Write("x", 1), 0u);
    EXPECT_EQ(block[6], 0);
    EXPECT_EQ(std::string(block, 6), "abc123");
    EXPECT_FALSE(s.SetLength(7));
    EXPECT_FALSE(s.Reserve(7));
    EXPECT_TRUE(s.SetLength(2));

    const char text[] = "read only";
    CMemStream ro(text, 9);
    EXPECT_FALSE(ro.CanWrite());
    EXPECT_FALSE(ro.IsWritable());
    EXPECT_TRUE(ro.CanRead());
    EXPECT_EQ(ro.Write("x", 1), 0u);
    EXPECT_FALSE(ro.SetLength(3));
    char out[16] = {};
    EXPECT_EQ(ro.Read(out, sizeof out), 9u);
    EXPECT_EQ(ro.Read(out, sizeof out), 0u);

    CMemStream none(static_cast<const void*>(nullptr), 50);
    EXPECT_EQ(none.GetLength(), 0u);
    EXPECT_EQ(none.Read(out, 1), 0u);
}

TEST(MemStream, ComesFromItsRecordAndKindsAreFoundThroughEveryLevel)
{
    nkMem::CMemObject* obj = nkMem::CreateObject(&CMemStream::s_classInfo);
    ASSERT_NE(obj, nullptr);
    EXPECT_TRUE(nkMem::IsKindOf(obj, &IOffsetSeek::s_classInfo));
    auto* s = dynamic_cast<Orvex::IStream*>(obj);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Write("hello", 5), 5u);
    EXPECT_EQ(s->GetLength(), 5u);
    nkMem::DestroyObject(obj);

    // By record and by name.
    EXPECT_TRUE(nkMem::IsDerivedFrom(&ILazySerialize::s_classInfo, "IWriter"));
    EXPECT_TRUE(nkMem::IsDerivedFrom(&IMemStream::s_classInfo, &ISeqStreamWriter::s_classInfo));
    EXPECT_FALSE(nkMem::IsDerivedFrom(&ISeqStreamWriter::s_classInfo, &IMemStream::s_classInfo));
}
