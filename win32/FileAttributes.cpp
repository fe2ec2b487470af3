#include "velmar/win32/FileAttributes.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "Paths.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace w32
{

namespace
{

constexpr const char* kXattr = "user.DOSATTRIB";

bool Unsupported(int err)
{
    return err == ENOTSUP || err == EOPNOTSUPP || err == ENOSYS;
}

} // namespace

DWORD StoredAttributes(const std::string& path)
{
    char value[64];
    const ssize_t n = sys::getxattr(path.c_str(), kXattr, value, sizeof value - 1);
    if (n <= 2)
        return 0;
    value[n] = '\0';
    if (value[0] != '0' || (value[1] != 'x' && value[1] != 'X'))
        return 0; // another program's binary form: not ours to read
    return static_cast<DWORD>(std::strtoul(value + 2, nullptr, 16)) & kStoredAttributes;
}

DWORD StoreAttributes(const std::string& path, DWORD attributes)
{
    attributes &= kStoredAttributes;
    if (!attributes)
    {
        if (sys::removexattr(path.c_str(), kXattr) != 0 && errno != ENODATA && !Unsupported(errno))
            return SetLastErrorFromErrno(errno);
        return 0;
    }
    char value[32];
    const int n = std::snprintf(value, sizeof value, "0x%x", static_cast<unsigned>(attributes));
    if (sys::setxattr(path.c_str(), kXattr, value, static_cast<size_t>(n), 0) != 0)
    {
        if (Unsupported(errno))
        {
            SetLastError(ERROR_NOT_SUPPORTED);
            return ERROR_NOT_SUPPORTED;
        }
        return SetLastErrorFromErrno(errno);
    }
    return 0;
}

DWORD AttributesOfPath(const std::string& path)
{
    struct stat st;
    if (sys::stat(path.c_str(), &st) != 0)
    {
        SetLastErrorForPath(errno, path);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY | StoredAttributes(path);
    DWORD attributes = StoredAttributes(path);
    if ((st.st_mode & 0222) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (!S_ISREG(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DEVICE;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

namespace
{

BOOL SetAttributesOfPath(const std::string& path, DWORD attributes)
{
    struct stat st;
    if (sys::stat(path.c_str(), &st) != 0)
    {
        SetLastErrorForPath(errno, path);
        return FALSE;
    }
    if (DWORD err = StoreAttributes(path, attributes))
    {
        SetLastError(err);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode))
        return TRUE;
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(0222);
    else if ((mode & 0222) == 0)
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && sys::chmod(path.c_str(), mode) != 0)
    {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

} // namespace

} // namespace w32

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName)
{
    std::string path;
    return w32::PathFromAnsi(lpFileName, path) ? w32::AttributesOfPath(path)
                                               : INVALID_FILE_ATTRIBUTES;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName)
{
    std::string path;
    return w32::PathFromWide(lpFileName, path) ? w32::AttributesOfPath(path)
                                               : INVALID_FILE_ATTRIBUTES;
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes)
{
    std::string path;
    return w32::PathFromAnsi(lpFileName, path) ? w32::SetAttributesOfPath(path, dwFileAttributes)
                                               : FALSE;
}

BOOL WINAPI SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    std::string path;
    return w32::PathFromWide(lpFileName, path) ? w32::SetAttributesOfPath(path, dwFileAttributes)
                                               : FALSE;
}
