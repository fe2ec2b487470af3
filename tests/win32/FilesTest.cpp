#include "Win32TestSupport.h"

namespace
{

using FilesTest = testsupport::TempDirTest;

DWORD Position(HANDLE h)
{
    return SetFilePointer(h, 0, nullptr, FILE_CURRENT);
}

} // namespace

TEST_F(FilesTest, ReadWriteSeekAndTheEndOfFile)
{
    HANDLE h = Open("a.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(0u, GetLastError());
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
    EXPECT_EQ(11u, n);
    EXPECT_EQ(11u, GetFileSize(h, nullptr));
    EXPECT_EQ(0u, SetFilePointer(h, 0, nullptr, FILE_BEGIN));
    char buf[32] = {};
    ASSERT_TRUE(ReadFile(h, buf, 5, &n, nullptr));
    EXPECT_EQ(5u, n);
    EXPECT_EQ(std::string("hello"), std::string(buf, 5));
    // Relative and end-based moves, then a read past the end: success, 0 bytes.
    EXPECT_EQ(3u, SetFilePointer(h, -2, nullptr, FILE_CURRENT));
    EXPECT_EQ(9u, SetFilePointer(h, -2, nullptr, FILE_END));
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(2u, n);
    SetLastError(0xbad);
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(0xbadu, GetLastError());
    // SetEndOfFile cuts at the position; flushing a writable handle works.
    EXPECT_EQ(6u, SetFilePointer(h, 6, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(6u, GetFileSize(h, nullptr));
    EXPECT_TRUE(FlushFileBuffers(h));
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_EQ("hello ", ReadBytes("a.txt"));
}

TEST_F(FilesTest, CreationDispositions)
{
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, TryOpen("missing.txt", GENERIC_READ));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, TryOpen("nodir/missing.txt", GENERIC_READ, 0, OPEN_ALWAYS));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND,
              LAST_ERROR_IF(INVALID_HANDLE_VALUE,
                            CreateFileA("", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));

    WriteBytes("ten.txt", "0123456789");
    EXPECT_EQ(ERROR_FILE_EXISTS, TryOpen("ten.txt", GENERIC_WRITE, 0, CREATE_NEW));

    // OPEN_ALWAYS keeps the content and says the file was there.
    HANDLE h = Open("ten.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    DWORD n;
    ASSERT_TRUE(WriteFile(h, "abc", 3, &n, nullptr));
    CloseHandle(h);
    EXPECT_EQ("abc3456789", ReadBytes("ten.txt"));

    h = Open("new.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(0u, GetLastError());
    CloseHandle(h);

    h = Open("ten.txt", GENERIC_READ, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ(0u, GetFileSize(h, nullptr));
    CloseHandle(h);

    WriteBytes("t.txt", "xyz");
    // Known Wine difference: it truncates without write access, which Windows requires.
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER,
              TryOpen("t.txt", GENERIC_READ, 0, TRUNCATE_EXISTING));
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("t.txt", GENERIC_WRITE, 0, TRUNCATE_EXISTING));
    EXPECT_EQ("", ReadBytes("t.txt"));

    // Flags the asynchronous mode passes are accepted.
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("t.txt", GENERIC_READ, 0, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED));
}

TEST_F(FilesTest, InvalidClosedAndUnderprivilegedHandles)
{
    WriteBytes("f.txt", "data");
    HANDLE h = Open("f.txt", GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_TRUE(CloseHandle(h));

    char buf[4];
    DWORD n = 77;
    FILETIME ft;
    for (HANDLE bad : {h, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)})
    {
        EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(FALSE, ReadFile(bad, buf, 4, &n, nullptr)));
        EXPECT_EQ(0u, n);
        EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(FALSE, WriteFile(bad, buf, 4, &n, nullptr)));
        EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(INVALID_SET_FILE_POINTER,
                                                      SetFilePointer(bad, 0, nullptr, FILE_BEGIN)));
        EXPECT_EQ(ERROR_INVALID_HANDLE,
                  LAST_ERROR_IF(INVALID_FILE_SIZE, GetFileSize(bad, nullptr)));
        EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(FALSE, SetEndOfFile(bad)));
        EXPECT_EQ(ERROR_INVALID_HANDLE,
                  LAST_ERROR_IF(FALSE, GetFileTime(bad, &ft, nullptr, nullptr)));
    }
    EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(FALSE, CloseHandle(h)));

    // Access is checked per handle.
    HANDLE w = Open("f.txt", GENERIC_WRITE);
    EXPECT_EQ(ERROR_ACCESS_DENIED, LAST_ERROR_IF(FALSE, ReadFile(w, buf, 4, &n, nullptr)));
    CloseHandle(w);
    HANDLE r = Open("f.txt", GENERIC_READ);
    EXPECT_EQ(ERROR_ACCESS_DENIED, LAST_ERROR_IF(FALSE, WriteFile(r, "x", 1, &n, nullptr)));
    // Known Wine difference: its truncate of the read-only descriptor fails as invalid.
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_INVALID_PARAMETER : ERROR_ACCESS_DENIED,
              LAST_ERROR_IF(FALSE, SetEndOfFile(r)));
    EXPECT_EQ(ERROR_ACCESS_DENIED, LAST_ERROR_IF(FALSE, FlushFileBuffers(r)));
    CloseHandle(r);
    EXPECT_EQ("data", ReadBytes("f.txt"));
}

