// Read, write and seek commands: each runs one transfer with its own fields,
// as often as it is run; when a transfer is short is the Transfer tests' matter.
#include "velmar/io/Orvex.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvex;

TEST(Commands, RunTheirTransferWithTheirFieldsEachTime)
{
    CReadCommand read;
    CWriteCommand write;
    CSeekCommand seek;
    EXPECT_FALSE(read.Execute()); // nothing to run on
    EXPECT_FALSE(write.Execute());
    EXPECT_FALSE(seek.Execute());

    CMemStream mem;
    write.destination = &mem;
    write.buffer = "abc";
    write.count = 3;
    EXPECT_TRUE(write.Execute());
    EXPECT_TRUE(write.Execute());
    seek.target = &mem;
    seek.offset = -2; // from the current position unless told otherwise
    EXPECT_TRUE(seek.Execute());
    EXPECT_TRUE(seek.Execute());
    EXPECT_EQ(mem.GetPosition(), 2u);
    seek.origin = kSeekBegin;
    seek.offset = -1;
    EXPECT_FALSE(seek.Execute());

    char got[8] = {};
    read.source = &mem;
    read.buffer = got;
    read.count = 3;
    EXPECT_TRUE(read.Execute());
    EXPECT_EQ(std::string(got, 3), "cab");
    EXPECT_FALSE(read.Execute()); // one byte left
    EXPECT_EQ(got[0], 'c');
}
