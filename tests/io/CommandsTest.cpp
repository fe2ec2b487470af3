// Read, write and seek commands on memory and file streams.
#include "StreamTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Orvex;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(Commands, WithNothingToRunOnTheyFail)
{
    CReadCommand read;
    CWriteCommand write;
    CSeekCommand seek;
    EXPECT_FALSE(read.Execute());
    EXPECT_FALSE(write.Execute());
    EXPECT_FALSE(seek.Execute());
    nkMem::ICommand* asCommand = &read;
    EXPECT_STREQ(asCommand->GetClassInfo()->name, "CReadCommand");
}

TEST(Commands, OnAMemoryStreamShortReadsFailAndSeeksByZeroSucceed)
{
    const char text[] = "0123456789";
    CMemStream mem(text, 10);
    char got[16] = {};

    CReadCommand read;
    read.source = &mem;
    read.buffer = got;
    read.count = 6;
    EXPECT_TRUE(read.Execute());
    EXPECT_EQ(std::string(got, 6), "012345");
    // Ten asked, four left: false, and the four are consumed.
    read.count = 10;
    EXPECT_FALSE(read.Execute());
    EXPECT_EQ(std::string(got, 4), "6789");
    EXPECT_TRUE(mem.IsEof());

    CSeekCommand seek;
    seek.target = &mem;
    EXPECT_TRUE(seek.Execute());
    EXPECT_EQ(mem.GetPosition(), 10u);
    seek.offset = -3;
    EXPECT_TRUE(seek.Execute()); // from the current position
    EXPECT_EQ(mem.GetPosition(), 7u);
    EXPECT_TRUE(seek.Execute()); // commands run again and again
    EXPECT_EQ(mem.GetPosition(), 4u);
    seek.origin = kSeekBegin;
    seek.offset = -1;
    EXPECT_FALSE(seek.Execute());

    CMemStream out;
    CWriteCommand write;
    write.destination = &out;
    write.buffer = "abc";
    write.count = 3;
    EXPECT_TRUE(write.Execute());
    EXPECT_TRUE(write.Execute());
    EXPECT_EQ(out.GetLength(), 6u);
    EXPECT_EQ(std::memcmp(out.GetBuffer(), "abcabc", 6), 0);
}

TEST(Commands, OnAFileStreamTheyTransferAndRefuseWhatTheModeForbids)
{
    TempDir dir;
    const std::string path = dir.File("cmd.bin");
    WriteBytes(path, {'a', 'b', 'c', 'd'});
    {
        CFileStream s(path.c_str(), kModeRead | kModeWrite, false);
        ASSERT_TRUE(s.IsOpen());
        CSeekCommand seek;
        seek.target = &s;
        seek.origin = kSeekEnd;
        EXPECT_TRUE(seek.Execute());
        CWriteCommand write;
        write.destination = &s;
        write.buffer = "ef";
        write.count = 2;
        EXPECT_TRUE(write.Execute());
        seek.origin = kSeekBegin;
        seek.offset = 1;
        EXPECT_TRUE(seek.Execute());
        char got[8] = {};
        CReadCommand read;
        read.source = &s;
        read.buffer = got;
        read.count = 8;
        EXPECT_FALSE(read.Execute()); // five left
        EXPECT_EQ(std::string(got, 5), "bcdef");
    }
    CFileStream ro(path.c_str(), kModeRead, false);
    CWriteCommand write;
    write.destination = &ro;
    write.buffer = "zz";
    write.count = 2;
    EXPECT_FALSE(write.Execute());
    ro.Close();
    CFileStream noSeek(path.c_str(), kModeRead | kModeNoSeek, false);
    ASSERT_TRUE(noSeek.IsOpen());
    CSeekCommand seek;
    seek.target = &noSeek;
    EXPECT_FALSE(seek.Execute());
    noSeek.Close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
}
