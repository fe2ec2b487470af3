// CFileWin on real files in a temporary folder.
#include "StreamTestUtil.h"

#include <cerrno>
#include <filesystem>

using namespace Orvex;
using namespace testsupport;

namespace
{
using FileWinTest = ScratchTest;

// A calendar record from its fields (set in this order: the day is clamped
// by the month and year before it), and its fields back.
CDateTime Date(uint32_t year, uint32_t month, uint32_t day, uint32_t hour = 0, uint32_t minute = 0,
               uint32_t second = 0, uint32_t ms = 0)
{
    CDateTime t;
    t.SetYear(year);
    t.SetMonth(month);
    t.SetDay(day);
    t.SetHour(hour);
    t.SetMinute(minute);
    t.SetSecond(second);
    t.SetMillisecond(ms);
    return t;
}

std::vector<uint32_t> Fields(const CDateTime& t)
{
    return {t.GetYear(),   t.GetMonth(),  t.GetDay(),        t.GetHour(),
            t.GetMinute(), t.GetSecond(), t.GetMillisecond()};
}
} // namespace

TEST_F(FileWinTest, CreateFlagOpensOrCreatesButNeverTruncates)
{
    const std::string path = dir.file("ten.bin");
    CFileWin f;
    SetLastError(0xBAD);
    EXPECT_FALSE(f.Open(path.c_str(), kModeRead, false));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_STREQ(f.GetPath(), "");
    EXPECT_EQ(f.GetMode(), 0u);
    // Known Wine difference: its message table words this code differently.
    const std::string text =
        UnderWine() ? "File not found.\r\n" : "The system cannot find the file specified.\r\n";
    EXPECT_EQ(f.GetLastErrorText(), text);
    EXPECT_EQ(std::wstring(f.GetLastErrorTextW()), std::wstring(text.begin(), text.end()));

    // Created when missing, empty: at the end and at the start at once.
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, true));
    EXPECT_STREQ(f.GetPath(), path.c_str());
    EXPECT_TRUE(f.IsEof());
    EXPECT_TRUE(f.IsAtStart());
    f.Close();
    f.Close(); // harmless twice
    EXPECT_FALSE(f.IsOpen());

    WriteBytes(path, std::vector<uint8_t>(10, 'x'));
    ASSERT_TRUE(f.Open(path.c_str(), kModeWrite, true));
    EXPECT_EQ(f.GetLength(), 10u);
    EXPECT_TRUE(f.IsAtStart());
    EXPECT_EQ(f.Write("abc", 3), 3u);
    f.Close();
    EXPECT_EQ(ReadBytes(path),
              (std::vector<uint8_t>{'a', 'b', 'c', 'x', 'x', 'x', 'x', 'x', 'x', 'x'}));

    // Reopening closes first; a failed open leaves the file closed.
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead, false));
    EXPECT_FALSE(f.Open(dir.file("missing").c_str(), kModeRead, false));
    EXPECT_FALSE(f.IsOpen());
}

TEST_F(FileWinTest, ModeRefusesTransfersWithoutASystemCallAndNoSeekRefusesSeeks)
{
    const std::string path = WriteBytes(dir.file("data.bin"), Pattern(100));
    CFileWin w;
    ASSERT_TRUE(w.Open(path.c_str(), kModeWrite, false));
    uint8_t buf[16];
    const auto reads = ReadCalls();
    EXPECT_EQ(w.Read(buf, 16), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadCalls(), reads);
    EXPECT_TRUE(w.IsWritable());
    w.Close();

    CFileWin r;
    ASSERT_TRUE(r.Open(path.c_str(), kModeRead | kModeNoSeek, false));
    const auto writes = WriteCalls();
    EXPECT_EQ(r.Write("x", 1), 0u);
    EXPECT_EQ(WriteCalls(), writes);
    EXPECT_FALSE(r.IsWritable());
    EXPECT_EQ(r.Read(buf, 10), 10u);
    EXPECT_FALSE(r.Seek(0, kSeekBegin));
    EXPECT_FALSE(r.Seek64(0, 0, kSeekBegin));
    EXPECT_FALSE(r.SetLength(0));
    EXPECT_EQ(r.GetPosition(), 10u);
    // Reads go on sequentially.
    EXPECT_EQ(r.Read(buf, 1), 1u);
    EXPECT_EQ(buf[0], Pattern(100)[10]);
    r.Close(); // opened without sharing: nobody else may read it meanwhile
    EXPECT_EQ(ReadBytes(path).size(), 100u);
}

