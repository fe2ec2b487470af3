#pragma once
// Every system call of this layer goes through one replaceable table, so that
// tests can make the Nth call of a kind fail with a chosen errno (or transfer
// fewer bytes), the way a full disk or a failing device would.

#include <cstddef>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

struct statx;

namespace w32
{

// The calls, one row each:
//   X(Kind, name, real, result, (parameters), (arguments), style)
// Kind is the call's SysCall, name its slot in SysCallTable and its entry point
// in sys, real what the default table calls. style says what a fault does:
// Plain fails the call whole; Sized also lets it be shortened (its byte count
// is the parameter named count); Releasing still makes the real call, as close
// frees the descriptor even when it reports an error.
#define W32_SYSCALLS(X)                                                                            \
    X(Open, open, ::open, int, (const char* path, int flags, mode_t mode), (path, flags, mode),    \
      Plain)                                                                                       \
    X(Close, close, ::close, int, (int fd), (fd), Releasing)                                       \
    X(Read, read, ::read, ssize_t, (int fd, void* buf, size_t count), (fd, buf, count), Sized)     \
    X(Write, write, ::write, ssize_t, (int fd, const void* buf, size_t count), (fd, buf, count),   \
      Sized)                                                                                       \
    X(Pread, pread, ::pread, ssize_t, (int fd, void* buf, size_t count, off_t offset),             \
      (fd, buf, count, offset), Sized)                                                             \
    X(Pwrite, pwrite, ::pwrite, ssize_t, (int fd, const void* buf, size_t count, off_t offset),    \
      (fd, buf, count, offset), Sized)                                                             \
    X(Lseek, lseek, ::lseek, off_t, (int fd, off_t offset, int whence), (fd, offset, whence),      \
      Plain)                                                                                       \
    X(Ftruncate, ftruncate, ::ftruncate, int, (int fd, off_t length), (fd, length), Plain)         \
    X(Truncate, truncate, ::truncate, int, (const char* path, off_t length), (path, length),       \
      Plain)                                                                                       \
    X(Fsync, fsync, ::fsync, int, (int fd), (fd), Plain)                                           \
    X(Fdatasync, fdatasync, ::fdatasync, int, (int fd), (fd), Plain)                               \
    X(Dup, dup, DupCloseOnExec, int, (int fd), (fd), Plain)                                        \
    X(Fstat, fstat, ::fstat, int, (int fd, struct stat* st), (fd, st), Plain)                      \
    X(Stat, stat, ::stat, int, (const char* path, struct stat* st), (path, st), Plain)             \
    X(Statx, statx, ::statx, int,                                                                  \
      (int dirfd, const char* path, int flags, unsigned int mask, struct statx* stx),              \
      (dirfd, path, flags, mask, stx), Plain)                                                      \
    X(Fchmod, fchmod, ::fchmod, int, (int fd, mode_t mode), (fd, mode), Plain)                     \
    X(Chmod, chmod, ::chmod, int, (const char* path, mode_t mode), (path, mode), Plain)            \
    X(Chown, chown, ::chown, int, (const char* path, uid_t owner, gid_t group),                    \
      (path, owner, group), Plain)                                                                 \
    X(Fcntl, fcntl_lock, ::fcntl, int, (int fd, int cmd, struct flock* lock), (fd, cmd, lock),     \
      Plain)                                                                                       \
    X(Unlink, unlink, ::unlink, int, (const char* path), (path), Plain)                            \
    X(Mkdir, mkdir, ::mkdir, int, (const char* path, mode_t mode), (path, mode), Plain)            \
    X(Getxattr, getxattr, ::getxattr, ssize_t,                                                     \
      (const char* path, const char* name, void* value, size_t size), (path, name, value, size),   \
      Plain)                                                                                       \
    X(Setxattr, setxattr, ::setxattr, int,                                                         \
      (const char* path, const char* name, const void* value, size_t size, int flags),             \
      (path, name, value, size, flags), Plain)                                                     \
    X(Removexattr, removexattr, ::removexattr, int, (const char* path, const char* name),          \
      (path, name), Plain)                                                                         \
    X(Futimens, futimens, ::futimens, int, (int fd, const struct timespec times[2]), (fd, times),  \
      Plain)                                                                                       \
    X(Utimensat, utimensat, ::utimensat, int,                                                      \
      (int dirfd, const char* path, const struct timespec times[2], int flags),                    \
      (dirfd, path, times, flags), Plain)                                                          \
    X(ClockGettime, clock_gettime, ::clock_gettime, int, (clockid_t clock, struct timespec * ts),  \
      (clock, ts), Plain)                                                                          \
    X(Nanosleep, nanosleep, ::nanosleep, int,                                                      \
      (const struct timespec* request, struct timespec* remaining), (request, remaining), Plain)   \
    X(Lstat, lstat, ::lstat, int, (const char* path, struct stat* st), (path, st), Plain)          \
    X(Rename, rename, ::rename, int, (const char* from, const char* to), (from, to), Plain)        \
    X(Link, link, ::link, int, (const char* from, const char* to), (from, to), Plain)

#define W32_SYSCALL_KIND(Kind, name, real, Result, params, args, style) Kind,
enum class SysCall
{
    W32_SYSCALLS(W32_SYSCALL_KIND) Count
};
#undef W32_SYSCALL_KIND

#define W32_SYSCALL_SLOT(Kind, name, real, Result, params, args, style) Result(*name) params;
struct SysCallTable
{
    W32_SYSCALLS(W32_SYSCALL_SLOT)
};
#undef W32_SYSCALL_SLOT

// The table of the real calls.
const SysCallTable& DefaultSysCalls();
// Replaces the table; the layer calls through it from then on. Not to be
// done while other threads make calls.
void SetSysCalls(const SysCallTable& table);
void ResetSysCalls();

// The call of this kind that is nth from now (1 = the next) fails with err.
void FailNthCall(SysCall kind, unsigned nth, int err);
// The nth call from now of a read or write kind transfers at most maxBytes.
void ShortenNthCall(SysCall kind, unsigned nth, size_t maxBytes);
// Forgets every pending fault.
void ClearInjectedFaults();
// Calls of a kind made since the start (faulted ones included).
unsigned long SysCallCount(SysCall kind);

// The layer's entry points: faults first, then the table. errno as POSIX sets it.
#define W32_SYSCALL_ENTRY(Kind, name, real, Result, params, args, style) Result name params;
namespace sys
{
W32_SYSCALLS(W32_SYSCALL_ENTRY)
inline int open(const char* path, int flags)
{
    return open(path, flags, 0);
}
} // namespace sys
#undef W32_SYSCALL_ENTRY

} // namespace w32
