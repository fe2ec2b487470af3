// The atomic write of a file: the target appears only complete, an existing
// one keeps its permissions, and no failure harms it or leaves a temporary
// file behind.
#include "StreamTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Orvex;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace
{

class AtomicFile : public testsupport::ScratchTest
{
protected:
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.insert(e.path().filename().string());
        return names;
    }
    std::string Text(const std::string& name) const
    {
        const std::vector<uint8_t> bytes = ReadBytes(dir.file(name));
        return std::string(bytes.begin(), bytes.end());
    }
};

const std::string kNew = "<a>new</a>";

struct Case
{
    const char* what;
    const char* target; // in the scratch folder
    const char* before; // the target's content beforehand; null: no target
    AtomicStep failed;
    DWORD error;
    // Runs once the target is there; gets the scratch folder.
    void (*prepare)(const std::string& folder) = nullptr;
    // The writer stops half-way and gives up without a system error.
    bool givesUp = false;
};

#ifndef _WIN32
void ReadOnlyFolder(const std::string& folder)
{
    chmod(folder.c_str(), 0555);
    // The superuser writes into any folder; give it the refusal others get
    // (the first open looks at the target).
    if (geteuid() == 0)
        w32::FailNthCall(w32::SysCall::Open, 2, EACCES);
}
#endif

} // namespace

TEST_F(AtomicFile, WritesCompleteFilesAndLeavesTheTargetAsItWasOnAnyFailure)
{
    const Case cases[] = {
        {"a new target", "doc.xml", nullptr, AtomicStep::None, ERROR_SUCCESS},
        {"a longer target is replaced whole", "doc.xml", "<old>a longer content</old>",
         AtomicStep::None, ERROR_SUCCESS},
        {"the writer gives up", "doc.xml", "old", AtomicStep::Write, ERROR_SUCCESS, nullptr, true},
        {"a folder that does not exist", "none/doc.xml", nullptr, AtomicStep::CreateTemp,
         ERROR_PATH_NOT_FOUND},
        {"a read-only target", "doc.xml", "old", AtomicStep::Replace, ERROR_ACCESS_DENIED,
         [](const std::string& folder)
         { SetFileAttributesA((folder + "/doc.xml").c_str(), FILE_ATTRIBUTE_READONLY); }},
#ifndef _WIN32
        // A folder that takes no new file: the target is written in place, and
        // its old bytes put back when that fails.
        {"a folder that takes no new file", "doc.xml", "old", AtomicStep::None, ERROR_SUCCESS,
         [](const std::string& folder) { ReadOnlyFolder(folder); }},
        {"a full disk in a folder that takes no new file", "doc.xml", "<old>a longer one</old>",
         AtomicStep::Write, ERROR_DISK_FULL,
         [](const std::string& folder)
         {
             ReadOnlyFolder(folder);
             w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC);
         }},
        {"no new file nor a writable target", "doc.xml", "old", AtomicStep::CreateTemp,
         ERROR_ACCESS_DENIED,
         [](const std::string& folder)
         {
             ReadOnlyFolder(folder);
             w32::FailNthCall(w32::SysCall::Open, 4, EACCES); // the target, for writing
         }},
        {"disk full", "doc.xml", "old", AtomicStep::Write, ERROR_DISK_FULL,
         [](const std::string&) { w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC); }},
        {"the flush fails", "doc.xml", "old", AtomicStep::Write, ERROR_IO_DEVICE,
         [](const std::string&) { w32::FailNthCall(w32::SysCall::Fsync, 1, EIO); }},
        {"the rename fails", "doc.xml", "old", AtomicStep::Replace, ERROR_IO_DEVICE,
         [](const std::string&) { w32::FailNthCall(w32::SysCall::Rename, 1, EIO); }},