TEST_F(FileWinTest, SeekOriginsRelativeStepsBackEofAndPeek)
{
    const auto bytes = Pattern(50);
    const std::string path = WriteBytes(dir.file("seek.bin"), bytes);
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead, false));
    uint8_t b = 0;
    EXPECT_TRUE(f.Seek(10, kSeekBegin));
    EXPECT_TRUE(f.Seek(-2, kSeekCurrent));
    EXPECT_EQ(f.GetPosition(), 8u);
    EXPECT_TRUE(f.Seek(-4, 99)); // any other origin: current
    EXPECT_EQ(f.GetPosition(), 4u);
    // Steps before the start are refused and leave the position (INT32_MIN
    // too, whose magnitude has no signed form).
    EXPECT_EQ(f.SkipCount(-5), 0u);
    EXPECT_EQ(f.SkipCount(INT32_MIN), 0u);
    EXPECT_EQ(f.SkipCount(-4), 4u);
    EXPECT_TRUE(f.IsAtStart());
    EXPECT_TRUE(f.Seek(-3, kSeekEnd));
    EXPECT_EQ(f.GetPosition64(), 47u);
    uint8_t buf[5] = {};
    EXPECT_EQ(f.Peek(buf, 5), 3u);
    EXPECT_EQ(f.GetPosition(), 47u);
    EXPECT_EQ(buf[0], bytes[47]);
    EXPECT_EQ(f.GetRemaining(), 3u);
    EXPECT_EQ(f.Read(buf, 2), 2u);
    EXPECT_FALSE(f.IsEof());
    EXPECT_EQ(f.ReadByte(&b), 1u);
    EXPECT_EQ(b, bytes[49]);
    EXPECT_TRUE(f.IsEof());
    EXPECT_EQ(f.Read(buf, 5), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)); // the end, not a failure
    EXPECT_EQ(f.Peek(buf, 5), 0u);
    // Past the end is a position too; nothing remains there.
    EXPECT_TRUE(f.Seek(10, kSeekEnd));
    EXPECT_EQ(f.GetRemaining(), 0u);
}

TEST_F(FileWinTest, LongNamesAreCutTo259AndThenNotUsedToReachAnotherFile)
{
    // A 300-character path through folders (each name within the system's limit).
    std::string folder = dir.path();
    while (folder.size() + 41 < 280)
    {
        folder += "/" + std::string(40, 'd');
        std::filesystem::create_directory(folder);
    }
    const std::string path = folder + "/" + std::string(300 - folder.size() - 1, 'f');
    ASSERT_EQ(path.size(), 300u);
    CFileWin f;
#ifdef _WIN32
    // Windows limits the ANSI call to MAX_PATH characters, so the name never opens.
    EXPECT_FALSE(f.Open(path.c_str(), kModeRead | kModeWrite, true));
    return;
#endif
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, true));
    EXPECT_EQ(std::string(f.GetPath()), path.substr(0, 259));
    EXPECT_EQ(std::wstring(f.GetPathW()), std::wstring(path.begin(), path.begin() + 259));
    EXPECT_FALSE(f.IsPathExact());
    // The cut name is a different file: attribute calls refuse it.
    EXPECT_EQ(f.GetAttributes(), 15u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(f.SetAttributes(kAttrReadOnly));
    EXPECT_EQ(f.Write("ok", 2), 2u);
    f.Close();

    const std::wstring wide(path.begin(), path.end());
    ASSERT_TRUE(f.Open(wide.c_str(), kModeRead, false));
    EXPECT_EQ(std::wstring(f.GetPathW()), wide.substr(0, 259));
    EXPECT_EQ(std::string(f.GetPath()), path.substr(0, 259));
    EXPECT_EQ(f.GetLength(), 2u);
}

