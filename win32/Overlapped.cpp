#include "velmar/win32/Overlapped.h"

#include "velmar/win32/ErrorCodes.h"
#include "FileObject.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <list>
#include <map>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using w32::FileObject;

constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusEndOfFile = 0xC0000011;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr ULONG_PTR kStatusDiskFull = 0xC000007F;
constexpr ULONG_PTR kStatusPipeBroken = 0xC000014B;
constexpr ULONG_PTR kStatusAccessDenied = 0xC0000022;
constexpr ULONG_PTR kStatusInvalidHandle = 0xC0000008;
constexpr ULONG_PTR kCustomerError = 0xE0000000;
// How often the I/O thread looks for files whose handles are all closed.
constexpr int kOrphanCheckMs = 50;

const struct
{
    ULONG_PTR status;
    DWORD error;
} kStatusErrors[] = {
    {kStatusEndOfFile, ERROR_HANDLE_EOF},       {kStatusCancelled, ERROR_OPERATION_ABORTED},
    {kStatusDiskFull, ERROR_DISK_FULL},         {kStatusPipeBroken, ERROR_BROKEN_PIPE},
    {kStatusAccessDenied, ERROR_ACCESS_DENIED}, {kStatusInvalidHandle, ERROR_INVALID_HANDLE},
};

ULONG_PTR StatusFromError(DWORD error)
{
    if (!error)
        return kStatusSuccess;
    for (const auto& e : kStatusErrors)
        if (e.error == error)
            return e.status;
    return kCustomerError | error;
}

DWORD ErrorFromStatus(ULONG_PTR status)
{
    for (const auto& e : kStatusErrors)
        if (e.status == status)
            return e.error;
    if ((status & 0xF0000000u) == kCustomerError)
        return static_cast<DWORD>(status & 0xFFFFu);
    // Synchronous transfers of the file layer keep the Win32 code itself.
    return static_cast<DWORD>(status);
}

ULONG_PTR LoadStatus(const OVERLAPPED* ov)
{
    return std::atomic_ref<ULONG_PTR>(const_cast<ULONG_PTR&>(ov->Internal))
        .load(std::memory_order_acquire);
}

void StoreStatus(OVERLAPPED* ov, ULONG_PTR status)
{
    std::atomic_ref<ULONG_PTR>(ov->Internal).store(status, std::memory_order_release);
}

// A completion routine waiting for its thread's alertable wait.
struct Apc
{
    LPOVERLAPPED_COMPLETION_ROUTINE routine;
    DWORD error;
    DWORD bytes;
    LPOVERLAPPED overlapped;
};

// The routines queued for one thread.
struct ApcQueue
{
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Apc> items;
};

std::shared_ptr<ApcQueue>& ThisThreadQueue()
{
    thread_local std::shared_ptr<ApcQueue> queue = std::make_shared<ApcQueue>();
    return queue;
}

// Runs the routines queued for this thread; true when there were any.
bool RunApcs()
{
    ApcQueue& q = *ThisThreadQueue();
    std::deque<Apc> due;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        due.swap(q.items);
    }
    for (const Apc& apc : due)
        apc.routine(apc.error, apc.bytes, apc.overlapped);
    return !due.empty();
}

struct Request
{
    std::shared_ptr<FileObject> file;
    bool write = false;
    char* buffer = nullptr;
    size_t count = 0;
    off_t offset = 0;
    bool toEnd = false;
    LPOVERLAPPED overlapped = nullptr;
    LPOVERLAPPED_COMPLETION_ROUTINE routine = nullptr;
    std::shared_ptr<ApcQueue> thread;
    size_t done = 0;
    bool running = false;
};

// The process's I/O thread and the transfers it owns.
class IoManager
{
public:
    static IoManager& Instance()
    {
        // Never destroyed: the thread may still be at work while the process exits.
        static IoManager* manager = new IoManager;
        return *manager;
    }

