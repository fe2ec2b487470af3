#include "velmar/win32/LastError.h"

#include "velmar/win32/ErrorCodes.h"

#include <cerrno>

namespace
{
thread_local DWORD t_lastError = 0;
thread_local int t_unmappedErrno = 0;
} // namespace

DWORD WINAPI GetLastError()
{
    return t_lastError;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}

namespace w32
{

DWORD Win32ErrorFromErrno(int err)
{
    switch (err)
    {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    case EIO:
        return ERROR_IO_DEVICE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
    case EOPNOTSUPP:
#endif
        return ERROR_NOT_SUPPORTED;
    case ENOSYS:
        return ERROR_CALL_NOT_IMPLEMENTED;
    case ESPIPE:
        return ERROR_SEEK_ON_DEVICE;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case ETIMEDOUT:
        return ERROR_SEM_TIMEOUT;
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EBUSY:
        return ERROR_BUSY;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return ERROR_LOCK_VIOLATION;
    case ESTALE:
        return ERROR_FILE_INVALID;
    case ENODEV:
    case ENXIO:
        return ERROR_DEV_NOT_EXIST;
    case EINTR:
    case ECANCELED:
        return ERROR_OPERATION_ABORTED;
    case EOVERFLOW:
        return ERROR_ARITHMETIC_OVERFLOW;
    case EFAULT:
        return ERROR_NOACCESS;
    case ERANGE:
        return ERROR_INSUFFICIENT_BUFFER;
    case ENOBUFS:
    case ENOLCK:
        return ERROR_NO_SYSTEM_RESOURCES;
    case EMLINK:
        return ERROR_TOO_MANY_LINKS;
    default:
        t_unmappedErrno = err;
        return ERROR_GEN_FAILURE;
    }
}

DWORD SetLastErrorFromErrno(int err)
{
    const DWORD code = Win32ErrorFromErrno(err);
    t_lastError = code;
    return code;
}

int LastUnmappedErrno()
{
    return t_unmappedErrno;
}

} // namespace w32