TEST_F(FilesTest, FilePointerAndSizeBeyondFourGigabytes)
{
    HANDLE h = Open("big.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);

    // Before the start: failure, ERROR_NEGATIVE_SEEK, position unchanged.
    SetFilePointer(h, 3, nullptr, FILE_BEGIN);
    EXPECT_EQ(ERROR_NEGATIVE_SEEK, LAST_ERROR_IF(INVALID_SET_FILE_POINTER,
                                                 SetFilePointer(h, -10, nullptr, FILE_CURRENT)));
    EXPECT_EQ(3u, Position(h));

    // Exactly 0xFFFFFFFF is a success that must be told apart by error 0.
    LONG high = 0;
    SetLastError(0xbad);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(h, -1, &high, FILE_BEGIN));
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(0, high);

    // The high-word form reaches past 4 GiB (sparse file).
    high = 1;
    EXPECT_EQ(5u, SetFilePointer(h, 5, &high, FILE_BEGIN));
    EXPECT_EQ(1, high);
    ASSERT_TRUE(SetEndOfFile(h));
    DWORD sizeHigh = 0;
    EXPECT_EQ(5u, GetFileSize(h, &sizeHigh));
    EXPECT_EQ(1u, sizeHigh);
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(h, &size));
    EXPECT_EQ(0x100000005LL, size.QuadPart);

    // Without the high word a position past 4 GiB cannot be told: refused, and
    // the pointer stays. Known Wine difference: it moves and returns the low word.
    SetFilePointer(h, 3, nullptr, FILE_BEGIN);
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(INVALID_SET_FILE_POINTER, SetFilePointer(h, 0, nullptr, FILE_END)));
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(3u, Position(h));
    }

    // A size whose low word is 0xFFFFFFFF: success with error 0.
    high = 1;
    SetFilePointer(h, -1, &high, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    SetLastError(0xbad);
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(h, &sizeHigh));
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(1u, sizeHigh);

    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(INVALID_SET_FILE_POINTER, SetFilePointer(h, 0, nullptr, 7)));
    CloseHandle(h);
}