    void Submit(std::shared_ptr<Request> request)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back(std::move(request));
        Wake();
    }

    // Ends the transfers of file submitted by thread; returns how many.
    size_t Cancel(const FileObject* file, const ApcQueue* thread)
    {
        std::vector<std::shared_ptr<Request>> cancelled;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto it = pending_.begin(); it != pending_.end();)
            {
                if ((*it)->file.get() == file && (!thread || (*it)->thread.get() == thread) &&
                    !(*it)->running)
                {
                    cancelled.push_back(*it);
                    it = pending_.erase(it);
                }
                else
                {
                    ++it;
                }
            }
        }
        for (auto& r : cancelled)
            Complete(*r, ERROR_OPERATION_ABORTED);
        return cancelled.size();
    }

    bool HasPending(const FileObject* file)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::any_of(pending_.begin(), pending_.end(),
                           [file](const auto& r) { return r->file.get() == file; });
    }

    // Waits until the record's transfer is no longer pending.
    void WaitFor(const OVERLAPPED* ov)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [ov] { return LoadStatus(ov) != STATUS_PENDING; });
    }

private:
    IoManager()
    {
        if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
            wake_[0] = wake_[1] = -1;
        std::thread([this] { Run(); }).detach();
    }

    void Wake()
    {
        const char byte = 1;
        if (wake_[1] >= 0)
            (void)!::write(wake_[1], &byte, 1);
    }

    void Complete(Request& r, DWORD error)
    {
        OVERLAPPED* ov = r.overlapped;
        ov->InternalHigh = r.done;
        {
            // Under the lock, so that a waiter cannot miss the change.
            std::lock_guard<std::mutex> lock(mutex_);
            StoreStatus(ov, StatusFromError(error));
        }
        finished_.notify_all();
        if (r.routine)
        {
            std::lock_guard<std::mutex> lock(r.thread->mutex);
            r.thread->items.push_back({r.routine, error, static_cast<DWORD>(r.done), ov});
            r.thread->arrived.notify_all();
        }
        r.file.reset();
    }

    // A regular file answers at once: the whole transfer runs now.
    DWORD TransferFile(Request& r)
    {
        FileObject& f = *r.file;
        if (r.toEnd)
        {
            std::lock_guard<std::mutex> lock(f.mutex);
            r.offset = f.Length();
            if (r.offset < 0)
                return w32::Win32ErrorFromErrno(errno);
        }
        while (r.done < r.count)
        {
            const size_t want = r.count - r.done;
            const off_t at = r.offset + static_cast<off_t>(r.done);
            const ssize_t n = r.write ? w32::sys::pwrite(f.fd, r.buffer + r.done, want, at)
                                      : w32::sys::pread(f.fd, r.buffer + r.done, want, at);
            if (n < 0)
            {
                if (errno == EINTR)
                    continue;
                return w32::Win32ErrorFromErrno(errno);
            }
            if (n == 0)
            {
                if (r.write)
                    return ERROR_DISK_FULL;
                break;
            }
            r.done += static_cast<size_t>(n);
        }
        if (r.write)
        {
            std::lock_guard<std::mutex> lock(f.mutex);
            f.Wrote(r.offset, r.done);
        }
        return !r.write && r.count && !r.done ? static_cast<DWORD>(ERROR_HANDLE_EOF)
                                              : ERROR_SUCCESS;
    }

    // A stream moves what it can; false while the transfer must wait for more.
    bool TransferStream(Request& r, DWORD* error)
    {
        *error = ERROR_SUCCESS;
        for (;;)
        {
            const ssize_t n = r.write ? ::write(r.file->fd, r.buffer + r.done, r.count - r.done)
                                      : ::read(r.file->fd, r.buffer + r.done, r.count - r.done);
            if (n < 0)
            {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    return false;
                *error = errno == EPIPE ? static_cast<DWORD>(ERROR_BROKEN_PIPE)
                                        : w32::Win32ErrorFromErrno(errno);
                return true;
            }
            if (n == 0 && r.count)
            {
                *error = ERROR_BROKEN_PIPE; // the other end is gone
                return true;
            }
            r.done += static_cast<size_t>(n);
            // A read completes with what arrived; a write when all is written.
            return !r.write || r.done == r.count;
        }
    }

    void Run()
    {
        // Writes to a pipe whose reader is gone fail with EPIPE, not a signal.
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        std::vector<std::shared_ptr<Request>> ready;
        std::vector<std::shared_ptr<Request>> streams;
        std::vector<std::shared_ptr<Request>> orphans;
        std::vector<pollfd> fds;
        for (;;)
        {
            ready.clear();
            streams.clear();
            orphans.clear();
            fds.clear();
            fds.push_back({wake_[0], POLLIN, 0});
            {
                std::lock_guard<std::mutex> lock(mutex_);
                std::map<const FileObject*, long> held;
                for (const auto& r : pending_)
                    ++held[r->file.get()];
                for (auto it = pending_.begin(); it != pending_.end();)
                {
                    const auto& r = *it;
                    // Only our requests hold the file: its handles are all closed.
                    if (r->file.use_count() <= held[r->file.get()])
                    {
                        orphans.push_back(r);
                        it = pending_.erase(it);
                        continue;
                    }
                    if (r->file->isRegular)
                    {
                        r->running = true;
                        ready.push_back(r);
                        it = pending_.erase(it);
                        continue;
                    }
                    // The descriptor is read here, under the lock: once the
                    // lock is released a cancel may complete the request and
                    // drop its file.
                    streams.push_back(r);
                    fds.push_back(
                        {r->file->fd, static_cast<short>(r->write ? POLLOUT : POLLIN), 0});
                    ++it;
                }
            }
            for (auto& r : orphans)
                Complete(*r, ERROR_OPERATION_ABORTED);
            for (auto& r : ready)
                Complete(*r, TransferFile(*r));
            if (poll(fds.data(), fds.size(), streams.empty() ? -1 : kOrphanCheckMs) < 0 &&
                errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(kOrphanCheckMs));
            char drain[64];
            while (::read(wake_[0], drain, sizeof drain) > 0)
            {
            }
            for (size_t i = 0; i < streams.size(); ++i)
            {
                if (!fds[i + 1].revents)
                    continue;
                std::shared_ptr<Request> r = streams[i];
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    const auto it = std::find(pending_.begin(), pending_.end(), r);
                    if (it == pending_.end())
                        continue; // cancelled meanwhile
                    r->running = true;
                }
                DWORD error = ERROR_SUCCESS;
                const bool finished = TransferStream(*r, &error);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    r->running = false;
                    if (finished)
                        pending_.remove(r);
                }
                if (finished)
                    Complete(*r, error);
            }
            // A SIGPIPE left pending by a failed write is taken here.
            struct timespec zero
            {
                0, 0
            };
            while (sigtimedwait(&set, nullptr, &zero) > 0)
            {
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable finished_;
    std::list<std::shared_ptr<Request>> pending_;
    int wake_[2] = {-1, -1};
};

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL StartEx(HANDLE hFile, bool write, void* buffer, DWORD count, LPOVERLAPPED overlapped,
             LPOVERLAPPED_COMPLETION_ROUTINE routine)
{
    DWORD access = 0;
    std::shared_ptr<FileObject> file = w32::FileFromHandle(hFile, &access);
    if (!file)
        return FALSE;
    const DWORD needed = write ? (FILE_WRITE_DATA | FILE_APPEND_DATA) : FILE_READ_DATA;
    if (!(access & needed))
        return Fail(ERROR_ACCESS_DENIED);
    if (!(file->flags & FILE_FLAG_OVERLAPPED))
        return Fail(ERROR_INVALID_PARAMETER);
    if (w32::StartOverlappedTransfer(file, write, buffer, count, overlapped, routine))
        return TRUE;
    if (GetLastError() != ERROR_IO_PENDING)
        return FALSE;
    SetLastError(ERROR_SUCCESS); // queued without a routine: the caller collects the result
    return TRUE;
}

} // namespace

