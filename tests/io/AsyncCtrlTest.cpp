// The asynchronous controller of a file opened with kModeAsync, on regular
// files and on a pseudo-terminal, where a read waits until data comes.
#include "StreamTestUtil.h"

#include <chrono>
#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace Orvex;
using namespace testsupport;

namespace
{

using AsyncCtrlTest = ScratchTest;

constexpr uint32_t kAsyncRW = kModeRead | kModeWrite | kModeAsync;

// Collects until `want` transfers came back or two seconds passed, asking for
// up to `ask` (at least `want`) in all; the number collected.
uint32_t CollectAll(IAsyncCtrl* ctrl, AsyncResult* results, uint32_t want, uint32_t ask = 0)
{
    uint32_t got = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (got < want && std::chrono::steady_clock::now() < until)
    {
        got += ctrl->Collect(results ? results + got : nullptr, (ask > want ? ask : want) - got);
        if (got < want)
            Sleep(1);
    }
    return got;
}

#ifndef _WIN32
// A pseudo-terminal in raw mode: the test plays the far end, the file opens
// the near one. Reads there wait for what the far end sends, and what is
// written there never comes back to them.
class Terminal
{
public:
    Terminal()
    {
        far = posix_openpt(O_RDWR | O_NOCTTY);
        termios t{};
        if (far >= 0 && grantpt(far) == 0 && unlockpt(far) == 0 && tcgetattr(far, &t) == 0)
        {
            cfmakeraw(&t);
            tcsetattr(far, TCSANOW, &t);
            near = ptsname(far);
        }
    }
    ~Terminal()
    {
        if (far >= 0)
            ::close(far);
    }
    bool Send(const std::string& s)
    {
        return ::write(far, s.data(), s.size()) == static_cast<ssize_t>(s.size());
    }
    // What the near end wrote, waiting up to a second for `n` bytes.
    std::string Receive(size_t n)
    {
        std::string got;
        while (got.size() < n)
        {
            pollfd p{far, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                break;
            char buf[64];
            const ssize_t k = ::read(far, buf, sizeof buf);
            if (k <= 0)
                break;
            got.append(buf, static_cast<size_t>(k));
        }
        return got;
    }

    int far = -1;
    std::string near;
};
#endif

} // namespace

TEST_F(AsyncCtrlTest, FileTransfersRunAtTheRunningOffsetAndAreCollectedInOrder)
{
    const std::string path = dir.file("async.bin");
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kAsyncRW, true));
    IAsyncCtrl* ctrl = f.GetAsyncCtrl();
    ASSERT_NE(ctrl, nullptr);
    EXPECT_EQ(ctrl->GetUserValue(), 0u);
    EXPECT_FALSE(ctrl->GetAutoRemove());

    // Nothing listed: nothing collected, nothing written.
    AsyncResult results[4];
    std::memset(results, 0xEE, sizeof results);
    EXPECT_EQ(ctrl->Collect(results, 4), 0u);
    EXPECT_EQ(results[0].userValue, 0xEEEEEEEEu);

    // Each transfer starts where the one before it ends, not at byte 0.
    EXPECT_EQ(f.Write("abc", 3), 3u);
    EXPECT_EQ(f.Write("defg", 4), 4u);
    EXPECT_EQ(ctrl->Write("hi", 2), 2u);
    EXPECT_EQ(f.GetPosition(), 9u);
    ASSERT_EQ(CollectAll(ctrl, results, 3), 3u);
    EXPECT_EQ(ctrl->Collect(results, 4), 0u);
    const uint32_t sizes[] = {3, 4, 2};
    for (uint32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(results[i].kind, kAsyncWrite);
        EXPECT_EQ(results[i].userValue, 0u);
        EXPECT_EQ(results[i].size, sizes[i]);
        EXPECT_EQ(results[i].transferred, sizes[i]);
    }
    EXPECT_EQ(f.GetLength(), 9u);

    // Back to the start; the last read asks past the end and still comes
    // back, with the bytes it found.
    ASSERT_TRUE(f.Seek(0, kSeekBegin));
    char a[4] = {}, b[8] = {}, c[8] = {};
    EXPECT_EQ(f.Read(a, 4), 4u);
    EXPECT_EQ(f.Read(b, 8), 8u);
    EXPECT_EQ(f.Read(c, 8), 8u);
    EXPECT_EQ(ctrl->GetPendingCount(), 3u);
    ASSERT_EQ(CollectAll(ctrl, results, 3), 3u);
    EXPECT_EQ(results[0].buffer, a);
    EXPECT_EQ(results[0].kind, kAsyncRead);
    EXPECT_EQ(results[0].transferred, 4u);
    EXPECT_EQ(results[1].buffer, b);
    EXPECT_EQ(results[1].transferred, 5u);
    EXPECT_EQ(results[2].transferred, 0u);
    EXPECT_EQ(std::string(a, 4) + std::string(b, 5), "abcdefghi");
    EXPECT_EQ(ctrl->GetPendingCount(), 0u);

    // Seeking and setting the length follow the running offset.
    EXPECT_EQ(f.GetPosition64(), 20u);
    EXPECT_TRUE(f.Seek(-16, kSeekCurrent));
    EXPECT_EQ(f.GetPosition(), 4u);
    EXPECT_FALSE(f.Seek(-5, kSeekCurrent));
    EXPECT_EQ(f.GetPosition(), 4u);
    EXPECT_TRUE(f.SetLength(6));
    EXPECT_EQ(f.GetPosition(), 6u);
    EXPECT_EQ(f.Write("!", 1), 1u);
    EXPECT_EQ(CollectAll(ctrl, nullptr, 1), 1u);
    f.Close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', '!'}));
}

