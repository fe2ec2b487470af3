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

int RealOpen(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}
int RealFcntlLock(int fd, int cmd, struct flock* lock)
{
    return ::fcntl(fd, cmd, lock);
}
int RealStat(const char* path, struct stat* st)
{
    return ::stat(path, st);
}
int RealFstat(int fd, struct stat* st)
{
    return ::fstat(fd, st);
}
int RealLstat(const char* path, struct stat* st)
{
    return ::lstat(path, st);
}
int RealStatx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* stx)
{
    return ::statx(dirfd, path, flags, mask, stx);
}
ssize_t RealGetxattr(const char* p, const char* n, void* v, size_t s)
{
    return ::getxattr(p, n, v, s);
}
int RealSetxattr(const char* p, const char* n, const void* v, size_t s, int f)
{
    return ::setxattr(p, n, v, s, f);
}
int RealRemovexattr(const char* p, const char* n)
{
    return ::removexattr(p, n);
}

const SysCallTable kDefault = {
    RealOpen,     ::close,      ::read,          ::write,       ::pread,     ::pwrite,
    ::lseek,      ::ftruncate,  ::truncate,      ::fsync,       RealFstat,   RealStat,
    RealStatx,    ::fchmod,     ::chmod,         RealFcntlLock, ::unlink,    ::mkdir,
    RealGetxattr, RealSetxattr, RealRemovexattr, ::futimens,    ::utimensat, ::clock_gettime,
    ::nanosleep,  RealLstat,    ::rename,        ::link,
};

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

#define W32_CALL(kind, call) (Intercept(SysCall::kind) ? -1 : g_table.call)

int open(const char* path, int flags, mode_t mode)
{
    return W32_CALL(Open, open(path, flags, mode));
}
int close(int fd)
{
    // The descriptor is released even when the fault reports an error, as close does.
    const bool fail = Intercept(SysCall::Close);
    const int err = errno;
    const int r = g_table.close(fd);
    if (fail)
    {
        errno = err;
        return -1;
    }
    return r;
}
ssize_t read(int fd, void* buf, size_t count)
{
    return Intercept(SysCall::Read, &count) ? -1 : g_table.read(fd, buf, count);
}
ssize_t write(int fd, const void* buf, size_t count)
{
    return Intercept(SysCall::Write, &count) ? -1 : g_table.write(fd, buf, count);
}
ssize_t pread(int fd, void* buf, size_t count, off_t offset)
{
    return Intercept(SysCall::Pread, &count) ? -1 : g_table.pread(fd, buf, count, offset);
}
ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset)
{
    return Intercept(SysCall::Pwrite, &count) ? -1 : g_table.pwrite(fd, buf, count, offset);
}
off_t lseek(int fd, off_t offset, int whence)
{
    return W32_CALL(Lseek, lseek(fd, offset, whence));
}
int ftruncate(int fd, off_t length)
{
    return W32_CALL(Ftruncate, ftruncate(fd, length));
}
int truncate(const char* path, off_t length)
{
    return W32_CALL(Truncate, truncate(path, length));
}
int fsync(int fd)
{
    return W32_CALL(Fsync, fsync(fd));
}
int fstat(int fd, struct stat* st)
{
    return W32_CALL(Fstat, fstat(fd, st));
}
int stat(const char* path, struct stat* st)
{
    return W32_CALL(Stat, stat(path, st));
}
int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* stx)
{
    return W32_CALL(Statx, statx(dirfd, path, flags, mask, stx));
}
int fchmod(int fd, mode_t mode)
{
    return W32_CALL(Fchmod, fchmod(fd, mode));
}
int chmod(const char* path, mode_t mode)
{
    return W32_CALL(Chmod, chmod(path, mode));
}
int fcntl_lock(int fd, int cmd, struct flock* lock)
{
    return W32_CALL(Fcntl, fcntl_lock(fd, cmd, lock));
}
int unlink(const char* path)
{
    return W32_CALL(Unlink, unlink(path));
}
int mkdir(const char* path, mode_t mode)
{
    return W32_CALL(Mkdir, mkdir(path, mode));
}
ssize_t getxattr(const char* path, const char* name, void* value, size_t size)
{
    return W32_CALL(Getxattr, getxattr(path, name, value, size));
}
int setxattr(const char* path, const char* name, const void* value, size_t size, int flags)
{
    return W32_CALL(Setxattr, setxattr(path, name, value, size, flags));
}
int removexattr(const char* path, const char* name)
{
    return W32_CALL(Removexattr, removexattr(path, name));
}
int futimens(int fd, const struct timespec times[2])
{
    return W32_CALL(Futimens, futimens(fd, times));
}
int utimensat(int dirfd, const char* path, const struct timespec times[2], int flags)
{
    return W32_CALL(Utimensat, utimensat(dirfd, path, times, flags));
}
int clock_gettime(clockid_t clock, struct timespec* ts)
{
    return W32_CALL(ClockGettime, clock_gettime(clock, ts));
}
int nanosleep(const struct timespec* request, struct timespec* remaining)
{
    return W32_CALL(Nanosleep, nanosleep(request, remaining));
}

int lstat(const char* path, struct stat* st)
{
    return W32_CALL(Lstat, lstat(path, st));
}
int rename(const char* from, const char* to)
{
    return W32_CALL(Rename, rename(from, to));
}
int link(const char* from, const char* to)
{
    return W32_CALL(Link, link(from, to));
}

#undef W32_CALL

} // namespace sys

} // namespace w32
