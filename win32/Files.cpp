#include "velmar/win32/Files.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/FileAttributes.h"
#include "FileObject.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Overlapped.h"
#include "Paths.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace w32
{

namespace
{

HANDLE Fail(DWORD code)
{
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

// Attributes given to a file being created or overwritten.
void ApplyCreationAttributes(const FileObject& file, DWORD attributes)
{
    StoreAttributes(file.path,
                    attributes & kStoredAttributes); // best effort, as on file systems without them
    if (attributes & FILE_ATTRIBUTE_READONLY)
    {
        struct stat st;
        if (sys::fstat(file.fd, &st) == 0)
            sys::fchmod(file.fd, st.st_mode & 07555);
    }
}

} // namespace

HANDLE CreateFileUtf8(const std::string& path, DWORD access, DWORD share,
                      LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flagsAndAttributes)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING || (share & ~7u))
        return Fail(ERROR_INVALID_PARAMETER);
    const DWORD flags = flagsAndAttributes & 0xFFF00000u;
    const DWORD attributes = flagsAndAttributes & 0x0000FFFFu;
    DWORD granted = MapGenericFileAccess(access);
    if (flags & FILE_FLAG_DELETE_ON_CLOSE)
        granted |= DELETE;
    if (disposition == TRUNCATE_EXISTING && !(granted & FILE_WRITE_DATA))
        return Fail(ERROR_INVALID_PARAMETER);

    const bool wantRead = granted & (FILE_READ_DATA | FILE_EXECUTE);
    const bool wantWrite = granted & (FILE_WRITE_DATA | FILE_APPEND_DATA);
    int oflags = O_CLOEXEC | (wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY);
    if (security && security->bInheritHandle)
        oflags &= ~O_CLOEXEC;
    if (flags & FILE_FLAG_WRITE_THROUGH)
        oflags |= O_DSYNC;
    const bool truncating = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;

    int fd = -1;
    bool existed = false;
    bool attributesOnly = false; // opened O_PATH: no data through this descriptor
    for (int attempt = 0; fd < 0; ++attempt)
    {
        if (attempt == 4)
            return Fail(ERROR_SHARING_VIOLATION); // the file keeps appearing and vanishing
        struct stat st;
        existed = sys::stat(path.c_str(), &st) == 0;
        if (!existed && errno != ENOENT)
        {
            SetLastErrorForPath(errno, path);
            return INVALID_HANDLE_VALUE;
        }
        if (existed)
        {
            if (disposition == CREATE_NEW)
                return Fail(ERROR_FILE_EXISTS);
            if (S_ISDIR(st.st_mode))
            {
                if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || truncating)
                    return Fail(ERROR_ACCESS_DENIED);
                // Write access is granted, as Windows grants it (adding
                // entries, setting attributes and times); no data goes
                // through the handle, and the descriptor of a folder only reads.
                oflags = (oflags & ~O_ACCMODE) | O_RDONLY | O_DIRECTORY;
            }
            else if ((st.st_mode & 0222) == 0 && (wantWrite || truncating))
            {
                return Fail(ERROR_ACCESS_DENIED); // read-only, whoever asks
            }
            // Replacing a hidden or system file must name those flags again,
            // so that a plain save does not silently strip them.
            if (disposition == CREATE_ALWAYS && !S_ISDIR(st.st_mode))
            {
                const DWORD kept =
                    StoredAttributes(path) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
                if (kept & ~attributes)
                    return Fail(ERROR_ACCESS_DENIED);
            }
            fd = sys::open(path.c_str(), oflags);
            if (fd < 0 && errno == EACCES && !wantRead && !wantWrite)
            {
                fd = sys::open(path.c_str(), O_PATH | O_CLOEXEC);
                attributesOnly = fd >= 0;
            }
            if (fd < 0 && errno != ENOENT)
            {
                SetLastErrorForPath(errno, path);
                return INVALID_HANDLE_VALUE;
            }
        }
        else
        {
            if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
            {
                SetLastErrorForPath(ENOENT, path);
                return INVALID_HANDLE_VALUE;
            }
            // A temporary file is its creator's alone until it takes the
            // place of another (ReplaceFile gives it that file's permissions).
            const mode_t mode = (attributes & FILE_ATTRIBUTE_TEMPORARY) ? 0600 : 0666;
            fd = sys::open(path.c_str(), oflags | O_CREAT | O_EXCL, mode);
            struct stat link;
            if (fd < 0 && errno == EEXIST && disposition != CREATE_NEW &&
                sys::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            {
                // A link to nothing: opening it creates the file it names.
                fd = sys::open(path.c_str(), oflags | O_CREAT, mode);
            }
            if (fd < 0 && errno != EEXIST)
            {
                SetLastErrorForPath(errno, path);
                return INVALID_HANDLE_VALUE;
            }
        }
    }

    auto file = std::make_shared<FileObject>();
    file->fd = fd; // owned from here: the object closes it on every path
    file->fdReadable = (oflags & O_ACCMODE) != O_WRONLY && !attributesOnly;
    file->fdWritable = (oflags & O_ACCMODE) != O_RDONLY && !attributesOnly;
    file->flags = flags;
    file->path = path;
    struct stat st;
    if (sys::fstat(fd, &st) != 0)
    {
        SetLastErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    file->isDirectory = S_ISDIR(st.st_mode);
    file->isRegular = S_ISREG(st.st_mode);
    file->appendOnly = !(granted & FILE_WRITE_DATA) && (granted & FILE_APPEND_DATA);
    const unsigned kinds = ShareKindsOfAccess(granted);
    if (DWORD err = file->shareLock.Acquire(st.st_dev, st.st_ino, kinds, share))
        return Fail(err);
    // Nobody else may write while this open lasts: length and read-ahead can be kept.
    if (file->isRegular && kinds && !(share & FILE_SHARE_WRITE) && !(flags & FILE_FLAG_OVERLAPPED))
        file->EnableCache();

    // Truncation waits for the share check: a file others may not write stays intact.
    if (existed && truncating && st.st_size != 0)
    {
        const int r = file->fdWritable ? sys::ftruncate(fd, 0) : sys::truncate(path.c_str(), 0);
        if (r != 0)
        {
            SetLastErrorFromErrno(errno);
            return INVALID_HANDLE_VALUE;
        }
    }
    if (!existed || disposition == CREATE_ALWAYS)
        ApplyCreationAttributes(*file, attributes);
    file->deleteOnClose = flags & FILE_FLAG_DELETE_ON_CLOSE;

    HANDLE handle = InsertHandle(file, granted);
    SetLastError(existed && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return handle;
}

} // namespace w32

using w32::FileFromHandle;
using w32::FileObject;

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE)
{
    std::string path;
    if (!w32::PathFromAnsi(lpFileName, path))
        return INVALID_HANDLE_VALUE;
    return w32::CreateFileUtf8(path, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                               dwCreationDisposition, dwFlagsAndAttributes);
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE)
{
    std::string path;
    if (!w32::PathFromWide(lpFileName, path))
        return INVALID_HANDLE_VALUE;
    return w32::CreateFileUtf8(path, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                               dwCreationDisposition, dwFlagsAndAttributes);
}

