#include "Win32TestSupport.h"

namespace
{

using OverlappedTest = testsupport::TempDirTest;

// What completion routines saw, and on which thread.
struct Delivery
{
    DWORD error;
    DWORD bytes;
    LPOVERLAPPED overlapped;
    std::thread::id thread;
};
std::vector<Delivery> g_deliveries;

void CALLBACK Record(DWORD error, DWORD bytes, LPOVERLAPPED overlapped)
{
    g_deliveries.push_back({error, bytes, overlapped, std::this_thread::get_id()});
}

OVERLAPPED At(DWORD offset)
{
    OVERLAPPED ov{};
    ov.Offset = offset;
    return ov;
}

// A pipe whose reading end is open for overlapped transfers: a FIFO in the
// scratch folder natively, a named pipe on Windows.
bool MakePipe(const std::string& fifo, HANDLE& reader, HANDLE& writer)
{
#ifdef _WIN32
    const std::string name = "\\\\.\\pipe\\velmar-test-" + std::to_string(GetCurrentProcessId()) +
                             "-" + fifo.substr(fifo.find_last_of('/') + 1);
    reader = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                              PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    if (reader == INVALID_HANDLE_VALUE)
        return false;
    writer = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    if (mkfifo(fifo.c_str(), 0600) != 0)
        return false;
    reader =
        CreateFileA(fifo.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (reader == INVALID_HANDLE_VALUE)
        return false;
    writer = CreateFileA(fifo.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#endif
    if (writer == INVALID_HANDLE_VALUE)
    {
        CloseHandle(reader);
        return false;
    }
    return true;
}

} // namespace

TEST_F(OverlappedTest, TransfersRunAtTheirOffsetsAndAreCollected)
{
    WriteBytes("data.bin", "0123456789");
    HANDLE h =
        Open("data.bin", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);

    // An overlapped handle needs a record.
    DWORD n = 0;
    char buf[16] = {};
    EXPECT_EQ(ERROR_INVALID_PARAMETER, LAST_ERROR_IF(FALSE, ReadFile(h, buf, 4, &n, nullptr)));

    OVERLAPPED w = At(12);
    EXPECT_EQ(ERROR_IO_PENDING, LAST_ERROR_IF(FALSE, WriteFile(h, "AB", 2, nullptr, &w)));
    ASSERT_TRUE(GetOverlappedResult(h, &w, &n, TRUE));
    EXPECT_EQ(2u, n);

    OVERLAPPED r = At(8);
    EXPECT_EQ(ERROR_IO_PENDING, LAST_ERROR_IF(FALSE, ReadFile(h, buf, 8, nullptr, &r)));
    ASSERT_TRUE(GetOverlappedResult(h, &r, &n, TRUE));
    EXPECT_EQ(6u, n);
    EXPECT_EQ(std::string("89\0\0AB", 6), std::string(buf, n));
    EXPECT_TRUE(HasOverlappedIoCompleted(&r));

    // Offsets of all ones append.
    OVERLAPPED end{};
    end.Offset = end.OffsetHigh = 0xFFFFFFFFu;
    WriteFile(h, "!", 1, nullptr, &end);
    ASSERT_TRUE(GetOverlappedResult(h, &end, &n, TRUE));

    // Reading past the end completes with ERROR_HANDLE_EOF.
    OVERLAPPED past = At(100);
    ReadFile(h, buf, 4, nullptr, &past);
    EXPECT_EQ(ERROR_HANDLE_EOF, LAST_ERROR_IF(FALSE, GetOverlappedResult(h, &past, &n, TRUE)));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 1000));
    CloseHandle(h);
    EXPECT_EQ(std::string("0123456789\0\0AB!", 15), ReadBytes("data.bin"));
}

// Fault injection goes through our layer's call table.
#ifndef _WIN32
TEST_F(OverlappedTest, AFailedWriteReportsTheErrorAndTheBytesWritten)
{
    HANDLE h = Open("full.bin", GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_FLAG_OVERLAPPED);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    w32::ShortenNthCall(w32::SysCall::Pwrite, 1, 3);
    w32::FailNthCall(w32::SysCall::Pwrite, 2, ENOSPC);
    OVERLAPPED ov{};
    WriteFileEx(h, "abcdefgh", 8, &ov, nullptr);
    DWORD n = 99;
    EXPECT_EQ(ERROR_DISK_FULL, LAST_ERROR_IF(FALSE, GetOverlappedResult(h, &ov, &n, TRUE)));
    EXPECT_EQ(3u, n);
    CloseHandle(h);
    EXPECT_EQ("abc", ReadBytes("full.bin"));
}
#endif

