// Reading up to delimiters and line by line.
#include "StreamTestUtil.h"

#include <gtest/gtest.h>

using namespace Orvex;
using nkMem::CStringT;
using testsupport::CRecordingStream;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace
{

CRecordingStream Text(const std::string& s)
{
    return CRecordingStream(std::vector<uint8_t>(s.begin(), s.end()));
}

std::string Str(const CStringT<char>& s)
{
    return s.IsEmpty() ? std::string() : std::string(s.GetString(), s.GetLength());
}

} // namespace

TEST(ReadLine, CrLfLinesLastLineWithoutNewlineAndEmptyStream)
{
    CRecordingStream s = Text("first\r\n\r\nthird line\r\nlast");
    CStringT<char> line;
    ASSERT_TRUE(ReadLine(&s, line, 8)); // small blocks: lines span reads
    EXPECT_EQ(Str(line), "first");
    EXPECT_EQ(s.GetPosition(), 7u); // just past the newline
    ASSERT_TRUE(ReadLine(&s, line, 8));
    EXPECT_EQ(Str(line), ""); // an empty line is still a line
    ASSERT_TRUE(ReadLine(&s, line, 8));
    EXPECT_EQ(Str(line), "third line");
    ASSERT_TRUE(ReadLine(&s, line, 8));
    EXPECT_EQ(Str(line), "last");
    EXPECT_TRUE(s.IsEof());
    EXPECT_FALSE(ReadLine(&s, line, 8));
    EXPECT_EQ(Str(line), "");

    CRecordingStream empty;
    EXPECT_FALSE(ReadLine(&empty, line));
    CRecordingStream cr = Text("\rx\r");
    ASSERT_TRUE(ReadLine(&cr, line));
    EXPECT_EQ(Str(line), "x");
}

TEST(ReadUntil, MultiByteDelimiterSplitAcrossBlocks)
{
    // "-->" straddles the first 8-byte block's end: found through the carry.
    CRecordingStream s = Text("abcdef--> tail");
    CStringT<char> out;
    uint32_t count = 99;
    ASSERT_TRUE(ReadUntil(&s, "-->", 3, out, &count, 0, 8, 1));
    EXPECT_EQ(Str(out), "abcdef");
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(s.GetPosition(), 6u); // on the delimiter

    s.position = 0;
    out.Empty();
    ASSERT_TRUE(ReadUntil(&s, "-->", 3, out, &count, kUntilConsume | kUntilKeepDelimiter, 4, 1));
    EXPECT_EQ(Str(out), "abcdef-->");
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(s.GetPosition(), 9u); // past it

    // Not there: everything is appended, the carried tail not counted.
    CRecordingStream n = Text("no end here-");
    out = "x:";
    EXPECT_FALSE(ReadUntil(&n, "-->", 3, out, &count, 0, 6, 1));
    EXPECT_EQ(Str(out), "x:no end here-");
    EXPECT_EQ(count, 10u);

    // A step of 2 looks at even offsets only.
    CRecordingStream w = Text("a;;b;;");
    out.Empty();
    ASSERT_TRUE(ReadUntil(&w, ";;", 2, out, nullptr, 0, 16, 2));
    EXPECT_EQ(Str(out), "a;;b");
    // Refused arguments.
    EXPECT_FALSE(ReadUntil(&w, "", 0, out));
    EXPECT_FALSE(ReadUntil(nullptr, ";", 1, out));
}

TEST(ReadUntil, EndsOnAClosedStreamThatNeverReportsItsEnd)
{
    CFileStream closed("", kModeRead, false);
    ASSERT_FALSE(closed.IsEof()); // would loop forever on IsEof alone
    CStringT<char> line;
    EXPECT_FALSE(ReadLine(&closed, line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST(ReadUntil, LongLinesFromAFileStayLinear)
{
    TempDir dir;
    const std::string path = dir.File("long.txt");
    std::string text(3 * 1024 * 1024, 'a');
    text += "\r\nnext\n";
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    CFileStream s(path.c_str(), kModeRead, false);
    ASSERT_TRUE(s.IsOpen());
    CStringT<char> line;
    ASSERT_TRUE(ReadLine(&s, line));
    EXPECT_EQ(line.GetLength(), 3u * 1024 * 1024);
    ASSERT_TRUE(ReadLine(&s, line));
    EXPECT_EQ(Str(line), "next");
    EXPECT_FALSE(ReadLine(&s, line));
}