namespace
{

constexpr ULONG_PTR kStatusEndOfFile = 0xC0000011;

off_t OffsetOf(const OVERLAPPED* ov)
{
    return static_cast<off_t>((static_cast<std::uint64_t>(ov->OffsetHigh) << 32) | ov->Offset);
}

// The file of a handle that grants one of the rights in `needed`.
std::shared_ptr<FileObject> FileFor(HANDLE h, DWORD needed)
{
    DWORD access = 0;
    auto file = FileFromHandle(h, &access);
    if (file && !(access & needed))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

// Reports a synchronous transfer of done bytes from offset that ended with err
// (0 when it did not fail): the count, the file pointer, the OVERLAPPED's status.
BOOL EndTransfer(FileObject& file, off_t offset, size_t done, int err, LPDWORD transferred,
                 LPOVERLAPPED ov)
{
    if (transferred)
        *transferred = static_cast<DWORD>(done);
    if (file.isRegular)
        file.position = offset + static_cast<off_t>(done);
    if (ov)
    {
        ov->InternalHigh = done;
        ov->Internal = 0;
    }
    if (err)
    {
        w32::SetLastErrorFromErrno(err);
        if (ov)
            ov->Internal = GetLastError();
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    auto file = FileFor(hFile, FILE_READ_DATA);
    if (!file)
        return FALSE;
    if (!lpNumberOfBytesRead && !lpOverlapped)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (file->isDirectory)
    {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToRead)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const bool asyncHandle = file->flags & FILE_FLAG_OVERLAPPED;
    if (asyncHandle && !lpOverlapped)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (asyncHandle) // runs on the I/O thread: ERROR_IO_PENDING
        return w32::StartOverlappedTransfer(file, false, lpBuffer, nNumberOfBytesToRead,
                                            lpOverlapped, nullptr);
    char* p = static_cast<char*>(lpBuffer);
    std::lock_guard<std::mutex> lock(file->mutex);
    const bool positioned = lpOverlapped || file->isRegular;
    const off_t offset = lpOverlapped ? OffsetOf(lpOverlapped) : file->position;
    size_t done = 0;
    int err = 0;
    while (done < nNumberOfBytesToRead)
    {
        const size_t want = nNumberOfBytesToRead - done;
        const ssize_t r = positioned
                              ? file->ReadAt(p + done, want, offset + static_cast<off_t>(done))
                              : w32::sys::read(file->fd, p + done, want);
        if (r < 0)
        {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (r == 0)
            break;
        done += static_cast<size_t>(r);
        if (!file->isRegular)
            break; // a pipe or device answers with what it has
    }
    if (!EndTransfer(*file, offset, done, err, lpNumberOfBytesRead, lpOverlapped))
        return FALSE;
    if (lpOverlapped && done == 0 && nNumberOfBytesToRead)
    {
        // Reads at a given offset report the end; plain reads just return 0 bytes.
        lpOverlapped->Internal = kStatusEndOfFile;
        SetLastError(ERROR_HANDLE_EOF);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    auto file = FileFor(hFile, FILE_WRITE_DATA | FILE_APPEND_DATA);
    if (!file)
        return FALSE;
    if (!lpNumberOfBytesWritten && !lpOverlapped)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (file->isDirectory)
    {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToWrite)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const bool asyncHandle = file->flags & FILE_FLAG_OVERLAPPED;
    if (asyncHandle && !lpOverlapped)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (asyncHandle)
        return w32::StartOverlappedTransfer(file, true, const_cast<void*>(lpBuffer),
                                            nNumberOfBytesToWrite, lpOverlapped, nullptr);
    const char* p = static_cast<const char*>(lpBuffer);
    std::lock_guard<std::mutex> lock(file->mutex);
    const bool positioned = lpOverlapped || file->isRegular;
    off_t offset = lpOverlapped ? OffsetOf(lpOverlapped) : file->position;
    const bool toEnd = file->appendOnly || (lpOverlapped && lpOverlapped->Offset == 0xFFFFFFFFu &&
                                            lpOverlapped->OffsetHigh == 0xFFFFFFFFu);
    if (positioned && toEnd)
    {
        offset = file->Length();
        if (offset < 0)
        {
            w32::SetLastErrorFromErrno(errno);
            return FALSE;
        }
    }
    size_t done = 0;
    int err = 0;
    while (done < nNumberOfBytesToWrite)
    {
        const size_t want = nNumberOfBytesToWrite - done;
        const ssize_t r = positioned ? w32::sys::pwrite(file->fd, p + done, want,
                                                        offset + static_cast<off_t>(done))
                                     : w32::sys::write(file->fd, p + done, want);
        if (r < 0)
        {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (r == 0)
        {
            err = ENOSPC; // nothing more goes in
            break;
        }
        done += static_cast<size_t>(r);
    }
    if (positioned)
        file->Wrote(offset, done);
    if (file->isRegular)
        file->writeBehind.Wrote(file->fd, done);
    return EndTransfer(*file, offset, done, err, lpNumberOfBytesWritten, lpOverlapped);
}

namespace
{

// Moves the file pointer; a new position beyond `limit` is refused with
// ERROR_INVALID_PARAMETER and the pointer stays.
BOOL MovePointer(HANDLE hFile, LONGLONG distance, PLARGE_INTEGER lpNewFilePointer,
                 DWORD dwMoveMethod, LONGLONG limit)
{
    auto file = FileFromHandle(hFile);
    if (!file)
        return FALSE;
    if (dwMoveMethod > FILE_END)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(file->mutex);
    off_t base = 0;
    if (dwMoveMethod == FILE_END)
        base = file->isRegular ? file->Length() : w32::sys::lseek(file->fd, 0, SEEK_END);
    else if (dwMoveMethod == FILE_CURRENT)
        base = file->isRegular ? file->position : w32::sys::lseek(file->fd, 0, SEEK_CUR);
    if (base < 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    if ((distance > 0 && base > INT64_MAX - distance) || base + distance < 0)
    {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return FALSE;
    }
    const off_t target = base + distance;
    if (target > limit)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (file->isRegular)
        file->position = target;
    else if (w32::sys::lseek(file->fd, target, SEEK_SET) < 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    if (lpNewFilePointer)
        lpNewFilePointer->QuadPart = target;
    return TRUE;
}

} // namespace

BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                             PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod)
{
    return MovePointer(hFile, liDistanceToMove.QuadPart, lpNewFilePointer, dwMoveMethod, INT64_MAX);
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod)
{
    LARGE_INTEGER distance, position;
    if (lpDistanceToMoveHigh)
    {
        distance.u.LowPart = static_cast<DWORD>(lDistanceToMove);
        distance.u.HighPart = *lpDistanceToMoveHigh;
    }
    else
    {
        distance.QuadPart = lDistanceToMove; // sign-extended, as Windows reads the 32-bit form
    }
    // Without the high word a position past 4 GiB could not be told apart
    // from another: refused, as Windows does.
    if (!MovePointer(hFile, distance.QuadPart, &position, dwMoveMethod,
                     lpDistanceToMoveHigh ? INT64_MAX : 0xFFFFFFFFLL))
        return INVALID_SET_FILE_POINTER;
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = position.u.HighPart;
    if (position.u.LowPart == INVALID_SET_FILE_POINTER)
        SetLastError(ERROR_SUCCESS); // tells success apart from failure
    return position.u.LowPart;
}

BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize)
{
    auto file = FileFromHandle(hFile);
    if (!file)
        return FALSE;
    if (!lpFileSize)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(file->mutex);
    const off_t length = file->Length();
    if (length < 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    lpFileSize->QuadPart = length;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size))
        return INVALID_FILE_SIZE;
    if (lpFileSizeHigh)
        *lpFileSizeHigh = static_cast<DWORD>(size.u.HighPart);
    if (size.u.LowPart == INVALID_FILE_SIZE)
        SetLastError(ERROR_SUCCESS);
    return size.u.LowPart;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile)
{
    auto file = FileFor(hFile, FILE_WRITE_DATA);
    if (!file)
        return FALSE;
    std::lock_guard<std::mutex> lock(file->mutex);
    const off_t position =
        file->isRegular ? file->position : w32::sys::lseek(file->fd, 0, SEEK_CUR);
    if (position < 0 || w32::sys::ftruncate(file->fd, position) != 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    file->Truncated(position);
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    auto file = FileFor(hFile, FILE_WRITE_DATA | FILE_APPEND_DATA);
    if (!file)
        return FALSE;
    // The last flush behind the writer may still be under way: this fsync
    // goes on beside it, as it waits for the pages that one is writing out
    // as well, instead of after it. That flush may have met a failure this
    // fsync no longer sees (the kernel reports it once per open file).
    const int failed = w32::sys::fsync(file->fd) == 0 ? 0 : errno;
    const int behind = file->writeBehind.Settle();
    if (failed != 0)
    {
        w32::SetLastErrorFromErrno(failed);
        return FALSE;
    }
    if (behind != 0)
    {
        w32::SetLastErrorFromErrno(behind);
        return FALSE;
    }
    return TRUE;
}