// Fault injection goes through our layer's call table.
#ifndef _WIN32
TEST_F(FilesTest, InjectedFailuresReportTheirCodes)
{
    HANDLE h = Open("full.bin", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::string block(1000, 'x');

    // The disk fills after 100 bytes: the first write is short, the next fails.
    w32::ShortenNthCall(w32::SysCall::Pwrite, 1, 100);
    w32::FailNthCall(w32::SysCall::Pwrite, 2, ENOSPC);
    DWORD n = 0;
    EXPECT_EQ(ERROR_DISK_FULL, LAST_ERROR_IF(FALSE, WriteFile(h, block.data(), 1000, &n, nullptr)));
    EXPECT_EQ(100u, n);
    EXPECT_EQ(100u, GetFileSize(h, nullptr));

    w32::FailNthCall(w32::SysCall::Pwrite, 1, EIO);
    EXPECT_EQ(ERROR_IO_DEVICE, LAST_ERROR_IF(FALSE, WriteFile(h, block.data(), 10, &n, nullptr)));
    EXPECT_EQ(0u, n);
    w32::FailNthCall(w32::SysCall::Ftruncate, 1, EIO);
    EXPECT_EQ(ERROR_IO_DEVICE, LAST_ERROR_IF(FALSE, SetEndOfFile(h)));
    w32::FailNthCall(w32::SysCall::Fsync, 1, ENOSPC);
    EXPECT_EQ(ERROR_DISK_FULL, LAST_ERROR_IF(FALSE, FlushFileBuffers(h)));
    CloseHandle(h);

    // Interrupted calls are retried, not reported.
    h = Open("full.bin", GENERIC_READ);
    char buf[200];
    w32::FailNthCall(w32::SysCall::Pread, 1, EINTR);
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(100u, n);
    w32::FailNthCall(w32::SysCall::Pread, 1, EIO);
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    EXPECT_EQ(ERROR_IO_DEVICE, LAST_ERROR_IF(FALSE, ReadFile(h, buf, sizeof buf, &n, nullptr)));
    CloseHandle(h);

    w32::FailNthCall(w32::SysCall::Open, 1, EACCES);
    EXPECT_EQ(ERROR_ACCESS_DENIED, TryOpen("full.bin", GENERIC_READ));
    w32::FailNthCall(w32::SysCall::Open, 1, EMFILE);
    EXPECT_EQ(ERROR_TOO_MANY_OPEN_FILES, TryOpen("full.bin", GENERIC_READ));
}
#endif

TEST_F(FilesTest, DuplicateHandleSharesTheFile)
{
    WriteBytes("d.txt", "abcdef");
    HANDLE h = Open("d.txt", GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    HANDLE dup = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    EXPECT_NE(h, dup);
    SetFilePointer(h, 4, nullptr, FILE_BEGIN);
    EXPECT_EQ(4u, Position(dup)); // one file object, one position

    // Less access than the source: the duplicate cannot write.
    HANDLE readOnly = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &readOnly,
                                GENERIC_READ, FALSE, 0));
    DWORD n;
    EXPECT_EQ(ERROR_ACCESS_DENIED, LAST_ERROR_IF(FALSE, WriteFile(readOnly, "x", 1, &n, nullptr)));
    // More than the file was opened with cannot be granted.
    WriteBytes("e.txt", "e");
    HANDLE reader = Open("e.txt", GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    HANDLE wider = nullptr;
    const DWORD widened =
        LAST_ERROR_IF(FALSE, DuplicateHandle(GetCurrentProcess(), reader, GetCurrentProcess(),
                                             &wider, GENERIC_WRITE, FALSE, 0));
    if (widened == ERROR_SUCCESS)
        CloseHandle(wider);
    // Known Wine difference: it grants a file handle's duplicate more access than the file was
    // opened with.
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED, widened);
    CloseHandle(reader);

    // Closing the source through the duplication.
    HANDLE moved = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), dup, GetCurrentProcess(), &moved, 0, FALSE,
                                DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE));
#ifdef _WIN32
    // The system may hand the freed handle value straight back.
    if (moved != dup)