TEST_F(OverlappedTest, PendingPipeReadIsCollectedWithoutWaitingAndCancelled)
{
    HANDLE reader = INVALID_HANDLE_VALUE, writer = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(MakePipe(Path("pipe"), reader, writer));

    // Nothing to read: the read stays pending, and asking does not wait.
    char buf[32] = {};
    OVERLAPPED ov{};
    EXPECT_EQ(ERROR_IO_PENDING,
              LAST_ERROR_IF(FALSE, ReadFile(reader, buf, sizeof buf, nullptr, &ov)));
    Sleep(30);
    DWORD n = 99;
    EXPECT_EQ(ERROR_IO_INCOMPLETE,
              LAST_ERROR_IF(FALSE, GetOverlappedResult(reader, &ov, &n, FALSE)));
    EXPECT_FALSE(HasOverlappedIoCompleted(&ov));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(reader, 20));

    // Data arrives: the read completes with what came.
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, "ping", 4, &written, nullptr));
    ASSERT_TRUE(GetOverlappedResult(reader, &ov, &n, TRUE));
    EXPECT_EQ("ping", std::string(buf, n));

    // Another pending read, cancelled: another thread's CancelIo leaves it alone.
    g_deliveries.clear();
    OVERLAPPED second{};
    ASSERT_TRUE(ReadFileEx(reader, buf, sizeof buf, &second, Record));
    std::thread([reader] { EXPECT_TRUE(CancelIo(reader)); }).join();
    EXPECT_EQ(ERROR_IO_INCOMPLETE,
              LAST_ERROR_IF(FALSE, GetOverlappedResult(reader, &second, &n, FALSE)));
    EXPECT_TRUE(CancelIo(reader));
    EXPECT_EQ(ERROR_OPERATION_ABORTED,
              LAST_ERROR_IF(FALSE, GetOverlappedResult(reader, &second, &n, TRUE)));
    EXPECT_EQ(WAIT_IO_COMPLETION, SleepEx(1000, TRUE));
    ASSERT_EQ(1u, g_deliveries.size());
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), g_deliveries[0].error);
    EXPECT_EQ(&second, g_deliveries[0].overlapped);

    // Closing the last handle ends what is still pending.
    g_deliveries.clear();
    OVERLAPPED third{};
    ASSERT_TRUE(ReadFileEx(reader, buf, sizeof buf, &third, Record));
    CloseHandle(reader);
    EXPECT_EQ(WAIT_IO_COMPLETION, SleepEx(2000, TRUE));
    ASSERT_EQ(1u, g_deliveries.size());
#ifdef _WIN32
    // The pipe's own driver ends reads pending on its closing end as a broken pipe.
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), g_deliveries[0].error);
#else
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), g_deliveries[0].error);
#endif
    CloseHandle(writer);
    EXPECT_EQ(ERROR_INVALID_HANDLE, LAST_ERROR_IF(FALSE, CancelIo(reader)));
}

TEST_F(OverlappedTest, RoutinesRunOnlyInAlertableWaitsOfTheSubmittingThread)
{
    WriteBytes("data.bin", "abcdef");
    HANDLE h = Open("data.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_OVERLAPPED);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    g_deliveries.clear();
    char a[3], b[3];
    OVERLAPPED first = At(0), second = At(3);
    ASSERT_TRUE(ReadFileEx(h, a, 3, &first, Record));
    EXPECT_EQ(0u, GetLastError());
    ASSERT_TRUE(ReadFileEx(h, b, 3, &second, Record));
    // Done, but not delivered: no alertable wait yet.
    DWORD n = 0;
    EXPECT_TRUE(GetOverlappedResult(h, &second, &n, TRUE));
    EXPECT_TRUE(GetOverlappedResult(h, &first, &n, TRUE));
    Sleep(20);
    EXPECT_EQ(0u, SleepEx(10, FALSE));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObjectEx(h, 10, FALSE));
    EXPECT_TRUE(g_deliveries.empty());
    // Another thread's alertable wait does not run them.
    std::thread([] { EXPECT_EQ(0u, SleepEx(30, TRUE)); }).join();
    EXPECT_TRUE(g_deliveries.empty());
    // An alertable wait on the signalled file ends at once and runs none.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObjectEx(h, 1000, TRUE));
    EXPECT_TRUE(g_deliveries.empty());
    // This thread's alertable sleep runs them, all of them, in order.
    EXPECT_EQ(WAIT_IO_COMPLETION, SleepEx(1000, TRUE));
    ASSERT_EQ(2u, g_deliveries.size());
    EXPECT_EQ(&first, g_deliveries[0].overlapped);
    EXPECT_EQ(&second, g_deliveries[1].overlapped);
    for (const Delivery& d : g_deliveries)
    {
        EXPECT_EQ(0u, d.error);
        EXPECT_EQ(3u, d.bytes);
        EXPECT_EQ(std::this_thread::get_id(), d.thread);
    }
    EXPECT_EQ("abcdef", std::string(a, 3) + std::string(b, 3));
    // Nothing left: an alertable wait now times out.
    EXPECT_EQ(0u, SleepEx(5, TRUE));

    // Ex transfers need an overlapped handle with the right access.
    HANDLE sync = Open("data.bin", GENERIC_READ, FILE_SHARE_READ);
    OVERLAPPED ov{};
    const DWORD onSync = LAST_ERROR_IF(FALSE, ReadFileEx(sync, a, 3, &ov, Record));
    if (onSync == ERROR_SUCCESS)
        SleepEx(1000, TRUE);
    // Known Wine difference: it runs ReadFileEx on a handle opened without
    // FILE_FLAG_OVERLAPPED.
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER, onSync);
    EXPECT_EQ(ERROR_ACCESS_DENIED, LAST_ERROR_IF(FALSE, WriteFileEx(h, "x", 1, &ov, Record)));
    CloseHandle(sync);
    CloseHandle(h);
}
