// CFileStream over real files: construction, forwarding, copies, duplication.
#include "StreamTestUtil.h"

#include <cstring>

using namespace Orvex;
using namespace testsupport;
using FileStreamTest = ScratchTest;

TEST_F(FileStreamTest, EmptyOrMissingPathGivesAClosedStreamThatReadsNothing)
{
#ifndef _WIN32
    const auto opens = w32::SysCallCount(w32::SysCall::Open);
#endif
    CFileStream empty("", kModeRead, false);
    CFileStream null(static_cast<const wchar_t*>(nullptr), kModeRead, true);
#ifndef _WIN32
    EXPECT_EQ(w32::SysCallCount(w32::SysCall::Open), opens); // never touched the system
#endif
    EXPECT_FALSE(empty.IsOpen());
    EXPECT_FALSE(null.IsOpen());

    CFileStream missing(dir.file("missing.xml").c_str(), kModeRead, false);
    EXPECT_FALSE(missing.IsOpen());
    uint8_t b;
    EXPECT_EQ(missing.Read(&b, 1), 0u);
    EXPECT_EQ(missing.Write("x", 1), 0u);
    // The position query fails (0xFFFFFFFF) while the length is 0: not at
    // the end, so readers stop on a read of 0, and nothing remains.
    EXPECT_EQ(missing.GetPosition(), 0xFFFFFFFFu);
    EXPECT_EQ(missing.GetLength(), 0u);
    EXPECT_FALSE(missing.IsEof());
    EXPECT_EQ(missing.GetRemaining(), 0u);
    CMemStream sink;
    EXPECT_EQ(missing.ReadTo(&sink), 0u);
    nkMem::CStringT<char> line;
    EXPECT_FALSE(ReadLine(&missing, line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST_F(FileStreamTest, ForwardsToItsFileAndTruncatesOnlyWithTheWriteBit)
{
    const std::string path = WriteBytes(dir.file("doc.xml"), Pattern(100));
    {
        CFileStream s(path.c_str(), kModeRead, false);
        ASSERT_TRUE(s.IsOpen());
        EXPECT_EQ(s.GetMode(), kModeRead);
        EXPECT_FALSE(s.IsWritable());
        EXPECT_FALSE(s.Truncate());
        EXPECT_EQ(s.GetLength(), 100u);
        // Not shared: a second opener is locked out while it is open.
        CFileStream other(path.c_str(), kModeRead, false);
        EXPECT_FALSE(other.IsOpen());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(ReadBytes(path).size(), 100u);

    const std::wstring wpath(path.begin(), path.end());
    CFileStream s(wpath.c_str(), kModeRead | kModeWrite, true);
    ASSERT_TRUE(s.IsOpen());
    EXPECT_TRUE(s.Truncate());
    EXPECT_EQ(s.Write("<a/>", 4), 4u);
    EXPECT_TRUE(s.Flush());
    EXPECT_TRUE(s.Seek(-2, kSeekCurrent));
    char c[2];
    EXPECT_EQ(s.Read(c, 2), 2u);
    EXPECT_EQ(c[0], '/');
    // Regions reach the file's own mappings.
    void* view = s.MapRegion(1, 0, 4);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, "<a/>", 4), 0);
    EXPECT_FALSE(s.UnmapRegion(nullptr));
    EXPECT_TRUE(s.UnmapRegion(view));
    s.Close();
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'<', 'a', '/', '>'}));
}

TEST_F(FileStreamTest, AsyncModeSubmitsThroughTheFilesController)
{
    CFileStream s(dir.file("async.bin").c_str(), kModeRead | kModeWrite | kModeAsync, true);
    ASSERT_TRUE(s.IsAsync());
    EXPECT_EQ(s.GetAsyncCtrl(), s.GetFile().GetAsyncCtrl());
    EXPECT_EQ(s.Write("abc", 3), 3u);
    AsyncResult r{};
    for (int i = 0; i < 2000 && s.GetAsyncCtrl()->Collect(&r, 1) == 0; ++i)
        Sleep(1);
    EXPECT_EQ(r.transferred, 3u);
    EXPECT_EQ(s.GetLength(), 3u);
}