namespace w32
{

BOOL StartOverlappedTransfer(const std::shared_ptr<FileObject>& file, bool write, void* buffer,
                             DWORD count, LPOVERLAPPED overlapped,
                             LPOVERLAPPED_COMPLETION_ROUTINE routine)
{
    if (!overlapped)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!buffer && count)
        return Fail(ERROR_NOACCESS);
    if (file->isDirectory)
        return Fail(ERROR_INVALID_FUNCTION);
    auto r = std::make_shared<Request>();
    r->file = file;
    r->write = write;
    r->buffer = static_cast<char*>(buffer);
    r->count = count;
    r->offset = static_cast<off_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) |
                                   overlapped->Offset);
    r->toEnd = write && (file->appendOnly || (overlapped->Offset == 0xFFFFFFFFu &&
                                              overlapped->OffsetHigh == 0xFFFFFFFFu));
    r->overlapped = overlapped;
    r->routine = routine;
    r->thread = ThisThreadQueue();
    if (!file->isRegular)
    {
        // The I/O thread waits for a stream with poll and must never block in it.
        const int flags = fcntl(file->fd, F_GETFL);
        if (flags >= 0 && !(flags & O_NONBLOCK))
            fcntl(file->fd, F_SETFL, flags | O_NONBLOCK);
    }
    overlapped->InternalHigh = 0;
    StoreStatus(overlapped, STATUS_PENDING);
    IoManager::Instance().Submit(std::move(r));
    if (routine)
    {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    return Fail(ERROR_IO_PENDING);
}

} // namespace w32