#endif
    };
    for (const Case& c : cases)
        for (const bool wide : {false, true})
        {
            SCOPED_TRACE(std::string(c.what) + (wide ? ", wide name" : ", narrow name"));
            const std::string target = dir.file(c.target);
            if (c.before != nullptr)
            {
                WriteBytes(target,
                           std::vector<uint8_t>(c.before, c.before + std::strlen(c.before)));
#ifndef _WIN32
                chmod(target.c_str(), 0640);
#endif
            }
            if (c.prepare != nullptr)
                c.prepare(dir.path());

            const bool givesUp = c.givesUp;
            const AtomicWriter write = [givesUp](Orvex::IStream* stream)
            {
                const uint32_t n = static_cast<uint32_t>(givesUp ? kNew.size() / 2 : kNew.size());
                return stream->Write(kNew.data(), n) == n && !givesUp;
            };
            SetLastError(0xDEAD);
            const AtomicWriteResult result =
                wide
                    ? WriteFileAtomically(std::wstring(target.begin(), target.end()).c_str(), write)
                    : WriteFileAtomically(target.c_str(), write);
            const DWORD lastError = GetLastError();
#ifndef _WIN32
            w32::ClearInjectedFaults();
            chmod(dir.path().c_str(), 0700);
#endif
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);

            EXPECT_EQ(result.failed, c.failed);
            EXPECT_EQ(result.error, c.error);
            if (c.failed != AtomicStep::None)
            {
                EXPECT_EQ(lastError, c.error);
            }
            const std::string expected = c.failed == AtomicStep::None ? kNew
                                         : c.before != nullptr        ? c.before
                                                                      : "";
            EXPECT_EQ(Text(c.target), expected);
#ifndef _WIN32
            struct stat st = {};
            if (c.before != nullptr && stat(target.c_str(), &st) == 0)
            {
                EXPECT_EQ(st.st_mode & 07777, 0640u);
            }
#endif
            // Nothing but the target, and no temporary file.
            const bool present = c.before != nullptr || c.failed == AtomicStep::None;
            EXPECT_EQ(Names(),
                      present ? std::set<std::string>{"doc.xml"} : std::set<std::string>{});
            std::remove(target.c_str());
        }
}

#ifndef _WIN32
namespace
{

const char kOtherFileSystem[] = "/dev/shm/velmar-atomic-file-test.xml";

struct stat StatOf(const std::string& path)
{
    struct stat st = {};
    stat(path.c_str(), &st);
    return st;
}

// Writes kNew, noting the mode of the temporary file while it is written.
AtomicWriteResult SaveNoting(const std::string& target, const std::string& folder,
                             mode_t* tempMode = nullptr)
{
    return WriteFileAtomically(target.c_str(),
                               [&](Orvex::IStream* stream)
                               {
                                   for (const auto& e : std::filesystem::directory_iterator(folder))
                                       if (tempMode && e.path().filename().string()[0] == '.')
                                           *tempMode = StatOf(e.path().string()).st_mode & 07777;
                                   const uint32_t n = static_cast<uint32_t>(kNew.size());
                                   return stream->Write(kNew.data(), n) == n;
                               });
}

} // namespace