#ifndef _WIN32
TEST_F(AsyncCtrlTest, PendingReadOnATerminalHoldsBackLaterCompletionsUntilItEnds)
{
    Terminal t;
    ASSERT_FALSE(t.near.empty());
    CFileWin f;
    ASSERT_TRUE(f.Open(t.near.c_str(), kAsyncRW | kModeShareRead | kModeShareWrite, false));
    IAsyncCtrl* ctrl = f.GetAsyncCtrl();
    ASSERT_NE(ctrl, nullptr);

    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 16u);
    EXPECT_EQ(f.Write("ok", 2), 2u);
    EXPECT_EQ(t.Receive(2), "ok"); // the write is done
    AsyncResult results[5] = {};
    EXPECT_EQ(ctrl->Collect(results, 5), 0u);
    EXPECT_EQ(ctrl->GetPendingCount(), 2u);

    ASSERT_TRUE(t.Send("xyz"));
    ASSERT_EQ(CollectAll(ctrl, results, 2), 2u);
    EXPECT_EQ(results[0].kind, kAsyncRead);
    EXPECT_EQ(results[0].buffer, buf);
    EXPECT_EQ(results[0].size, 16u);
    EXPECT_EQ(results[0].transferred, 3u);
    EXPECT_EQ(std::string(buf, 3), "xyz");
    EXPECT_EQ(results[1].kind, kAsyncWrite);
    EXPECT_EQ(results[1].transferred, 2u);

    // Two done, then one waiting: Collect(null, 5) takes and counts the two.
    EXPECT_EQ(f.Write("a", 1), 1u);
    EXPECT_EQ(f.Write("b", 1), 1u);
    EXPECT_EQ(t.Receive(2), "ab");
    EXPECT_EQ(f.Read(buf, sizeof buf), 16u);
    // The far end may see the bytes a moment before the write's record says
    // it is done, so collect until both came back; the read must never come.
    EXPECT_EQ(CollectAll(ctrl, nullptr, 2, 5), 2u);
    EXPECT_EQ(ctrl->GetPendingCount(), 1u);

    // Cancelled, the read ends with nothing and is collected like any other.
    EXPECT_TRUE(ctrl->Cancel());
    EXPECT_EQ(ctrl->GetPendingCount(), 1u);
    ASSERT_EQ(CollectAll(ctrl, results, 1), 1u);
    EXPECT_EQ(results[0].kind, kAsyncRead);
    EXPECT_EQ(results[0].transferred, 0u);
    // Data sent afterwards is not taken by it.
    ASSERT_TRUE(t.Send("late"));
    EXPECT_EQ(f.Read(buf, 4), 4u);
    ASSERT_EQ(CollectAll(ctrl, results, 1), 1u);
    EXPECT_EQ(std::string(buf, 4), "late");
}

