// Read, write and seek commands on memory and file streams; class records.
#include "StreamTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Orvex;
using nkMem::CClassInfo;
using orvex_test::ReadBytes;
using orvex_test::TempDir;
using orvex_test::WriteBytes;

namespace
{

std::vector<std::string> BaseNames(const CClassInfo& c)
{
    std::vector<std::string> names;
    for (const CClassInfo* const* b = c.bases; b && *b; ++b)
        names.push_back((*b)->name);
    return names;
}

} // namespace

TEST(Commands, StartZeroedAndCarryTheirRecords)
{
    CReadCommand read;
    CWriteCommand write;
    CSeekCommand seek;
    EXPECT_EQ(read.buffer, nullptr);
    EXPECT_EQ(read.count, 0u);
    EXPECT_EQ(read.source, nullptr);
    EXPECT_EQ(write.buffer, nullptr);
    EXPECT_EQ(write.count, 0u);
    EXPECT_EQ(write.destination, nullptr);
    EXPECT_EQ(seek.origin, kSeekCurrent);
    EXPECT_EQ(seek.offset, 0);
    EXPECT_EQ(seek.target, nullptr);
    // Nothing to run on: failure, not a crash.
    EXPECT_FALSE(read.Execute());
    EXPECT_FALSE(write.Execute());
    EXPECT_FALSE(seek.Execute());

    using V = std::vector<std::string>;
    nkMem::ICommand* asCommand = &read;
    EXPECT_STREQ(asCommand->GetClassInfo()->name, "CReadCommand");
    EXPECT_STREQ(static_cast<nkMem::ICommand&>(write).GetClassInfo()->name, "CWriteCommand");
    EXPECT_STREQ(static_cast<nkMem::ICommand&>(seek).GetClassInfo()->name, "CSeekCommand");
    for (const CClassInfo* c : {&CReadCommand::s_classInfo, &CWriteCommand::s_classInfo,
                                &CSeekCommand::s_classInfo})
    {
        EXPECT_EQ(BaseNames(*c), V{"ICommand"}) << c->name;
        EXPECT_EQ(c->factory, nullptr) << c->name;
    }
    EXPECT_EQ(BaseNames(CAsyncCtrl::s_classInfo), V{"IAsyncCtrl"});
    EXPECT_EQ(CAsyncCtrl::s_classInfo.factory, nullptr);
    EXPECT_STREQ(CAsyncCtrl::s_classInfo.name, "CAsyncCtrl");
    for (const CClassInfo* c : {&IIOSentinel::s_classInfo, &IFollowControl::s_classInfo,
                                &IProgressCallbacks::s_classInfo})
        EXPECT_EQ(BaseNames(*c), V{"CMemObject"}) << c->name;
    EXPECT_EQ(BaseNames(CSingleProressCallback::s_classInfo), V{"IProgressCallbacks"});
    EXPECT_STREQ(CSingleProressCallback::s_classInfo.name, "CSingleProressCallback");
    EXPECT_STREQ(IIOSentinel::s_classInfo.name, "IIOSentinel");
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
