#include "ShareModes.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace w32
{

namespace
{

// Byte offsets in a lock file.
constexpr off_t kGuard = 0;
constexpr off_t kHolds = 1;  // +0 read, +1 write, +2 delete
constexpr off_t kDenies = 4; // +0 read, +1 write, +2 delete

int Lock(int fd, int cmd, short type, off_t start, off_t len)
{
    struct flock fl
    {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    for (;;)
    {
        const int r = sys::fcntl_lock(fd, cmd, &fl);
        if (r == 0 || errno != EINTR)
            return r;
    }
}

// 1 when another open file description holds a lock in the range, 0 when
// none does, -1 on error.
int Taken(int fd, off_t start, off_t len)
{
    struct flock fl
    {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    if (sys::fcntl_lock(fd, F_OFD_GETLK, &fl) != 0)
        return -1;
    return fl.l_type == F_UNLCK ? 0 : 1;
}

std::string TmpFallback()
{
    return "/tmp/velmar-share-" + std::to_string(static_cast<unsigned long>(::geteuid()));
}

// Creates the folder if needed. The shared /tmp fallback must also be a real
// folder of ours that nobody else can write, or another user could steer it.
bool Usable(const std::string& dir, bool strict)
{
    if (sys::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (sys::lstat(dir.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
    {
        errno = ENOTDIR;
        return false;
    }
    if (strict && (st.st_uid != ::geteuid() || (st.st_mode & 022)))
    {
        errno = EACCES;
        return false;
    }
    return true;
}

void RemoveIfUnused(int fd, const std::string& path);

// Removes the lock files nobody holds any more: those of processes that were
// killed, whose locks the kernel dropped but whose files no closer removed.
// A file is removed only with its guard held and no open registered, as a
// last closer removes it; one opened meanwhile is left for a fresh one.
void SweepUnheldLockFiles(const std::string& dir)
{
    DIR* folder = ::opendir(dir.c_str());
    if (folder == nullptr)
        return;
    constexpr int kMostEntries = 100000; // a bound on a folder filled by others
    int seen = 0;
    for (const dirent* e = ::readdir(folder); e != nullptr && seen < kMostEntries;
         e = ::readdir(folder), ++seen)
    {
        const std::string name = e->d_name;
        if (name.size() <= 5 || name.compare(name.size() - 5, 5, ".lock") != 0)
            continue;
        const std::string path = dir + "/" + name;
        const int fd = sys::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (Lock(fd, F_OFD_SETLK, F_WRLCK, kGuard, 1) == 0)
        {
            struct stat opened, named;
            if (sys::fstat(fd, &opened) == 0 && sys::stat(path.c_str(), &named) == 0 &&
                opened.st_ino == named.st_ino && opened.st_dev == named.st_dev)
                RemoveIfUnused(fd, path);
        }
        sys::close(fd);
    }
    ::closedir(folder);
}

std::mutex g_dirMutex;
std::string g_verifiedDir; // last folder found usable
std::set<std::string> g_sweptDirs;

// The folder to use now; checked again when `recheck` or when it changed.
bool LockDirectory(std::string& dir, bool recheck)
{
    const std::string wanted = ShareLockDirectory();
    std::lock_guard<std::mutex> lock(g_dirMutex);
    if (!recheck && g_verifiedDir == wanted)
    {
        dir = g_verifiedDir;
        return true;
    }
    if (Usable(wanted, wanted == TmpFallback()))
    {
        // Once per process and folder: what killed processes left behind.
        if (g_sweptDirs.insert(wanted).second)
            SweepUnheldLockFiles(wanted);
        g_verifiedDir = dir = wanted;
        return true;
    }
    // Not remembered: every process falls back the same way on every open.
    if (wanted != TmpFallback() && Usable(TmpFallback(), true))
    {
        dir = TmpFallback();
        return true;
    }
    return false;
}

// Opens the lock file of (dev, ino) and takes its guard. A file unlinked by
// a last closer between our open and our guard is left for a fresh one.
int OpenGuarded(dev_t dev, ino_t ino, std::string& path)
{
    char name[64];
    std::snprintf(name, sizeof name, "/%llx-%llx.lock", static_cast<unsigned long long>(dev),
                  static_cast<unsigned long long>(ino));
    std::string dir;
    if (!LockDirectory(dir, false))
        return -1;
    path = dir + name;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        int fd = sys::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno == ENOENT && attempt == 0)
        { // the folder went away: find one again
            if (!LockDirectory(dir, true))
                return -1;
            path = dir + name;
            fd = sys::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        }
        if (fd < 0)
            return -1;
        if (Lock(fd, F_OFD_SETLKW, F_WRLCK, kGuard, 1) != 0)
        {
            const int err = errno;
            sys::close(fd);
            errno = err;
            return -1;
        }
        struct stat opened, named;
        if (sys::fstat(fd, &opened) == 0 && sys::stat(path.c_str(), &named) == 0 &&
            opened.st_ino == named.st_ino && opened.st_dev == named.st_dev)
            return fd;
        sys::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

DWORD Conflict(int fd, unsigned kinds, DWORD share)
{
    for (unsigned k = 0; k < 3; ++k)
    {
        const unsigned bit = 1u << k;
        // Someone denies what we want, or holds what we deny.
        const int denied = (kinds & bit) ? Taken(fd, kDenies + k, 1) : 0;
        const int held = (share & bit) ? 0 : Taken(fd, kHolds + k, 1);
        if (denied < 0 || held < 0)
            return SetLastErrorFromErrno(errno);
        if (denied || held)
            return ERROR_SHARING_VIOLATION;
    }
    return 0;
}

// Unlinks the lock file when no open is registered in it any more. Called
// with the guard held.
void RemoveIfUnused(int fd, const std::string& path)
{
    if (Taken(fd, kHolds, 6) == 0)
        sys::unlink(path.c_str());
}

} // namespace

unsigned ShareKindsOfAccess(DWORD access)
{
    unsigned kinds = 0;
    if (access & (FILE_READ_DATA | FILE_EXECUTE))
        kinds |= kShareRead;
    if (access & (FILE_WRITE_DATA | FILE_APPEND_DATA))
        kinds |= kShareWrite;
    if (access & DELETE)
        kinds |= kShareDelete;
    return kinds;
}

std::string ShareLockDirectory()
{
    if (const char* dir = std::getenv("VELMAR_SHARE_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/velmar-share";
    return TmpFallback();
}

DWORD ShareLock::Acquire(dev_t dev, ino_t ino, unsigned kinds, DWORD share)
{
    Release();
    if (!kinds)
        return 0; // Windows checks sharing only for data access
    std::string path;
    const int fd = OpenGuarded(dev, ino, path);
    if (fd < 0)
        return SetLastErrorFromErrno(errno);
    DWORD result = Conflict(fd, kinds, share);
    if (result == 0)
    {
        for (unsigned k = 0; k < 3 && result == 0; ++k)
        {
            const unsigned bit = 1u << k;
            if (((kinds & bit) && Lock(fd, F_OFD_SETLK, F_RDLCK, kHolds + k, 1) != 0) ||
                (!(share & bit) && Lock(fd, F_OFD_SETLK, F_RDLCK, kDenies + k, 1) != 0))
                result = SetLastErrorFromErrno(errno);
        }
    }
    if (result != 0)
    {
        Lock(fd, F_OFD_SETLK, F_UNLCK, kHolds, 6);
        RemoveIfUnused(fd, path);
        sys::close(fd);
        return result;
    }
    Lock(fd, F_OFD_SETLK, F_UNLCK, kGuard, 1);
    fd_ = fd;
    path_ = std::move(path);
    return 0;
}

void ShareLock::Release()
{
    if (fd_ < 0)
        return;
    if (Lock(fd_, F_OFD_SETLKW, F_WRLCK, kGuard, 1) == 0)
    {
        Lock(fd_, F_OFD_SETLK, F_UNLCK, kHolds, 6);
        RemoveIfUnused(fd_, path_);
    }
    sys::close(fd_); // drops every lock of this description, guard included
    fd_ = -1;
    path_.clear();
}

DWORD CheckShareAccess(dev_t dev, ino_t ino, unsigned kinds, DWORD share)
{
    ShareLock probe;
    return probe.Acquire(dev, ino, kinds, share);
}

} // namespace w32