TEST_F(FileWinTest, TimesThroughTheCalendarRecord)
{
    CFileWin f;
    ASSERT_TRUE(f.Open(dir.file("times.bin").c_str(), kModeRead | kModeWrite, true));
    EXPECT_EQ(f.GetTimes(nullptr, nullptr, nullptr), 0u);
    CDateTime written;
    written.SetYear(1999);
    EXPECT_EQ(f.GetTimes(nullptr, &written, nullptr), 1u);
    EXPECT_GE(written.GetYear(), 2020u);

    const CDateTime t = Date(2001, 2, 3, 4, 5, 6, 789);
    EXPECT_EQ(f.SetTimes(nullptr, &t, nullptr), 1u);
    CDateTime c, w, a;
    EXPECT_EQ(f.GetTimes(&c, &w, &a), 3u);
    EXPECT_EQ(Fields(w), Fields(t));

    // A reset record names no instant: refused, nothing written.
    CDateTime zero;
    EXPECT_EQ(f.SetTimes(&zero, nullptr, nullptr), 0u);
    f.Close();
    // On a closed file nothing is filled, and the records are reset.
    EXPECT_EQ(f.GetTimes(nullptr, &w, nullptr), 0u);
    EXPECT_EQ(w.GetYear(), 0u);
}

TEST(DateTime, CalendarRulesClampAndWrap)
{
    // Months clamp into 1..12, days into the month of that year (leap years,
    // centuries that are not), the clock fields wrap.
    EXPECT_EQ(Fields(Date(2024, 0, 1)), (std::vector<uint32_t>{2024, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Fields(Date(2024, 13, 31)), (std::vector<uint32_t>{2024, 12, 31, 0, 0, 0, 0}));
    EXPECT_EQ(Fields(Date(2024, 2, 30, 25, 61, 120, 1500)),
              (std::vector<uint32_t>{2024, 2, 29, 1, 1, 0, 500}));
    EXPECT_EQ(Date(1900, 2, 29).GetDay(), 28u);
    EXPECT_EQ(Date(2000, 2, 29).GetDay(), 29u);
    EXPECT_EQ(Date(2023, 4, 0).GetDay(), 1u);
    CDateTime t = Date(2024, 5, 6, 7, 8, 9, 10);
    t.Reset();
    EXPECT_EQ(Fields(t), std::vector<uint32_t>(7, 0));
}

TEST_F(FileWinTest, AttributesNeedTheWriteBitToChange)
{
    const std::string path = WriteBytes(dir.file("attr.bin"), {1, 2, 3});
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead, false));
    EXPECT_FALSE(f.SetAttributes(kAttrReadOnly));
    EXPECT_EQ(f.GetAttributes(), 0u);
    f.Close();
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, false));
    EXPECT_TRUE(f.SetAttributes(kAttrReadOnly | kAttrSystem)); // only read-only and hidden are set
    EXPECT_EQ(f.GetAttributes(), kAttrReadOnly);
    EXPECT_TRUE(f.SetAttributes(0));
    EXPECT_EQ(f.GetAttributes(), 0u);
    f.Close();
    // A closed file has no name to ask about.
    EXPECT_EQ(f.GetAttributes(), 15u);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(FileWinTest, LengthsAcross4GiBThroughThe64BitForms)
{
    const std::string path = dir.file("sparse.bin");
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, true));
    EXPECT_TRUE(f.SetLength(3000000000u)); // beyond the signed 32-bit range
    EXPECT_EQ(f.GetLength(), 3000000000u);
    if (!f.SetLength64(0x10, 1)) // the file system may not take sparse 4 GiB files
        GTEST_SKIP() << "no 4 GiB file here";
    EXPECT_EQ(f.GetLength64(), 0x100000010ull);
    EXPECT_EQ(f.GetPosition64(), 0x100000010ull);
    EXPECT_TRUE(f.Seek64(0, 1, kSeekBegin));
    EXPECT_EQ(f.GetPosition64(), 0x100000000ull);
    f.Close();

    CFileStream s(path.c_str(), kModeRead, false);
    ASSERT_TRUE(s.IsOpen());
    EXPECT_EQ(s.GetLength64(), 0x100000010ull);
    EXPECT_TRUE(s.Seek64(8, 1, kSeekBegin));
    EXPECT_EQ(s.GetPosition64(), 0x100000008ull);
    // Relative steps up there, and the end told by whole positions: at 0x10
    // the low words of position and length are the same.
    EXPECT_TRUE(s.Skip(8));
    EXPECT_TRUE(s.IsEof());
    EXPECT_TRUE(s.Skip(-4));
    EXPECT_EQ(s.GetPosition64(), 0x10000000Cull);
    EXPECT_TRUE(s.Seek64(0x10, 0, kSeekBegin));
    EXPECT_FALSE(s.IsEof());
}

