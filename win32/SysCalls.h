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

enum class SysCall
{
    Open,
    Close,
    Read,
    Write,
    Pread,
    Pwrite,
    Lseek,
    Ftruncate,
    Truncate,
    Fsync,
    Fstat,
    Stat,
    Statx,
    Fchmod,
    Chmod,
    Fcntl,
    Unlink,
    Mkdir,
    Getxattr,
    Setxattr,
    Removexattr,
    Futimens,
    Utimensat,
    ClockGettime,
    Nanosleep,
    Lstat,
    Rename,
    Link,
    Count
};

struct SysCallTable
{
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    ssize_t (*read)(int fd, void* buf, size_t count);
    ssize_t (*write)(int fd, const void* buf, size_t count);
    ssize_t (*pread)(int fd, void* buf, size_t count, off_t offset);
    ssize_t (*pwrite)(int fd, const void* buf, size_t count, off_t offset);
    off_t (*lseek)(int fd, off_t offset, int whence);
    int (*ftruncate)(int fd, off_t length);
    int (*truncate)(const char* path, off_t length);
    int (*fsync)(int fd);
    int (*fstat)(int fd, struct stat* st);
    int (*stat)(const char* path, struct stat* st);
    int (*statx)(int dirfd, const char* path, int flags, unsigned int mask, struct statx* stx);
    int (*fchmod)(int fd, mode_t mode);
    int (*chmod)(const char* path, mode_t mode);
    int (*fcntl_lock)(int fd, int cmd, struct flock* lock);
    int (*unlink)(const char* path);
    int (*mkdir)(const char* path, mode_t mode);
    ssize_t (*getxattr)(const char* path, const char* name, void* value, size_t size);
    int (*setxattr)(const char* path, const char* name, const void* value, size_t size, int flags);
    int (*removexattr)(const char* path, const char* name);
    int (*futimens)(int fd, const struct timespec times[2]);
    int (*utimensat)(int dirfd, const char* path, const struct timespec times[2], int flags);
    int (*clock_gettime)(clockid_t clock, struct timespec* ts);
    int (*nanosleep)(const struct timespec* request, struct timespec* remaining);
    int (*lstat)(const char* path, struct stat* st);
    int (*rename)(const char* from, const char* to);
    int (*link)(const char* from, const char* to);
};

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
namespace sys
{
int open(const char* path, int flags, mode_t mode = 0);
int close(int fd);
ssize_t read(int fd, void* buf, size_t count);
ssize_t write(int fd, const void* buf, size_t count);
ssize_t pread(int fd, void* buf, size_t count, off_t offset);
ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset);
off_t lseek(int fd, off_t offset, int whence);
int ftruncate(int fd, off_t length);
int truncate(const char* path, off_t length);
int fsync(int fd);
int fstat(int fd, struct stat* st);
int stat(const char* path, struct stat* st);
int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* stx);
int fchmod(int fd, mode_t mode);
int chmod(const char* path, mode_t mode);
int fcntl_lock(int fd, int cmd, struct flock* lock);
int unlink(const char* path);
int mkdir(const char* path, mode_t mode);
ssize_t getxattr(const char* path, const char* name, void* value, size_t size);
int setxattr(const char* path, const char* name, const void* value, size_t size, int flags);
int removexattr(const char* path, const char* name);
int futimens(int fd, const struct timespec times[2]);
int utimensat(int dirfd, const char* path, const struct timespec times[2], int flags);
int clock_gettime(clockid_t clock, struct timespec* ts);
int nanosleep(const struct timespec* request, struct timespec* remaining);
int lstat(const char* path, struct stat* st);
int rename(const char* from, const char* to);
int link(const char* from, const char* to);
} // namespace sys

} // namespace w32