#endif
    {
        EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(FALSE, CloseHandle(dup)));
    }

    // The share lock lasts until the last handle to the file closes.
    CloseHandle(h);
    CloseHandle(readOnly);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, TryOpen("d.txt", GENERIC_READ));
    CloseHandle(moved);
    EXPECT_EQ(ERROR_SUCCESS, TryOpen("d.txt", GENERIC_READ));

    // Other processes are not reachable.
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              LAST_ERROR_IF(FALSE, DuplicateHandle(reinterpret_cast<HANDLE>(8), h,
                                                   GetCurrentProcess(), &dup, 0, FALSE, 0)));
}

TEST_F(FilesTest, DeleteRespectsSharingAndReadOnly)
{
    WriteBytes("del.txt", "x");
    HANDLE h = Open("del.txt", GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, LAST_ERROR_IF(FALSE, DeleteFileA(Path("del.txt").c_str())));
    CloseHandle(h);
    h = Open("del.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE);
    EXPECT_TRUE(DeleteFileA(Path("del.txt").c_str()));
    CloseHandle(h);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LAST_ERROR_IF(FALSE, DeleteFileA(Path("del.txt").c_str())));

    WriteBytes("ro.txt", "x");
    ASSERT_TRUE(SetFileAttributesA(Path("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ERROR_ACCESS_DENIED, LAST_ERROR_IF(FALSE, DeleteFileW(WPath("ro.txt").c_str())));

    // FILE_FLAG_DELETE_ON_CLOSE removes the file with its last handle.
    h = Open("tmp.txt", GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_TRUE(std::filesystem::exists(Path("tmp.txt")));
    CloseHandle(h);
    EXPECT_FALSE(std::filesystem::exists(Path("tmp.txt")));
}

TEST_F(FilesTest, CopyFileKeepsDataTimeAndAttributes)
{
    // The last error of a copy between two files of the folder.
    const auto copy = [this](const char* from, const char* to, BOOL failIfExists = FALSE)
    { return LAST_ERROR_IF(FALSE, CopyFileA(Path(from).c_str(), Path(to).c_str(), failIfExists)); };
    std::string data;
    for (int i = 0; i < 200000; ++i)
        data += static_cast<char>('a' + i % 26);
    WriteBytes("src.bin", data);
    HANDLE h = Open("src.bin", GENERIC_WRITE);
    SYSTEMTIME st{2009, 6, 0, 12, 0, 16, 47, 0};
    FILETIME written;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &written));
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &written));
    CloseHandle(h);
    ASSERT_TRUE(SetFileAttributesA(Path("src.bin").c_str(), FILE_ATTRIBUTE_HIDDEN));

    ASSERT_TRUE(CopyFileW(WPath("src.bin").c_str(), WPath("dst.bin").c_str(), TRUE));
    EXPECT_EQ(data, ReadBytes("dst.bin"));
    h = Open("dst.bin", GENERIC_READ, FILE_SHARE_READ);
    FILETIME copied{};
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &copied));
    CloseHandle(h);
    EXPECT_EQ(written.dwLowDateTime, copied.dwLowDateTime);
    EXPECT_EQ(written.dwHighDateTime, copied.dwHighDateTime);
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, AttributesOf("dst.bin"));

    EXPECT_EQ(ERROR_FILE_EXISTS, copy("src.bin", "dst.bin", TRUE));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, copy("none.bin", "dst.bin"));

    // A source held without sharing cannot be read.
    h = Open("src.bin", GENERIC_READ, 0);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, copy("src.bin", "dst2.bin"));
    CloseHandle(h);

    // Open elsewhere: the copy needs the source shared for reading and the
    // destination for writing.
    HANDLE src = Open("src.bin", GENERIC_READ, FILE_SHARE_READ);
    HANDLE dst = Open("dst.bin", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(ERROR_SUCCESS, copy("src.bin", "dst.bin"));
    CloseHandle(dst);
    dst = Open("dst.bin", GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, copy("src.bin", "dst.bin"));
    CloseHandle(dst);
    CloseHandle(src);

    // Onto itself: refused, the file keeps its content.
    EXPECT_EQ(ERROR_SHARING_VIOLATION, copy("src.bin", "src.bin"));
    EXPECT_EQ(data, ReadBytes("src.bin"));

    // A source without the hidden flag may not replace a hidden destination.
    ASSERT_EQ(FILE_ATTRIBUTE_HIDDEN, AttributesOf("dst.bin"));
    ASSERT_EQ(data, ReadBytes("dst.bin"));
    WriteBytes("plain.bin", "plain");
    const DWORD overHidden = copy("plain.bin", "dst.bin");
    // Known Wine difference: it replaces a hidden file whatever flags the new one has.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(ERROR_ACCESS_DENIED, overHidden);
        EXPECT_EQ(data, ReadBytes("dst.bin"));
        EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, AttributesOf("dst.bin"));
    }

