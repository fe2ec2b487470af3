#include "Win32TestSupport.h"

namespace
{

// What a folder holds: each file's name and content, sorted by name.
using Files = std::vector<std::pair<std::string, std::string>>;

class FileReplaceTest : public testsupport::TempDirTest
{
protected:
    // The folder's files but the share locks: shows what a failed replacement
    // left behind, and under which names.
    Files Contents() const
    {
        Files files;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            if (entry.path().filename() != "locks")
                files.emplace_back(entry.path().filename().string(),
                                   ReadBytes(entry.path().filename().string()));
        std::sort(files.begin(), files.end());
        return files;
    }
    DWORD Move(const char* from, const char* to, DWORD flags) const
    {
        return LAST_ERROR_IF(FALSE, MoveFileExA(Path(from).c_str(), Path(to).c_str(), flags));
    }
    DWORD Replace(const char* backup) const
    {
        return LAST_ERROR_IF(FALSE, ReplaceFileA(Path("doc.xml").c_str(), Path("doc.tmp").c_str(),
                                                 backup ? Path(backup).c_str() : nullptr, 0,
                                                 nullptr, nullptr));
    }
};

} // namespace

TEST_F(FileReplaceTest, MoveFileExReplacesOnlyWhenAskedAndRefusesWhatCannotGo)
{
    WriteBytes("new", "new");
    WriteBytes("old", "old");
    EXPECT_EQ(ERROR_ALREADY_EXISTS, Move("new", "old", 0));
    EXPECT_EQ("old", ReadBytes("old"));

    ASSERT_EQ(ERROR_SUCCESS,
              Move("new", "old", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ("new", ReadBytes("old"));
    EXPECT_FALSE(std::filesystem::exists(Path("new")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Move("gone", "old", MOVEFILE_REPLACE_EXISTING));

    // A read-only target could not be deleted, so it cannot be replaced either.
    WriteBytes("src", "src");
    // Known Wine difference: read-only is only the Unix write bits there, which root passes.
    if (!testsupport::UnderWine())
    {
        ASSERT_TRUE(SetFileAttributesA(Path("old").c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(ERROR_ACCESS_DENIED, Move("src", "old", MOVEFILE_REPLACE_EXISTING));
        // Not asked to replace, it only says the target is there.
        EXPECT_EQ(ERROR_ALREADY_EXISTS, Move("src", "old", 0));
        EXPECT_EQ("new", ReadBytes("old"));
        ASSERT_TRUE(SetFileAttributesA(Path("old").c_str(), FILE_ATTRIBUTE_NORMAL));
    }

    // A handle that does not share deletion holds the file in place: a target
    // in use cannot be renamed over.
    HANDLE h = Open("old", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_ACCESS_DENIED, Move("src", "old", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, Move("src", "old", 0));
    CloseHandle(h);
    EXPECT_EQ("new", ReadBytes("old"));
    // A source in use cannot go either, and that is a sharing violation.
    h = Open("src", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Move("src", "moved", 0));
    CloseHandle(h);
    EXPECT_EQ("src", ReadBytes("src"));

#ifndef _WIN32
    // A failing rename reports its errno as a Win32 code and moves nothing.
    w32::FailNthCall(w32::SysCall::Rename, 1, EACCES);
    EXPECT_EQ(ERROR_ACCESS_DENIED, Move("src", "old", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ("src", ReadBytes("src"));
#endif
}

TEST_F(FileReplaceTest, ReplaceFileKeepsTheReplacedFilesPermissionsAndAttributes)
{
    WriteBytes("doc.xml", "old");
    WriteBytes("doc.tmp", "new");
#ifndef _WIN32
    chmod(Path("doc.xml").c_str(), 0640);
    chmod(Path("doc.tmp").c_str(), 0600);
#endif
    // Natively the hidden flag needs extended attributes in the temporary folder.
    const bool xattrs = SetFileAttributesA(Path("doc.xml").c_str(), FILE_ATTRIBUTE_HIDDEN);

    ASSERT_TRUE(ReplaceFileW(WPath("doc.xml").c_str(), WPath("doc.tmp").c_str(), nullptr,
                             REPLACEFILE_WRITE_THROUGH, nullptr, nullptr));
    EXPECT_EQ((Files{{"doc.xml", "new"}}), Contents());
#ifndef _WIN32
    struct stat st
    {
    };
    ASSERT_EQ(0, stat(Path("doc.xml").c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
#endif
    // Known Wine difference: it gives the replaced name the replacement's attributes.
    if (xattrs && !testsupport::UnderWine())
    {
        EXPECT_TRUE(GetFileAttributesW(WPath("doc.xml").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }

    // Nothing to replace, and no backups.
    WriteBytes("doc.tmp", "again");
    EXPECT_EQ(
        ERROR_FILE_NOT_FOUND,
        LAST_ERROR_IF(FALSE, ReplaceFileW(WPath("missing.xml").c_str(), WPath("doc.tmp").c_str(),
                                          nullptr, 0, nullptr, nullptr)));
}

TEST_F(FileReplaceTest, ReplaceFileKeepsTheReplacedContentUnderTheBackupName)
{
    WriteBytes("doc.xml", "old");
    WriteBytes("doc.tmp", "new");
    WriteBytes("doc.bak", "older");
    const bool xattrs = SetFileAttributesA(Path("doc.xml").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(ERROR_SUCCESS, Replace("doc.bak"));
    // An earlier backup is replaced, and nothing else is left in the folder.
    EXPECT_EQ((Files{{"doc.bak", "old"}, {"doc.xml", "new"}}), Contents());
    if (xattrs)
    {
        EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, AttributesOf("doc.bak"));
    }

    // A backup that cannot be made stops the replacement; both files keep their names.
    // A missing folder is reported as such.
    WriteBytes("doc.tmp", "newer");
    EXPECT_EQ(
        ERROR_PATH_NOT_FOUND,
        LAST_ERROR_IF(FALSE, ReplaceFileW(WPath("doc.xml").c_str(), WPath("doc.tmp").c_str(),
                                          WPath("nodir/doc.bak").c_str(), 0, nullptr, nullptr)));
    EXPECT_EQ((Files{{"doc.bak", "old"}, {"doc.tmp", "newer"}, {"doc.xml", "new"}}), Contents());
}

#ifndef _WIN32
// Known Wine difference: it goes ahead with such a name and loses a file, so
// this is checked natively only.
TEST_F(FileReplaceTest, ReplaceFileRefusesABackupNameThatWouldSwallowOneOfTheFiles)
{
    WriteBytes("doc.xml", "old");
    WriteBytes("doc.tmp", "new");
    for (const char* backup : {"doc.xml", "doc.tmp"})
    {
        EXPECT_EQ(ERROR_INVALID_PARAMETER, Replace(backup)) << backup;
        EXPECT_EQ((Files{{"doc.tmp", "new"}, {"doc.xml", "old"}}), Contents()) << backup;
    }
}

// Every failing step of a replacement with a backup leaves each byte of both
// files under a name the caller is told about, and no stray temporary names.
TEST_F(FileReplaceTest, ReplaceFileWithABackupLosesNothingWhenAStepFails)
{
    struct Fault
    {
        w32::SysCall call;
        unsigned nth;
        int err;
    };
    const Files untouched{{"doc.tmp", "new"}, {"doc.xml", "old"}};
    const struct
    {
        std::vector<Fault> faults;
        DWORD error;
        Files left;
    } cases[] = {
        // The replacement cannot be moved in after the backup link was made.
        {{{w32::SysCall::Rename, 2, EIO}},
         ERROR_UNABLE_TO_MOVE_REPLACEMENT,
         {{"doc.bak", "old"}, {"doc.tmp", "new"}, {"doc.xml", "old"}}},
        // Without links the replaced file itself becomes the backup; a failed
        // move puts it back under its own name.
        {{{w32::SysCall::Link, 1, EPERM}, {w32::SysCall::Rename, 2, EIO}},
         ERROR_UNABLE_TO_MOVE_REPLACEMENT,
         untouched},
        // When it cannot be put back, the error says its data is under the backup name.
        {{{w32::SysCall::Link, 1, EOPNOTSUPP},
          {w32::SysCall::Rename, 2, EIO},
          {w32::SysCall::Rename, 3, EIO}},
         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2,
         {{"doc.bak", "old"}, {"doc.tmp", "new"}}},
        // The backup cannot be made: the link fails outright, the link cannot
        // take the backup name, or without links the replaced file cannot move.
        {{{w32::SysCall::Link, 1, EIO}}, ERROR_UNABLE_TO_REMOVE_REPLACED, untouched},
        {{{w32::SysCall::Rename, 1, EACCES}}, ERROR_UNABLE_TO_REMOVE_REPLACED, untouched},
        {{{w32::SysCall::Link, 1, EPERM}, {w32::SysCall::Rename, 1, EACCES}},
         ERROR_UNABLE_TO_REMOVE_REPLACED,
         untouched},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(i);
        std::filesystem::remove(Path("doc.bak"));
        WriteBytes("doc.xml", "old");
        WriteBytes("doc.tmp", "new");
        for (const Fault& f : cases[i].faults)
            w32::FailNthCall(f.call, f.nth, f.err);
        EXPECT_EQ(cases[i].error, Replace("doc.bak"));
        EXPECT_EQ(cases[i].left, Contents());
    }

    // With nothing failing, the fallback without links still replaces and backs up.
    WriteBytes("doc.xml", "old");
    WriteBytes("doc.tmp", "new");
    WriteBytes("doc.bak", "older");
    w32::FailNthCall(w32::SysCall::Link, 1, EPERM);
    EXPECT_EQ(ERROR_SUCCESS, Replace("doc.bak"));
    EXPECT_EQ((Files{{"doc.bak", "old"}, {"doc.xml", "new"}}), Contents());
}
#endif

// Symbolic links need a privilege on Windows.
#ifndef _WIN32
TEST_F(FileReplaceTest, ReplaceFileThroughASymbolicLinkReplacesTheFileItPointsTo)
{
    std::filesystem::create_directory(Path("real"));
    WriteBytes("real/doc.xml", "old");
    std::filesystem::create_symlink("real/doc.xml", Path("link.xml"));
    WriteBytes("new.tmp", "new");
    EXPECT_TRUE(ReplaceFileA(Path("link.xml").c_str(), Path("new.tmp").c_str(), nullptr, 0, nullptr,
                             nullptr));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.xml")));
    EXPECT_EQ("new", ReadBytes("real/doc.xml"));
    EXPECT_FALSE(std::filesystem::exists(Path("new.tmp")));

    // A link to nothing names no file to replace.
    std::filesystem::create_symlink("real/none.xml", Path("dangling.xml"));
    WriteBytes("new.tmp", "newer");
    EXPECT_EQ(
        ERROR_FILE_NOT_FOUND,
        LAST_ERROR_IF(FALSE, ReplaceFileA(Path("dangling.xml").c_str(), Path("new.tmp").c_str(),
                                          nullptr, 0, nullptr, nullptr)));
    EXPECT_EQ("newer", ReadBytes("new.tmp"));
}
#endif
