// The run-time's access and stat queries: what exists, what may be written,
// and the quirks programs test for (folders, read-only files, big files).
#include "Win32TestSupport.h"

// errno after a call that answered -1 (cleared before it), 0 after one that did not.
#define ERRNO_IF_FAILED(call) (errno = 0, (call) == -1 ? errno : 0)

namespace
{

class CrtFilesTest : public testsupport::TempDirTest
{
protected:
    // The last-write time in whole seconds since 1970, as the system reports it.
    time_t WrittenAt(const std::string& name) const
    {
        HANDLE h = Open(name, GENERIC_READ, FILE_SHARE_READ);
        FILETIME written{};
        const bool ok = h != INVALID_HANDLE_VALUE && GetFileTime(h, nullptr, nullptr, &written);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        if (!ok)
            return -1;
        const unsigned long long ticks =
            (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
        return static_cast<time_t>((ticks - 116444736000000000ULL) / 10000000ULL);
    }

    // A sparse file of the given size, made through the file calls.
    bool MakeFileOfSize(const std::string& name, long long size) const
    {
        HANDLE h = Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        LONG high = static_cast<LONG>(size >> 32);
        const bool ok = SetFilePointer(h, static_cast<LONG>(size & 0xFFFFFFFF), &high,
                                       FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                        SetEndOfFile(h);
        CloseHandle(h);
        return ok;
    }
};

} // namespace

TEST_F(CrtFilesTest, AccessAnswersExistenceAndWriteAsWindowsDoes)
{
    WriteBytes("plain.xml", "abc");
    WriteBytes("read only.xml", "abc");
    ASSERT_TRUE(SetFileAttributesA(Path("read only.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    std::filesystem::create_directory(Path("folder"));

    SetLastError(0xBAD);
    EXPECT_EQ(0, _waccess(WPath("plain.xml").c_str(), 0));
    EXPECT_EQ(0, _waccess(WPath("plain.xml").c_str(), 6));
    EXPECT_EQ(0, _access(Path("plain.xml").c_str(), 2));
    EXPECT_EQ(0, _waccess(WPath("read only.xml").c_str(), 4));
    EXPECT_EQ(EACCES, ERRNO_IF_FAILED(_waccess(WPath("read only.xml").c_str(), 2)));
    // A folder exists and is never read-only.
    EXPECT_EQ(0, _waccess(WPath("folder").c_str(), 0));
    EXPECT_EQ(0, _waccess(WPath("folder").c_str(), 2));

    EXPECT_EQ(ENOENT, ERRNO_IF_FAILED(_waccess(WPath("missing.xml").c_str(), 0)));
    EXPECT_EQ(ENOENT, ERRNO_IF_FAILED(_waccess(WPath("missing/x.xml").c_str(), 0)));
    EXPECT_EQ(ENOENT, ERRNO_IF_FAILED(_waccess(L"", 0))); // an empty name names nothing
#ifndef _WIN32
    // Execute is no access mode of the run-time's, and a null name is no name:
    // our layer refuses both with EINVAL, where the system's run-time calls its
    // invalid-parameter handler (the old msvcrt.dll even lets mode 1 pass).
    EXPECT_EQ(EINVAL, ERRNO_IF_FAILED(_waccess(WPath("plain.xml").c_str(), 1)));
    EXPECT_EQ(EINVAL, ERRNO_IF_FAILED(_waccess(nullptr, 0)));
    // Only errno reports; our layer leaves the Win32 last error alone even on
    // failure, where the system's run-time passes on what its own calls set.
    EXPECT_EQ(0xBADu, GetLastError());
#endif
}

TEST_F(CrtFilesTest, StatTellsFilesFromFoldersWithTheRuntimesModeBits)
{
    WriteBytes("doc.xml", "12345");
    WriteBytes("tool.EXE", "x");
    WriteBytes("ro.xml", "");
    ASSERT_TRUE(SetFileAttributesA(Path("ro.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    std::filesystem::create_directory(Path("folder"));

    struct _stat st;
    ASSERT_EQ(0, _wstat(WPath("doc.xml").c_str(), &st));
    EXPECT_EQ(_S_IFREG, st.st_mode & _S_IFMT);
    EXPECT_EQ(0x1B6, st.st_mode & 0777); // read and write for all three
    EXPECT_EQ(5, st.st_size);
    EXPECT_EQ(WrittenAt("doc.xml"), st.st_mtime);

    ASSERT_EQ(0, _wstat(WPath("tool.EXE").c_str(), &st));
    EXPECT_EQ(0x1FF, st.st_mode & 0777);
    ASSERT_EQ(0, _wstat(WPath("ro.xml").c_str(), &st));
    EXPECT_EQ(0x124, st.st_mode & 0777);
    ASSERT_EQ(0, _wstat(WPath("folder").c_str(), &st));
    EXPECT_EQ(_S_IFDIR, st.st_mode & _S_IFMT);
    EXPECT_EQ(0, st.st_size);

    EXPECT_EQ(ENOENT, ERRNO_IF_FAILED(_wstat(WPath("missing").c_str(), &st)));
#ifndef _WIN32
    // A null buffer goes to the invalid-parameter handler on Windows.
    EXPECT_EQ(EINVAL, ERRNO_IF_FAILED(_wstat(WPath("doc.xml").c_str(), nullptr)));
#endif
}

TEST_F(CrtFilesTest, ThirtyTwoBitStatRefusesFilesOfTwoGigabytesThe64BitOneMeasures)
{
    ASSERT_TRUE(MakeFileOfSize("big.xml", 0x80000000LL));
#ifndef __MINGW32__
    // MinGW's own _wstat wrapper cuts the size to 32 bits instead.
    struct _stat st;
    EXPECT_EQ(EOVERFLOW, ERRNO_IF_FAILED(_wstat(WPath("big.xml").c_str(), &st)));
#endif
    struct _stat64 st64;
    ASSERT_EQ(0, _wstat64(WPath("big.xml").c_str(), &st64));
    EXPECT_EQ(0x80000000LL, st64.st_size);
    EXPECT_EQ(_S_IFREG, st64.st_mode & _S_IFMT);
}
