// The run-time's access and stat queries: what exists, what may be written,
// and the quirks programs test for (folders, read-only files, big files).
#include "TempDir.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CrtFilesTest : public TempDirTest {
protected:
    std::wstring W(const std::string& name) const { return w32::WideFromUtf8(Path(name)); }
};

} // namespace

TEST_F(CrtFilesTest, AccessAnswersExistenceAndWriteAsWindowsDoes)
{
    WriteBytes("plain.xml", "abc");
    WriteBytes("read only.xml", "abc");
    ASSERT_TRUE(SetFileAttributesA(Path("read only.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    std::filesystem::create_directory(Path("folder"));

    SetLastError(0xBAD);
    EXPECT_EQ(0, _waccess(W("plain.xml").c_str(), 0));
    EXPECT_EQ(0, _waccess(W("plain.xml").c_str(), 6));
    EXPECT_EQ(0, _access(Path("plain.xml").c_str(), 2));
    EXPECT_EQ(0, _waccess(W("read only.xml").c_str(), 4));
    errno = 0;
    EXPECT_EQ(-1, _waccess(W("read only.xml").c_str(), 2));
    EXPECT_EQ(EACCES, errno);
    // A folder exists and is never read-only.
    EXPECT_EQ(0, _waccess(W("folder").c_str(), 0));
    EXPECT_EQ(0, _waccess(W("folder").c_str(), 2));

    errno = 0;
    EXPECT_EQ(-1, _waccess(W("missing.xml").c_str(), 0));
    EXPECT_EQ(ENOENT, errno);
    errno = 0;
    EXPECT_EQ(-1, _waccess(W("missing/x.xml").c_str(), 0));
    EXPECT_EQ(ENOENT, errno);
    // Execute is no access mode of the run-time's; empty and null names are errors.
    errno = 0;
    EXPECT_EQ(-1, _waccess(W("plain.xml").c_str(), 1));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(-1, _waccess(nullptr, 0));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(-1, _waccess(L"", 0));
    EXPECT_EQ(ENOENT, errno);
    // Only errno reports; the Win32 last error is untouched.
    EXPECT_EQ(0xBADu, GetLastError());
}

TEST_F(CrtFilesTest, StatTellsFilesFromFoldersWithTheRuntimesModeBits)
{
    WriteBytes("doc.xml", "12345");
    WriteBytes("tool.EXE", "x");
    WriteBytes("ro.xml", "");
    ASSERT_TRUE(SetFileAttributesA(Path("ro.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    std::filesystem::create_directory(Path("folder"));

    struct _stat st;
    ASSERT_EQ(0, _wstat(W("doc.xml").c_str(), &st));
    EXPECT_EQ(_S_IFREG, st.st_mode & _S_IFMT);
    EXPECT_EQ(0x1B6, st.st_mode & 0777); // read and write for all three
    EXPECT_EQ(5, st.st_size);
    struct stat sys;
    ASSERT_EQ(0, ::stat(Path("doc.xml").c_str(), &sys));
    EXPECT_EQ(sys.st_mtime, st.st_mtime);

    ASSERT_EQ(0, _wstat(W("tool.EXE").c_str(), &st));
    EXPECT_EQ(0x1FF, st.st_mode & 0777);
    ASSERT_EQ(0, _wstat(W("ro.xml").c_str(), &st));
    EXPECT_EQ(0x124, st.st_mode & 0777);
    ASSERT_EQ(0, _wstat(W("folder").c_str(), &st));
    EXPECT_EQ(_S_IFDIR, st.st_mode & _S_IFMT);
    EXPECT_EQ(0, st.st_size);

    errno = 0;
    EXPECT_EQ(-1, _wstat(W("missing").c_str(), &st));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ(-1, _wstat(W("doc.xml").c_str(), nullptr));
    EXPECT_EQ(EINVAL, errno);
}

TEST_F(CrtFilesTest, ThirtyTwoBitStatRefusesFilesOfTwoGigabytesThe64BitOneMeasures)
{
    WriteBytes("big.xml", "");
    // Sparse: no data blocks are written.
    ASSERT_EQ(0, ::truncate(Path("big.xml").c_str(), 0x80000000LL));
    struct _stat st;
    errno = 0;
    EXPECT_EQ(-1, _wstat(W("big.xml").c_str(), &st));
    EXPECT_EQ(EOVERFLOW, errno);
    struct _stat64 st64;
    ASSERT_EQ(0, _wstat64(W("big.xml").c_str(), &st64));
    EXPECT_EQ(0x80000000LL, st64.st_size);
    EXPECT_EQ(_S_IFREG, st64.st_mode & _S_IFMT);
}