#ifndef _WIN32
TEST_F(FileWinTest, FullDiskIsReportedWithTheBytesThatReachedTheFile)
{
    CFileWin f;
    ASSERT_TRUE(f.Open(dir.file("full.bin").c_str(), kModeRead | kModeWrite, true));
    w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC);
    EXPECT_EQ(f.Write("hello", 5), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));

    // Part-way: 100 bytes go in, then the disk is full.
    w32::ShortenNthCall(w32::SysCall::Pwrite, 1, 100);
    w32::FailNthCall(w32::SysCall::Pwrite, 2, ENOSPC);
    const auto bytes = Pattern(1000);
    EXPECT_EQ(f.Write(bytes.data(), 1000), 100u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(f.GetPosition(), 100u);
    EXPECT_EQ(f.GetLength(), 100u);

    // A failing read is 0 with the error kept, unlike the end of the file.
    f.Seek(0, kSeekBegin);
    w32::FailNthCall(w32::SysCall::Pread, 1, EIO);
    uint8_t buf[10];
    EXPECT_EQ(f.Read(buf, 10), 0u);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(f.Read(buf, 10), 10u);

    // Flushing and cutting report their failures too.
    w32::FailNthCall(w32::SysCall::Fsync, 1, EIO);
    EXPECT_FALSE(f.Flush());
    EXPECT_TRUE(f.Flush());
    w32::FailNthCall(w32::SysCall::Ftruncate, 1, EIO);
    EXPECT_FALSE(f.SetLength(10));
    EXPECT_EQ(f.GetLength(), 100u);
    EXPECT_TRUE(f.SetLength(10));
    EXPECT_EQ(f.GetLength(), 10u);

    // A write that goes in whole is one system call.
    const auto writes = WriteCalls();
    EXPECT_EQ(f.Write(bytes.data(), 1000), 1000u);
    EXPECT_EQ(WriteCalls() - writes, 1u);
}
#endif

