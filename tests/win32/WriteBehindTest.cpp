#include "Win32TestSupport.h"
#ifndef _WIN32
#include "WriteBehind.h"
#endif

#include <chrono>

namespace
{

using WriteBehindTest = testsupport::TempDirTest;

constexpr DWORD kBlock = 1 << 20;

// `blocks` blocks of 1 MB, each filled with its own number, so that a block
// written out of place or twice shows.
bool WriteBlocks(HANDLE h, int first, int blocks)
{
    std::string block(kBlock, '\0');
    for (int b = first; b < first + blocks; ++b)
    {
        std::fill(block.begin(), block.end(), static_cast<char>('A' + b % 26));
        DWORD n = 0;
        if (!WriteFile(h, block.data(), kBlock, &n, nullptr) || n != kBlock)
            return false;
    }
    return true;
}

bool HoldsBlocks(const std::string& bytes, int blocks)
{
    if (bytes.size() != size_t(blocks) * kBlock)
        return false;
    for (size_t i = 0; i < bytes.size(); i += 4096)
        if (bytes[i] != static_cast<char>('A' + (i / kBlock) % 26))
            return false;
    return true;
}

#ifndef _WIN32
size_t OpenDescriptors()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}
#endif

} // namespace

// The write-behind flush is invisible to a caller: the data, a file closed
// while a flush is under way, and what another open may do next all stay as
// they were.
TEST_F(WriteBehindTest, a_long_write_reads_back_whole_and_frees_the_file_at_close)
{
#ifndef _WIN32
    const unsigned long flushesBefore = w32::SysCallCount(w32::SysCall::Fdatasync);
    const size_t descriptorsBefore = OpenDescriptors();
#endif
    HANDLE h = Open("long.bin", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_TRUE(WriteBlocks(h, 0, 20));
    EXPECT_TRUE(FlushFileBuffers(h));
#ifndef _WIN32
    // Flushes went on behind the writer; FlushFileBuffers waited for them.
    EXPECT_GE(w32::SysCallCount(w32::SysCall::Fdatasync), flushesBefore + 1);
#endif
    // More after the flush, then closed with a flush behind it likely
    // still at work: the file is free for an exclusive open at once.
    ASSERT_TRUE(WriteBlocks(h, 20, 9));
    ASSERT_TRUE(CloseHandle(h));
    HANDLE again = Open("long.bin", GENERIC_READ | GENERIC_WRITE | DELETE, 0, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, again);
    ASSERT_TRUE(CloseHandle(again));
    EXPECT_TRUE(HoldsBlocks(ReadBytes("long.bin"), 29));
    EXPECT_TRUE(DeleteFileA(Path("long.bin").c_str()));
#ifndef _WIN32
    // The flush's own descriptor is closed once it is done.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (OpenDescriptors() > descriptorsBefore && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(descriptorsBefore, OpenDescriptors());
#endif
}

#ifndef _WIN32
// Blocks written between flushes behind the writer.
constexpr int kStride = static_cast<int>(w32::WriteBehind::kStride / kBlock);
static_assert(kStride >= 1);

// A failure met behind the writer is one the final fsync may no longer see
// (the kernel reports it once per open file): the flush reports it, once.
// Short writing starts no flush, and one that cannot start leaves the work to
// the final flush.
TEST_F(WriteBehindTest, a_failure_behind_the_writer_fails_the_next_flush)
{
    HANDLE h = Open("failing.bin", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    w32::FailNthCall(w32::SysCall::Fdatasync, 1, EIO);
    ASSERT_TRUE(WriteBlocks(h, 0, kStride + 1));
    EXPECT_EQ(DWORD(ERROR_IO_DEVICE), LAST_ERROR_IF(FALSE, FlushFileBuffers(h)));
    EXPECT_TRUE(FlushFileBuffers(h));
    // A failing fsync is reported before an earlier failure behind it.
    w32::FailNthCall(w32::SysCall::Fdatasync, 1, EIO);
    w32::FailNthCall(w32::SysCall::Fsync, 1, ENOSPC);
    ASSERT_TRUE(WriteBlocks(h, kStride + 1, kStride));
    EXPECT_EQ(DWORD(ERROR_DISK_FULL), LAST_ERROR_IF(FALSE, FlushFileBuffers(h)));
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_TRUE(HoldsBlocks(ReadBytes("failing.bin"), 2 * kStride + 1));

    h = Open("short.bin", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    const unsigned long flushes = w32::SysCallCount(w32::SysCall::Fdatasync);
    ASSERT_TRUE(WriteBlocks(h, 0, kStride - 1));
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_EQ(flushes, w32::SysCallCount(w32::SysCall::Fdatasync));
    // No descriptor to spare at the mark: nothing behind, the flush does all.
    w32::FailNthCall(w32::SysCall::Dup, 1, EMFILE);
    ASSERT_TRUE(WriteBlocks(h, kStride - 1, 1));
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_EQ(flushes, w32::SysCallCount(w32::SysCall::Fdatasync));
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_TRUE(HoldsBlocks(ReadBytes("short.bin"), kStride));
}
#endif