#endif

TEST_F(AsyncCtrlTest, AutoRemoveTakesEndedTransfersOutDuringAnAlertableWait)
{
    const std::string path = dir.file("auto.bin");
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kAsyncRW, true));
    IAsyncCtrl* ctrl = f.GetAsyncCtrl();
    ctrl->SetAutoRemove(true);
    EXPECT_EQ(f.Write("abc", 3), 3u);
    EXPECT_EQ(f.Write("def", 3), 3u);
    // Ended, but still listed until this thread waits alertably.
    EXPECT_EQ(WaitForSingleObject(f.GetHandle(), 1000), WAIT_OBJECT_0);
    EXPECT_EQ(ctrl->GetPendingCount(), 2u);
    for (int i = 0; i < 20 && ctrl->GetPendingCount() != 0; ++i)
        SleepEx(100, TRUE);
    EXPECT_EQ(ctrl->GetPendingCount(), 0u);

    // Collected before the routine ran: the routine later finds nothing to do.
    EXPECT_EQ(f.Write("g", 1), 1u);
    EXPECT_EQ(CollectAll(ctrl, nullptr, 1), 1u);
    SleepEx(50, TRUE);
    EXPECT_EQ(ctrl->GetPendingCount(), 0u);

    // Submitted with auto-remove on, then turned off: the routine leaves it.
    EXPECT_EQ(f.Write("h", 1), 1u);
    EXPECT_FALSE(ctrl->SetAutoRemove(false));
    EXPECT_EQ(WaitForSingleObject(f.GetHandle(), 1000), WAIT_OBJECT_0);
    SleepEx(50, TRUE);
    EXPECT_EQ(ctrl->GetPendingCount(), 1u);
    // Submitted with it off: no routine at all, listed until collected.
    EXPECT_EQ(f.Write("i", 1), 1u);
    EXPECT_EQ(WaitForSingleObject(f.GetHandle(), 1000), WAIT_OBJECT_0);
    EXPECT_EQ(SleepEx(30, TRUE), 0u);
    EXPECT_EQ(ctrl->GetPendingCount(), 2u);
    EXPECT_EQ(CollectAll(ctrl, nullptr, 2), 2u);
    f.Close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'}));
}

#ifndef _WIN32
TEST_F(AsyncCtrlTest, ClosingWithTransfersOutstandingEndsThemAndFreesNothingInUse)
{
    Terminal t;
    ASSERT_FALSE(t.near.empty());
    char first[] = "--------", second[] = "--------";
    {
        CFileWin f;
        ASSERT_TRUE(f.Open(t.near.c_str(), kAsyncRW | kModeShareRead | kModeShareWrite, false));
        IAsyncCtrl* ctrl = f.GetAsyncCtrl();
        ctrl->SetAutoRemove(true);
        EXPECT_EQ(f.Read(first, 8), 8u); // its routine will come
        EXPECT_EQ(f.Write("w", 1), 1u);  // done, routine queued
        EXPECT_EQ(t.Receive(1), "w");
        ctrl->SetAutoRemove(false);
        EXPECT_EQ(f.Read(second, 8), 8u); // no routine
        EXPECT_EQ(ctrl->GetPendingCount(), 3u);
    } // closed: controller destroyed with all three listed
    ASSERT_TRUE(t.Send("too late"));
    // The routines still queued run now, on records the controller left behind.
    for (int i = 0; i < 5; ++i)
        SleepEx(20, TRUE);
    EXPECT_EQ(std::string(first, 8), "--------");
    EXPECT_EQ(std::string(second, 8), "--------");
}

