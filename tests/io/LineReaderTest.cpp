// Reading up to delimiters and line by line.
#include "StreamTestUtil.h"

#include <utility>

using namespace Orvex;
using namespace testsupport;
using nkMem::CStringT;

namespace
{

CRecordingStream Text(const std::string& s)
{
    return CRecordingStream(std::vector<uint8_t>(s.begin(), s.end()));
}

} // namespace

TEST(ReadLine, CrLfLinesLastLineWithoutNewlineAndEmptyStream)
{
    // Small blocks, so lines span reads; each ends just past its newline, and
    // an empty line is still a line.
    CRecordingStream s = Text("first\r\n\r\nthird line\r\nlast");
    CStringT<char> line;
    const std::pair<const char*, uint32_t> lines[] = {
        {"first", 7}, {"", 9}, {"third line", 21}, {"last", 25}};
    for (const auto& [text, end] : lines)
    {
        ASSERT_TRUE(ReadLine(&s, line, 8));
        EXPECT_STREQ(line.GetSafeString(), text);
        EXPECT_EQ(s.GetPosition(), end);
    }
    EXPECT_FALSE(ReadLine(&s, line, 8));
    EXPECT_STREQ(line.GetSafeString(), "");

    CRecordingStream empty;
    EXPECT_FALSE(ReadLine(&empty, line));
    CRecordingStream cr = Text("\rx\r");
    ASSERT_TRUE(ReadLine(&cr, line));
    EXPECT_STREQ(line.GetSafeString(), "x");
}

TEST(ReadUntil, MultiByteDelimiterSplitAcrossBlocks)
{
    // "-->" straddles the first 8-byte block's end: found through the carry.
    CRecordingStream s = Text("abcdef--> tail");
    CStringT<char> out;
    uint32_t count = 99;
    ASSERT_TRUE(ReadUntil(&s, "-->", 3, out, &count, 0, 8, 1));
    EXPECT_STREQ(out.GetSafeString(), "abcdef");
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(s.GetPosition(), 6u); // on the delimiter

    s.position = 0;
    out.Empty();
    ASSERT_TRUE(ReadUntil(&s, "-->", 3, out, &count, kUntilConsume | kUntilKeepDelimiter, 4, 1));
    EXPECT_STREQ(out.GetSafeString(), "abcdef-->");
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(s.GetPosition(), 9u); // past it

    // Not there: everything is appended, the carried tail not counted.
    CRecordingStream n = Text("no end here-");
    out = "x:";
    EXPECT_FALSE(ReadUntil(&n, "-->", 3, out, &count, 0, 6, 1));
    EXPECT_STREQ(out.GetSafeString(), "x:no end here-");
    EXPECT_EQ(count, 10u);

    // A step of 2 looks at even offsets only.
    CRecordingStream w = Text("a;;b;;");
    out.Empty();
    ASSERT_TRUE(ReadUntil(&w, ";;", 2, out, nullptr, 0, 16, 2));
    EXPECT_STREQ(out.GetSafeString(), "a;;b");
    // The grid runs on across blocks that are no multiple of the step.
    CRecordingStream g = Text("abcdefghijkl;mn");
    out.Empty();
    ASSERT_TRUE(ReadUntil(&g, ";", 1, out, nullptr, 0, 10, 4));
    EXPECT_STREQ(out.GetSafeString(), "abcdefghijkl");
    EXPECT_EQ(g.GetPosition(), 12u);
    // Refused arguments.
    EXPECT_FALSE(ReadUntil(&w, "", 0, out));
    EXPECT_FALSE(ReadUntil(nullptr, ";", 1, out));
}

TEST(ReadUntil, LongLinesFromAFileStayLinear)
{
    TempDir dir;
    std::string text(3 * 1024 * 1024, 'a');
    text += "\r\nnext\n";
    const std::string path = WriteBytes(dir.file("long.txt"), {text.begin(), text.end()});
    CFileStream s(path.c_str(), kModeRead, false);
    ASSERT_TRUE(s.IsOpen());
    CStringT<char> line;
    ASSERT_TRUE(ReadLine(&s, line));
    EXPECT_EQ(line.GetLength(), 3u * 1024 * 1024);
    ASSERT_TRUE(ReadLine(&s, line));
    EXPECT_STREQ(line.GetSafeString(), "next");
    EXPECT_FALSE(ReadLine(&s, line));
}
