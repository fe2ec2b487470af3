#include "velmar/win32/FileTimes.h"

#include "velmar/win32/ErrorCodes.h"
#include "FileObject.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"
#include "velmar/win32/Time.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace
{

constexpr const char* kCreationXattr = "user.velmar.crtime";

struct timespec FromStatx(const struct statx_timestamp& t)
{
    struct timespec ts
    {
    };
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    return ts;
}

bool StoredCreationTime(const std::string& path, FILETIME& ft)
{
    char value[32];
    const ssize_t n = w32::sys::getxattr(path.c_str(), kCreationXattr, value, sizeof value - 1);
    if (n <= 0)
        return false;
    value[n] = '\0';
    char* end = nullptr;
    const unsigned long long v = std::strtoull(value, &end, 10);
    if (end == value)
        return false;
    ft = w32::FileTimeFromU64(v);
    return true;
}

bool Unchanged(const FILETIME* ft)
{
    return !ft || (ft->dwLowDateTime == 0 && ft->dwHighDateTime == 0) ||
           (ft->dwLowDateTime == 0xFFFFFFFFu && ft->dwHighDateTime == 0xFFFFFFFFu);
}

} // namespace

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime)
{
    auto file = w32::FileFromHandle(hFile);
    if (!file)
        return FALSE;
    struct statx stx
    {
    };
    if (w32::sys::statx(file->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    if (lpCreationTime)
    {
        if (!StoredCreationTime(file->path, *lpCreationTime))
        {
            struct statx_timestamp born = stx.stx_btime;
            if (!(stx.stx_mask & STATX_BTIME))
            {
                const bool changeFirst = stx.stx_ctime.tv_sec < stx.stx_mtime.tv_sec ||
                                         (stx.stx_ctime.tv_sec == stx.stx_mtime.tv_sec &&
                                          stx.stx_ctime.tv_nsec < stx.stx_mtime.tv_nsec);
                born = changeFirst ? stx.stx_ctime : stx.stx_mtime;
            }
            *lpCreationTime = w32::FileTimeFromTimespec(FromStatx(born));
        }
    }
    if (lpLastAccessTime)
        *lpLastAccessTime = w32::FileTimeFromTimespec(FromStatx(stx.stx_atime));
    if (lpLastWriteTime)
        *lpLastWriteTime = w32::FileTimeFromTimespec(FromStatx(stx.stx_mtime));
    return TRUE;
}

BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime,
                        const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime)
{
    DWORD access = 0;
    auto file = w32::FileFromHandle(hFile, &access);
    if (!file)
        return FALSE;
    if (!(access & FILE_WRITE_ATTRIBUTES))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    struct timespec times[2];
    times[0] = Unchanged(lpLastAccessTime) ? timespec{0, UTIME_OMIT}
                                           : w32::TimespecFromFileTime(*lpLastAccessTime);
    times[1] = Unchanged(lpLastWriteTime) ? timespec{0, UTIME_OMIT}
                                          : w32::TimespecFromFileTime(*lpLastWriteTime);
    if (times[0].tv_nsec != UTIME_OMIT || times[1].tv_nsec != UTIME_OMIT)
    {
        int r = w32::sys::futimens(file->fd, times);
        if (r != 0 && errno == EBADF) // a descriptor opened for attributes only
            r = w32::sys::utimensat(AT_FDCWD, file->path.c_str(), times, 0);
        if (r != 0)
        {
            w32::SetLastErrorFromErrno(errno);
            return FALSE;
        }
    }
    if (!Unchanged(lpCreationTime))
    {
        char value[32];
        const int n =
            std::snprintf(value, sizeof value, "%llu",
                          static_cast<unsigned long long>(w32::FileTimeToU64(*lpCreationTime)));
        if (w32::sys::setxattr(file->path.c_str(), kCreationXattr, value, static_cast<size_t>(n),
                               0) != 0 &&
            errno != ENOTSUP && errno != EOPNOTSUPP)
        {
            w32::SetLastErrorFromErrno(errno);
            return FALSE;
        }
    }
    return TRUE;
}