BOOL WINAPI ReadFileEx(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                       LPOVERLAPPED lpOverlapped,
                       LPOVERLAPPED_COMPLETION_ROUTINE lpCompletionRoutine)
{
    return StartEx(hFile, false, lpBuffer, nNumberOfBytesToRead, lpOverlapped, lpCompletionRoutine);
}

BOOL WINAPI WriteFileEx(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                        LPOVERLAPPED lpOverlapped,
                        LPOVERLAPPED_COMPLETION_ROUTINE lpCompletionRoutine)
{
    return StartEx(hFile, true, const_cast<void*>(lpBuffer), nNumberOfBytesToWrite, lpOverlapped,
                   lpCompletionRoutine);
}

BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                LPDWORD lpNumberOfBytesTransferred, BOOL bWait)
{
    if (!lpOverlapped || !lpNumberOfBytesTransferred)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!w32::FileFromHandle(hFile))
        return FALSE;
    if (LoadStatus(lpOverlapped) == STATUS_PENDING)
    {
        if (!bWait)
            return Fail(ERROR_IO_INCOMPLETE);
        IoManager::Instance().WaitFor(lpOverlapped);
    }
    const ULONG_PTR status = LoadStatus(lpOverlapped);
    *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
    if (status == kStatusSuccess)
        return TRUE;
    return Fail(ErrorFromStatus(status));
}

BOOL WINAPI CancelIo(HANDLE hFile)
{
    std::shared_ptr<FileObject> file = w32::FileFromHandle(hFile);
    if (!file)
        return FALSE;
    IoManager::Instance().Cancel(file.get(), ThisThreadQueue().get());
    return TRUE;
}

DWORD WINAPI SleepEx(DWORD dwMilliseconds, BOOL bAlertable)
{
    if (!bAlertable)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
        return 0;
    }
    if (RunApcs())
        return WAIT_IO_COMPLETION;
    ApcQueue& q = *ThisThreadQueue();
    {
        std::unique_lock<std::mutex> lock(q.mutex);
        const auto hasItems = [&q] { return !q.items.empty(); };
        if (dwMilliseconds == INFINITE)
            q.arrived.wait(lock, hasItems);
        else if (!q.arrived.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), hasItems))
            return 0;
    }
    RunApcs();
    return WAIT_IO_COMPLETION;
}

DWORD WINAPI WaitForSingleObjectEx(HANDLE hHandle, DWORD dwMilliseconds, BOOL bAlertable)
{
    std::shared_ptr<FileObject> file = w32::FileFromHandle(hHandle);
    if (!file)
        return WAIT_FAILED;
    const auto start = std::chrono::steady_clock::now();
    ApcQueue& q = *ThisThreadQueue();
    for (;;)
    {
        // A signalled object ends the wait before queued routines are looked
        // at; they stay queued for the next alertable wait.
        if (!IoManager::Instance().HasPending(file.get()))
            return WAIT_OBJECT_0;
        if (bAlertable && RunApcs())
            return WAIT_IO_COMPLETION;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        if (dwMilliseconds != INFINITE && static_cast<uint64_t>(elapsed.count()) >= dwMilliseconds)
            return WAIT_TIMEOUT;
        // Completions are looked for in short slices; routines wake the wait at once.
        auto slice = std::chrono::milliseconds(5);
        if (dwMilliseconds != INFINITE)
            slice = std::min(slice, std::chrono::milliseconds(dwMilliseconds) - elapsed);
        std::unique_lock<std::mutex> lock(q.mutex);
        q.arrived.wait_for(lock, slice,
                           [&q, bAlertable] { return bAlertable && !q.items.empty(); });
    }
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    return WaitForSingleObjectEx(hHandle, dwMilliseconds, FALSE);
}