TEST_F(FileWinTest, TimesAndCopiesByName)
{
    const std::string path = WriteBytes(dir.file("named.bin"), Pattern(10));
    const CDateTime t = Date(2010, 6, 15, 12);
    EXPECT_FALSE(SetFileTimes(path.c_str(), nullptr, nullptr, nullptr));
    EXPECT_TRUE(SetFileTimes(path.c_str(), nullptr, &t, &t));
    CDateTime w, a;
    EXPECT_FALSE(GetFileTimes(path.c_str(), nullptr, nullptr, nullptr));
    const std::wstring wpath(path.begin(), path.end());
    ASSERT_TRUE(GetFileTimes(wpath.c_str(), nullptr, &w, &a));
    EXPECT_EQ(w.GetYear(), 2010u);
    EXPECT_EQ(w.GetDay(), 15u);
    EXPECT_EQ(a.GetHour(), 12u);
    EXPECT_FALSE(GetFileTimes(dir.file("none").c_str(), &w, nullptr, nullptr));

    ASSERT_TRUE(SetFolderTimes(dir.path().c_str(), nullptr, &t, nullptr));
    ASSERT_TRUE(GetFolderTimes(dir.path().c_str(), nullptr, &w, nullptr));
    EXPECT_EQ(w.GetYear(), 2010u);

    const std::wstring copy = std::wstring(dir.path().begin(), dir.path().end()) + L"/copy.bin";
    EXPECT_TRUE(CopyFileByPath(wpath.c_str(), copy.c_str(), false));
    EXPECT_FALSE(CopyFileByPath(wpath.c_str(), copy.c_str(), false)); // exists
    EXPECT_TRUE(CopyFileByPath(wpath.c_str(), copy.c_str(), true));
    EXPECT_EQ(ReadBytes(dir.file("copy.bin")), Pattern(10));

    EXPECT_TRUE(SetFileAttributesByPath(path.c_str(), kAttrReadOnly));
    CFileWin f;
    // Known Wine difference: the attribute lives in the Unix permission bits,
    // which do not stop a root process.
    if (!UnderWine())
    {
        EXPECT_FALSE(f.Open(path.c_str(), kModeWrite, false)); // read-only now
    }
    f.Close();
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead, false));
    EXPECT_EQ(f.GetAttributes(), kAttrReadOnly);
    f.Close();
    EXPECT_TRUE(SetFileAttributesByPath(path.c_str(), 0));
    EXPECT_TRUE(f.Open(path.c_str(), kModeWrite, false));
}

TEST_F(FileWinTest, WideNamesHaveANarrowFormCutAtWholeCharacters)
{
    const std::wstring wdir(dir.path().begin(), dir.path().end());
    const std::wstring name = wdir + L"/\u00e9t\u00e9-\u6587\u4ef6.xml";
    CFileWin f;
    ASSERT_TRUE(f.Open(name.c_str(), kModeWrite, true));
    EXPECT_STREQ(f.GetPathW(), name.c_str());
    if (GetACP() != CP_UTF8)
        GTEST_SKIP() << "the narrow forms need a UTF-8 ANSI code page";
    EXPECT_EQ(f.GetPath(), dir.path() + "/\xc3\xa9t\xc3\xa9-\xe6\x96\x87\xe4\xbb\xb6.xml");
    EXPECT_TRUE(f.IsPathExact());
    EXPECT_EQ(f.GetAttributes(), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    // 3 bytes per character in UTF-8: 259 characters would need 777 bytes.
    std::wstring folder = wdir;
    std::string folderUtf8 = dir.path();
    const std::wstring part(80, L'\u6587');
    std::string partUtf8;
    for (int i = 0; i < 80; ++i)
        partUtf8 += "\xe6\x96\x87";
    for (int i = 0; i < 3; ++i)
    {
        folder += L"/" + part;
        folderUtf8 += "/" + partUtf8;
        std::filesystem::create_directory(folderUtf8);
    }
    const std::wstring path = folder + L"/" + std::wstring(20, L'\u4ef6');
    ASSERT_GT(path.size(), 259u);
    ASSERT_TRUE(f.Open(path.c_str(), kModeWrite, true));
    EXPECT_EQ(std::wstring(f.GetPathW()), path.substr(0, 259));
    const std::string narrow = f.GetPath();
    EXPECT_LE(narrow.size(), 519u);
    EXPECT_GT(narrow.size(), 500u);
    // Whole characters only: it converts back to a prefix of the name.
    std::wstring back;
    ASSERT_TRUE(WideName(narrow.data(), narrow.size(), back));
    EXPECT_EQ(back, path.substr(0, back.size()));
    EXPECT_FALSE(f.IsPathExact());
    EXPECT_EQ(f.Write("x", 1), 1u);
}
