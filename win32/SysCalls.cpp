#include "SysCalls.h"

#include <atomic>
#include <cstdio>
#include <cerrno>
#include <mutex>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace w32
{

namespace
{

// A second descriptor for the same open file, not inherited by programs
// this process starts.
int DupCloseOnExec(int fd)
{
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

// The real calls, each behind a function of the table's exact type (open and
// fcntl are variadic).
#define W32_SYSCALL_DEFAULT(Kind, name, real, Result, params, args, style)                         \
    .name = [] params -> Result { return real args; },
const SysCallTable kDefault = {W32_SYSCALLS(W32_SYSCALL_DEFAULT)};
#undef W32_SYSCALL_DEFAULT

SysCallTable g_table = kDefault;

struct Fault
{
    SysCall kind;
    unsigned remaining;
    int err;
    bool shorten;
    size_t maxBytes;
};

std::mutex g_faultMutex;
std::vector<Fault> g_faults;
std::atomic<bool> g_faultsPending{false};
std::atomic<unsigned long> g_counts[static_cast<int>(SysCall::Count)];

// Counts the call and applies a due fault: true when the call must fail
// (errno set); a shortening fault lowers *count instead.
bool Intercept(SysCall kind, size_t* count = nullptr)
{
    g_counts[static_cast<int>(kind)].fetch_add(1, std::memory_order_relaxed);
    if (!g_faultsPending.load(std::memory_order_acquire))
        return false;
    std::lock_guard<std::mutex> lock(g_faultMutex);
    bool fail = false;
    int err = 0;
    for (auto it = g_faults.begin(); it != g_faults.end();)
    {
        if (it->kind == kind && --it->remaining == 0)
        {
            if (it->shorten)
            {
                if (count && *count > it->maxBytes)
                    *count = it->maxBytes;
            }
            else if (!fail)
            {
                fail = true;
                err = it->err;
            }
            it = g_faults.erase(it);
        }
        else
        {
            ++it;
        }
    }
    g_faultsPending.store(!g_faults.empty(), std::memory_order_release);
    if (fail)
        errno = err;
    return fail;
}

} // namespace

const SysCallTable& DefaultSysCalls()
{
    return kDefault;
}
void SetSysCalls(const SysCallTable& table)
{
    g_table = table;
}
void ResetSysCalls()
{
    g_table = kDefault;
}

void FailNthCall(SysCall kind, unsigned nth, int err)
{
    if (!nth)
        return;
    std::lock_guard<std::mutex> lock(g_faultMutex);
    g_faults.push_back({kind, nth, err, false, 0});
    g_faultsPending.store(true, std::memory_order_release);
}

void ShortenNthCall(SysCall kind, unsigned nth, size_t maxBytes)
{
    if (!nth)
        return;
    std::lock_guard<std::mutex> lock(g_faultMutex);
    g_faults.push_back({kind, nth, 0, true, maxBytes});
    g_faultsPending.store(true, std::memory_order_release);
}

void ClearInjectedFaults()
{
    std::lock_guard<std::mutex> lock(g_faultMutex);
    g_faults.clear();
    g_faultsPending.store(false, std::memory_order_release);
}

unsigned long SysCallCount(SysCall kind)
{
    return g_counts[static_cast<int>(kind)].load(std::memory_order_relaxed);
}

namespace sys
{

// What a fault does to a call of each style (see W32_SYSCALLS).
#define W32_SYSCALL_Plain(Kind, name, args)                                                        \
    return Intercept(SysCall::Kind) ? -1 : g_table.name args;
#define W32_SYSCALL_Sized(Kind, name, args)                                                        \
    return Intercept(SysCall::Kind, &count) ? -1 : g_table.name args;
#define W32_SYSCALL_Releasing(Kind, name, args)                                                    \
    const bool fail = Intercept(SysCall::Kind);                                                    \
    const int err = errno;                                                                         \
    const auto result = g_table.name args;                                                         \
    if (!fail)                                                                                     \
        return result;                                                                             \
    errno = err;                                                                                   \
    return -1;
#define W32_SYSCALL_ENTRY(Kind, name, real, Result, params, args, style)                           \
    Result name params                                                                             \
    {                                                                                              \
        W32_SYSCALL_##style(Kind, name, args)                                                      \
    }

W32_SYSCALLS(W32_SYSCALL_ENTRY)

#undef W32_SYSCALL_ENTRY
#undef W32_SYSCALL_Releasing
#undef W32_SYSCALL_Sized
#undef W32_SYSCALL_Plain

} // namespace sys

} // namespace w32