#endif

TEST_F(AsyncCtrlTest, DuplicateSharesTheControllerAndEachReleasesItOnce)
{
    const std::string path = dir.file("dup.bin");
    auto* original = new CFileWin;
    CFileWin copy;
    ASSERT_TRUE(original->Open(path.c_str(), kAsyncRW, true));
    ASSERT_TRUE(original->Duplicate(&copy, &CFileWin::s_classInfo));
    ASSERT_NE(copy.GetAsyncCtrl(), nullptr);
    EXPECT_EQ(copy.GetAsyncCtrl(), original->GetAsyncCtrl());
    EXPECT_EQ(original->Write("ab", 2), 2u);
    delete original; // the copy keeps the controller and its handle
    EXPECT_EQ(copy.Write("cd", 2), 2u);
    AsyncResult results[2];
    ASSERT_EQ(CollectAll(copy.GetAsyncCtrl(), results, 2), 2u);
    EXPECT_EQ(results[1].transferred, 2u);
    copy.Close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c', 'd'}));

    // Duplicated while transfers are listed, closed in the other order.
    CFileWin first, second;
    ASSERT_TRUE(first.Open(path.c_str(), kAsyncRW, false));
    EXPECT_EQ(first.Write("xy", 2), 2u);
    ASSERT_TRUE(first.Duplicate(&second, &Orvex::IStream::s_classInfo));
    second.Close();
    EXPECT_EQ(CollectAll(first.GetAsyncCtrl(), nullptr, 1), 1u);
    first.Close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'x', 'y', 'c', 'd'}));
}

TEST_F(AsyncCtrlTest, CopiesLinesAndCommandsWaitForEachTransferToEnd)
{
    const auto bytes = Pattern(70000);
    const std::string path = WriteBytes(dir.file("in.bin"), bytes);
    CFileStream in(path.c_str(), kModeRead | kModeAsync, false);
    ASSERT_TRUE(in.IsOpen());
    // Through the copy's buffer, into memory and out to another such file:
    // every byte as the file has it, and the end of the file ends the copy.
    CRecordingStream buffered;
    buffered.writeLimit = 1 << 20;
    ASSERT_EQ(in.ReadTo(&buffered), 70000u);
    EXPECT_EQ(buffered.data, bytes);
    ASSERT_TRUE(in.Seek(0, kSeekBegin));
    CMemStream mem;
    ASSERT_EQ(CopyStream(&in, &mem), 70000u);
    const std::string outPath = dir.file("out.bin");
    CFileStream out(outPath.c_str(), kModeWrite | kModeAsync, true);
    ASSERT_TRUE(mem.Seek(0, kSeekBegin));
    EXPECT_EQ(CopyStream(&mem, &out), 70000u);
    // Nothing is left running on a buffer the copies are done with.
    EXPECT_EQ(in.GetAsyncCtrl()->GetPendingCount() + out.GetAsyncCtrl()->GetPendingCount(), 0u);
    out.Close();
    EXPECT_EQ(ReadBytes(outPath), bytes);

    // Lines end with the file; a read command that gets less says so.
    const std::string textPath = WriteBytes(dir.file("t.txt"), {'a', '\n', 'b'});
    CFileStream text(textPath.c_str(), kModeRead | kModeAsync, false);
    nkMem::CStringT<char> line;
    for (const char* expected : {"a", "b"})
    {
        ASSERT_TRUE(ReadLine(&text, line));
        EXPECT_STREQ(line.GetSafeString(), expected);
    }
    EXPECT_FALSE(ReadLine(&text, line));
    char got[2] = {};
    CReadCommand read;
    read.source = &text;
    read.buffer = got;
    read.count = 2;
    ASSERT_TRUE(text.Seek(2, kSeekBegin));
    EXPECT_FALSE(read.Execute());
    EXPECT_EQ(got[0], 'b');
}