#ifndef _WIN32
    // A failing disk leaves no half-written copy.
    w32::FailNthCall(w32::SysCall::Pwrite, 2, ENOSPC);
    EXPECT_EQ(ERROR_DISK_FULL, copy("src.bin", "dst3.bin"));
    EXPECT_FALSE(std::filesystem::exists(Path("dst3.bin")));
#endif

    // A read-only destination is not overwritten.
    ASSERT_TRUE(SetFileAttributesA(Path("dst.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD overReadOnly = copy("src.bin", "dst.bin");
    // Known Wine difference: read-only is only the Unix write bits there, which root passes.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(ERROR_ACCESS_DENIED, overReadOnly);
    }
}

TEST_F(FilesTest, FoldersAndNamesOutsideAscii)
{
    std::filesystem::create_directory(Path("sub"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, TryOpen("sub", GENERIC_READ));
    HANDLE d =
        Open("sub", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(INVALID_HANDLE_VALUE, d);
    char c;
    DWORD n;
    EXPECT_EQ(ERROR_INVALID_FUNCTION, LAST_ERROR_IF(FALSE, ReadFile(d, &c, 1, &n, nullptr)));
    CloseHandle(d);
    // Write access too, which setting a folder's times asks for; never without
    // backup semantics.
    d = Open("sub", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(INVALID_HANDLE_VALUE, d);
    FILETIME t{0xD53E8000u, 0x01D9B0A1u};
    EXPECT_TRUE(SetFileTime(d, nullptr, nullptr, &t));
    CloseHandle(d);
    EXPECT_EQ(ERROR_ACCESS_DENIED, TryOpen("sub", GENERIC_WRITE, FILE_SHARE_READ));

    // A wide name keeps every code point, those beyond the basic plane too.
    const std::wstring wide = WPath("") + L"\u4e2d\u6587\U0001F600.xml";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wide.c_str()));
#ifdef _WIN32
    EXPECT_TRUE(std::filesystem::exists(wide));
#else
    // On disk it is UTF-8.
    EXPECT_TRUE(std::filesystem::exists(Path("\xe4\xb8\xad\xe6\x96\x87\xf0\x9f\x98\x80.xml")));

    // A narrow name is in the ANSI code page, which our layer takes from VELMAR_ACP.
    {
        testsupport::EnvGuard env;
        env.set("VELMAR_ACP", "936");
        w32::ReloadAnsiCodePage();
        EXPECT_EQ(ERROR_SUCCESS, TryOpen("\xd6\xd0.txt", GENERIC_WRITE, 0, CREATE_NEW));
    }
    w32::ReloadAnsiCodePage();
    EXPECT_TRUE(std::filesystem::exists(Path("\xe4\xb8\xad.txt")));
#endif
}

TEST_F(FilesTest, KeptLengthAndReadAheadFollowEveryChange)
{
    WriteBytes("c.txt", "abcdefgh");
    // Denying write sharing lets the handle keep length and read-ahead.
    HANDLE h = Open("c.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char c = 0;
    DWORD n;
    ASSERT_TRUE(ReadFile(h, &c, 1, &n, nullptr));
    EXPECT_EQ('a', c);
    // A write over bytes already read ahead is seen by the next read.
    ASSERT_TRUE(WriteFile(h, "XY", 2, &n, nullptr));
    SetFilePointer(h, 1, nullptr, FILE_BEGIN);
    char two[2];
    ASSERT_TRUE(ReadFile(h, two, 2, &n, nullptr));
    EXPECT_EQ(std::string("XY"), std::string(two, 2));
    // Writing past the end and cutting back keep the length right.
    SetFilePointer(h, 0, nullptr, FILE_END);
    ASSERT_TRUE(WriteFile(h, "ij", 2, &n, nullptr));
    EXPECT_EQ(10u, GetFileSize(h, nullptr));
    SetFilePointer(h, 4, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(4u, GetFileSize(h, nullptr));
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    char all[16];
    ASSERT_TRUE(ReadFile(h, all, sizeof all, &n, nullptr));
    EXPECT_EQ(std::string("aXYd"), std::string(all, n));

    // A duplicate shares position and cache.
    HANDLE dup = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(WriteFile(dup, "Q", 1, &n, nullptr));
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(ReadFile(h, &c, 1, &n, nullptr));
    EXPECT_EQ('Q', c);
    CloseHandle(dup);
    CloseHandle(h);
    EXPECT_EQ("QXYd", ReadBytes("c.txt"));

    // Where others may write, every answer comes from the file system.
    h = Open("c.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(ReadFile(h, &c, 1, &n, nullptr));
    WriteBytes("c.txt", "0123456789");
    EXPECT_EQ(10u, GetFileSize(h, nullptr));
    ASSERT_TRUE(ReadFile(h, &c, 1, &n, nullptr));
    EXPECT_EQ('1', c);
    CloseHandle(h);
}

TEST_F(FilesTest, OverlappedRecordOnASynchronousHandleAndAppendOnlyAccess)
{
    WriteBytes("o.txt", "0123456789");
    HANDLE h = Open("o.txt", GENERIC_READ | GENERIC_WRITE);
    OVERLAPPED ov{};
    ov.Offset = 6;
    char buf[8];
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(h, buf, 2, &n, &ov));
    EXPECT_EQ(std::string("67"), std::string(buf, n));
    EXPECT_EQ(2u, ov.InternalHigh);
    EXPECT_EQ(8u, Position(h)); // the file pointer follows the transfer
    ov.Offset = 10;
    EXPECT_EQ(ERROR_HANDLE_EOF, LAST_ERROR_IF(FALSE, ReadFile(h, buf, 2, &n, &ov)));
    ov.Offset = 0xFFFFFFFFu;
    ov.OffsetHigh = 0xFFFFFFFFu; // write at the end
    ASSERT_TRUE(WriteFile(h, "!", 1, &n, &ov));
    CloseHandle(h);
    EXPECT_EQ("0123456789!", ReadBytes("o.txt"));

    // Append-only access writes at the end wherever the pointer stands.
    h = Open("o.txt", FILE_APPEND_DATA);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(WriteFile(h, "?", 1, &n, nullptr));
    CloseHandle(h);
    EXPECT_EQ("0123456789!?", ReadBytes("o.txt"));
}

TEST_F(FilesTest, ThreadsSharingAHandleReadEachByteOnce)
{
    std::string data(20000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i % 251);
    WriteBytes("t.bin", data);
    HANDLE h = Open("t.bin", GENERIC_READ);
    // One file pointer: together the threads read the file exactly once.
    std::atomic<size_t> total{0};
    std::atomic<unsigned long> sum{0};
    auto reader = [&]
    {
        unsigned char c;
        DWORD n = 0;
        while (ReadFile(h, &c, 1, &n, nullptr) && n == 1)
        {
            total += 1;
            sum += c;
        }
    };
    std::thread a(reader), b(reader);
    a.join();
    b.join();
    unsigned long expected = 0;
    for (unsigned char c : data)
        expected += c;
    EXPECT_EQ(data.size(), total.load());
    EXPECT_EQ(expected, sum.load());
    CloseHandle(h);
}