TEST_F(FileStreamTest, WholeFileCopiesOfTheFile)
{
    const std::string from = WriteBytes(dir.file("a.bin"), Pattern(5000));
    const std::string to = WriteBytes(dir.file("b.bin"), Pattern(9000));
    CFileWin a, b;
    ASSERT_TRUE(a.Open(from.c_str(), kModeRead | kModeShareRead | kModeShareWrite, false));
    ASSERT_TRUE(
        b.Open(to.c_str(), kModeRead | kModeWrite | kModeShareRead | kModeShareWrite, false));
    // Either way the destination ends up with the source's bytes at its start.
    EXPECT_EQ(a.CopyTo(&b), 5000u);
    a.Close();
    b.Close();
    const auto copied = ReadBytes(to);
    ASSERT_GE(copied.size(), 5000u);
    EXPECT_TRUE(std::equal(copied.begin(), copied.begin() + 5000, Pattern(5000).begin()));

    // Into a memory stream: the block copy, from the file's position.
    ASSERT_TRUE(a.Open(from.c_str(), kModeRead, false));
    a.Seek(1000, kSeekBegin);
    CMemStream mem;
    EXPECT_EQ(a.CopyTo(&mem), 4000u);
    EXPECT_EQ(mem.GetLength(), 4000u);
    const auto small = Pattern(300);
    CMemStream back(small.data(), 300);
    CFileWin c;
    ASSERT_TRUE(c.Open(dir.file("c.bin").c_str(), kModeWrite, true));
    EXPECT_EQ(c.CopyFrom(&back), 300u);
    EXPECT_EQ(c.GetLength(), 300u);
}

TEST_F(FileStreamTest, DuplicatesShareTheOpenFileAndComeFromRecords)
{
    const std::string path = WriteBytes(dir.file("dup.bin"), Pattern(64));
    CFileStream s(path.c_str(), kModeRead, false);
    ASSERT_TRUE(s.IsOpen());
    EXPECT_TRUE(s.CanDuplicateAs(&Orvex::IStream::s_classInfo));
    EXPECT_TRUE(s.CanDuplicateAs(&ISeqStreamWriter::s_classInfo));
    EXPECT_FALSE(s.CanDuplicateAs(&IFile::s_classInfo));
    EXPECT_EQ(CFileStream::FromObject(&s), &s);
    EXPECT_EQ(CFileStream::FromObject(nullptr), nullptr);
    EXPECT_EQ(CFileWin::FromObject(&s), nullptr);
    EXPECT_EQ(CFileWin::FromObject(&s.GetFile()), &s.GetFile());

    nkMem::IObjDuplicator* copy = nkMem::CloneObject(&s, &Orvex::IStream::s_classInfo);
    ASSERT_NE(copy, nullptr);
    auto* d = CFileStream::FromObject(copy);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->IsOpen());
    EXPECT_STREQ(d->GetFile().GetPath(), path.c_str());
    EXPECT_EQ(d->GetMode(), kModeRead);
    uint8_t b[4];
    EXPECT_EQ(d->Read(b, 4), 4u);
    EXPECT_EQ(b[0], Pattern(64)[0]);
    nkMem::DestroyObjectTree(copy);
    // The original stays open and usable after its duplicate is gone.
    EXPECT_EQ(s.GetLength(), 64u);

    EXPECT_EQ(nkMem::CloneObject(&s, &IFile::s_classInfo), nullptr);
    CMemStream mem;
    EXPECT_FALSE(s.Duplicate(&mem, &Orvex::IStream::s_classInfo));

    // The file's factory makes a closed file (the stream's made the clone).
    nkMem::CMemObject* f = nkMem::CreateObject(&CFileWin::s_classInfo);
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(CFileWin::FromObject(f)->IsOpen());
    EXPECT_TRUE(nkMem::IsKindOf(f, &IFile::s_classInfo));
    nkMem::DestroyObject(f);
}