TEST_F(AtomicFile, KeepsWhatTheTargetIs)
{
    const std::string file = dir.file("data/doc.xml"), name = dir.file("doc.xml");
    std::filesystem::create_directory(dir.file("data"));
    const struct
    {
        const char* what;
        // Makes `name` (and `file`); false when the machine cannot.
        bool (*make)(const std::string& name, const std::string& file);
        bool ownerLost;
    } cases[] = {
        {"a private file stays private while it is saved",
         [](const std::string& name, const std::string&)
         {
             WriteBytes(name, {'o', 'l', 'd'});
             return chmod(name.c_str(), 0600) == 0;
         },
         false},
        {"a link stays a link to the file it names",
         [](const std::string& name, const std::string& file)
         {
             WriteBytes(file, {'o', 'l', 'd'});
             return symlink(file.c_str(), name.c_str()) == 0;
         },
         false},
        {"a link to a file on another file system",
         [](const std::string& name, const std::string&)
         {
             WriteBytes(kOtherFileSystem, {'o', 'l', 'd'});
             return StatOf(kOtherFileSystem).st_dev !=
                        StatOf(name.substr(0, name.rfind('/'))).st_dev &&
                    symlink(kOtherFileSystem, name.c_str()) == 0;
         },
         false},
        {"a link to nothing gets its file",
         [](const std::string& name, const std::string& file)
         { return symlink(file.c_str(), name.c_str()) == 0; },
         false},
        {"every name of a file sees the new content",
         [](const std::string& name, const std::string& file)
         {
             WriteBytes(file, {'o', 'l', 'd'});
             return link(file.c_str(), name.c_str()) == 0;
         },
         false},
        {"another user's file stays theirs",
         [](const std::string& name, const std::string&)
         {
             WriteBytes(name, {'o', 'l', 'd'});
             return geteuid() == 0 && chown(name.c_str(), 65534, 65534) == 0;
         },
         false},
        {"an owner that cannot be kept is reported",
         [](const std::string& name, const std::string&)
         {
             WriteBytes(name, {'o', 'l', 'd'});
             for (unsigned nth = 1; nth <= 4; ++nth) // as for anyone but root
                 w32::FailNthCall(w32::SysCall::Chown, nth, EPERM);
             return geteuid() == 0 && chown(name.c_str(), 65534, 65534) == 0;
         },
         true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::remove(name.c_str());
        std::remove(file.c_str());
        if (!c.make(name, file))
        {
            std::printf("skipped \"%s\": not possible here\n", c.what);
            continue;
        }
        const struct stat before = StatOf(name);
        struct stat link = {};
        lstat(name.c_str(), &link);
        mode_t tempMode = 0;
        const AtomicWriteResult result = SaveNoting(name, dir.path(), &tempMode);
        w32::ClearInjectedFaults();
        EXPECT_TRUE(result);
        if (!result)
            continue;
        EXPECT_EQ(result.ownerKept, !c.ownerLost);
        EXPECT_EQ(Text("doc.xml"), kNew);
        struct stat after = {}, linkAfter = {};
        after = StatOf(name);
        lstat(name.c_str(), &linkAfter);
        EXPECT_EQ(S_ISLNK(linkAfter.st_mode), S_ISLNK(link.st_mode));
        if (before.st_nlink != 0)
        {
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(after.st_uid, c.ownerLost ? 0u : before.st_uid);
            EXPECT_EQ(after.st_gid, c.ownerLost ? 0u : before.st_gid);
            EXPECT_EQ(after.st_nlink, before.st_nlink);
        }
        if (tempMode != 0)
        {
            EXPECT_EQ(tempMode, 0600u); // in the folder of the name: the private case
        }
    }
    std::remove(kOtherFileSystem);
}

TEST_F(AtomicFile, RemovesWhatKilledSavesLeftAndNothingInUse)
{
    // 30 saves of 50 MB, each killed at another moment: the target is always
    // the old or the new content, and the next save removes what they left.
    const std::string target = dir.file("big.xml");
    const std::string oldText(1000, 'o');
    WriteBytes(target, std::vector<uint8_t>(oldText.begin(), oldText.end()));
    constexpr uint32_t kChunk = 1 << 20, kChunks = 50;
    const std::string chunk(kChunk, 'n');
    int sawOld = 0, sawNew = 0, sawOther = 0, tempsLeft = 0;
    for (int round = 0; round < 30; ++round)
    {
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0)
        {
            const AtomicWriteResult ok =
                WriteFileAtomically(target.c_str(),
                                    [&](Orvex::IStream* stream)
                                    {
                                        for (uint32_t i = 0; i < kChunks; ++i)
                                            if (stream->Write(chunk.data(), kChunk) != kChunk)
                                                return false;
                                        return true;
                                    });
            _exit(ok ? 0 : 1);
        }
        ASSERT_GT(pid, 0);
        usleep(static_cast<useconds_t>(round * 20000)); // 0 to 0.6 s into the save
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        tempsLeft += static_cast<int>(Names().size()) - 1;
        const struct stat st = StatOf(target);
        if (st.st_size == static_cast<off_t>(oldText.size()) && Text("big.xml") == oldText)
            ++sawOld;
        else if (st.st_size == static_cast<off_t>(kChunk) * kChunks)
            ++sawNew;
        else
            ++sawOther;
        if (st.st_size != static_cast<off_t>(oldText.size()))
            WriteBytes(target, std::vector<uint8_t>(oldText.begin(), oldText.end()));
    }
    std::printf("killed saves: %d left the old file, %d the new one, %d anything else; "
                "%d temporary files found after a kill, %zu names in the folder at the end\n",
                sawOld, sawNew, sawOther, tempsLeft, Names().size());
    EXPECT_EQ(sawOther, 0);

    // A save in progress elsewhere holds its temporary file: it stays.
    const std::string inUse = dir.file(".~velmar-1-2-3.tmp");
    const HANDLE held = CreateFileA(inUse.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SaveNoting(target, dir.path()));
    EXPECT_EQ(Names(), (std::set<std::string>{"big.xml", ".~velmar-1-2-3.tmp"}));
    CloseHandle(held);
    ASSERT_TRUE(SaveNoting(target, dir.path()));
    EXPECT_EQ(Names(), std::set<std::string>{"big.xml"});
}
#endif
