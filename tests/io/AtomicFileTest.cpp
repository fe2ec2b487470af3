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
#include <sys/stat.h>
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
    // The superuser writes into any folder; give it the refusal others get.
    if (geteuid() == 0)
        w32::FailNthCall(w32::SysCall::Open, 1, EACCES);
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
             w32::FailNthCall(w32::SysCall::Open, 3, EACCES); // the target, for writing
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
