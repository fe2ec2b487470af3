#include "velmar/win32/FileReplace.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/FileAttributes.h"
#include "velmar/win32/LastError.h"
#include "Paths.h"
#include "ShareModes.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr unsigned kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// 0, or the error of taking `st`'s file away while handles may hold it.
DWORD CheckDeletable(const struct stat& st)
{
    return w32::CheckShareAccess(st.st_dev, st.st_ino, w32::kShareDelete, kShareAll);
}

// A rename is durable only once its folder is flushed.
void FlushFolderOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const int fd = w32::sys::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    w32::sys::fsync(fd);
    w32::sys::close(fd);
}

BOOL RenameOver(const std::string& from, const std::string& to, bool writeThrough)
{
    if (w32::sys::rename(from.c_str(), to.c_str()) != 0)
    {
        if (errno == EXDEV)
            SetLastError(ERROR_NOT_SAME_DEVICE);
        else
            w32::SetLastErrorForPath(errno, to);
        return FALSE;
    }
    if (writeThrough)
        FlushFolderOf(to);
    return TRUE;
}

// Checks shared by both calls: the source exists and may go, the target (if
// any) is a plain writable file that may go. `targetExists` tells which.
// `targetInUse` is the error for a target held open without shared deletion;
// with `targetMayGo` false an existing target is only reported.
BOOL CheckPair(const std::string& from, const std::string& to, struct stat& fromSt,
               struct stat& toSt, bool& targetExists, DWORD targetInUse, bool targetMayGo = true)
{
    if (w32::sys::lstat(from.c_str(), &fromSt) != 0)
    {
        w32::SetLastErrorForPath(errno, from);
        return FALSE;
    }
    if (DWORD err = CheckDeletable(fromSt))
    {
        SetLastError(err);
        return FALSE;
    }
    targetExists = w32::sys::stat(to.c_str(), &toSt) == 0;
    if (!targetExists)
    {
        if (errno != ENOENT)
        {
            w32::SetLastErrorForPath(errno, to);
            return FALSE;
        }
        return TRUE;
    }
    if (!targetMayGo)
        return TRUE;
    if (S_ISDIR(toSt.st_mode) || (toSt.st_mode & 0222) == 0)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (DWORD err = CheckDeletable(toSt))
    {
        SetLastError(err == ERROR_SHARING_VIOLATION ? targetInUse : err);
        return FALSE;
    }
    return TRUE;
}

BOOL MovePath(const std::string& from, const std::string& to, DWORD flags)
{
    struct stat fromSt, toSt;
    bool targetExists = false;
    // Renaming over a file that is in use is refused as access denied.
    if (!CheckPair(from, to, fromSt, toSt, targetExists, ERROR_ACCESS_DENIED,
                   (flags & MOVEFILE_REPLACE_EXISTING) != 0))
        return FALSE;
    if (targetExists && !(flags & MOVEFILE_REPLACE_EXISTING))
    {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    return RenameOver(from, to, (flags & MOVEFILE_WRITE_THROUGH) != 0);
}

// Gives the backup name the replaced file's content while the replaced name
// keeps it too: a second link, renamed over any earlier backup. Where the file
// system has no links the replaced file itself moves; `movedAway` says so.
BOOL MakeBackup(const std::string& replaced, const struct stat& replacedSt,
                const std::string& replacementPath, const std::string& backup, bool& movedAway)
{
    movedAway = false;
    struct stat backupSt, replacementSt;
    if (w32::sys::stat(backup.c_str(), &backupSt) == 0)
    {
        const bool sameFile =
            (backupSt.st_dev == replacedSt.st_dev && backupSt.st_ino == replacedSt.st_ino) ||
            (w32::sys::stat(replacementPath.c_str(), &replacementSt) == 0 &&
             backupSt.st_dev == replacementSt.st_dev && backupSt.st_ino == replacementSt.st_ino);
        if (sameFile)
        {
            SetLastError(ERROR_INVALID_PARAMETER); // it would swallow one of the two
            return FALSE;
        }
        if (S_ISDIR(backupSt.st_mode) || (backupSt.st_mode & 0222) == 0 || CheckDeletable(backupSt))
        {
            SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
            return FALSE;
        }
    }
    const std::string::size_type slash = backup.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : backup.substr(0, slash + 1);
    for (unsigned attempt = 0; attempt < 100; ++attempt)
    {
        const std::string link =
            folder + ".velmar-backup-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        if (w32::sys::link(replaced.c_str(), link.c_str()) != 0)
        {
            if (errno == EEXIST)
                continue;
            if (errno == ENOENT || errno == ENOTDIR)
            {
                w32::SetLastErrorForPath(errno, backup); // no such folder
                return FALSE;
            }
            if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
                break;
            if (w32::sys::rename(replaced.c_str(), backup.c_str()) != 0)
                break;
            movedAway = true;
            return TRUE;
        }
        if (w32::sys::rename(link.c_str(), backup.c_str()) == 0)
            return TRUE;
        w32::sys::unlink(link.c_str());
        break;
    }
    SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return FALSE;
}

BOOL ReplacePath(const std::string& name, const std::string& replacement, const std::string* backup,
                 DWORD flags)
{
    // Through a symbolic link the file it points to is replaced and the link
    // stays; renaming over the link itself would turn it into a plain file.
    std::string replaced = name;
    struct stat linkSt;
    if (w32::sys::lstat(name.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode))
    {
        char* resolved = ::realpath(name.c_str(), nullptr);
        if (resolved == nullptr)
        {
            w32::SetLastErrorForPath(errno, name);
            return FALSE;
        }
        replaced = resolved;
        std::free(resolved);
    }
    struct stat replacementSt, replacedSt;
    bool targetExists = false;
    if (!CheckPair(replacement, replaced, replacementSt, replacedSt, targetExists,
                   ERROR_SHARING_VIOLATION))
        return FALSE;
    if (!targetExists)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // The new content takes the old file's place with its owner, group,
    // permissions and attributes. Owner and group go first: changing them
    // clears set-id bits, which the permissions then restore.
    if (replacementSt.st_uid != replacedSt.st_uid || replacementSt.st_gid != replacedSt.st_gid)
    {
        if (w32::sys::chown(replacement.c_str(), replacedSt.st_uid, replacedSt.st_gid) != 0)
        {
            // Only the superuser gives a file away; the group may still be ours to give.
            w32::sys::chown(replacement.c_str(), static_cast<uid_t>(-1), replacedSt.st_gid);
            if (!(flags & REPLACEFILE_IGNORE_MERGE_ERRORS))
            {
                SetLastError(ERROR_INVALID_OWNER);
                return FALSE;
            }
        }
    }
    if (w32::sys::chmod(replacement.c_str(), replacedSt.st_mode & 07777) != 0)
    {
        w32::SetLastErrorForPath(errno, replacement);
        return FALSE;
    }
    const DWORD attributes = w32::StoredAttributes(replaced);
    if (DWORD err = w32::StoreAttributes(replacement, attributes))
        if (err != ERROR_NOT_SUPPORTED || attributes != 0)
            return FALSE;
    bool movedAway = false;
    if (backup && !MakeBackup(replaced, replacedSt, replacement, *backup, movedAway))
        return FALSE;
    if (RenameOver(replacement, replaced, (flags & REPLACEFILE_WRITE_THROUGH) != 0))
        return TRUE;
    if (backup)
    {
        // The replaced file keeps its name: put it back if it had to move. If
        // that fails too, the caller must learn its data is under the backup name.
        if (movedAway && w32::sys::rename(backup->c_str(), replaced.c_str()) != 0)
        {
            SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
            return FALSE;
        }
        SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    }
    return FALSE;
}

} // namespace

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags)
{
    std::string from, to;
    if (!w32::PathFromAnsi(lpExistingFileName, from) || !w32::PathFromAnsi(lpNewFileName, to))
        return FALSE;
    return MovePath(from, to, dwFlags);
}

BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    std::string from, to;
    if (!w32::PathFromWide(lpExistingFileName, from) || !w32::PathFromWide(lpNewFileName, to))
        return FALSE;
    return MovePath(from, to, dwFlags);
}

BOOL WINAPI ReplaceFileA(LPCSTR lpReplacedFileName, LPCSTR lpReplacementFileName,
                         LPCSTR lpBackupFileName, DWORD dwReplaceFlags, LPVOID, LPVOID)
{
    std::string replaced, replacement, backup;
    if (!w32::PathFromAnsi(lpReplacedFileName, replaced) ||
        !w32::PathFromAnsi(lpReplacementFileName, replacement))
        return FALSE;
    if (lpBackupFileName && !w32::PathFromAnsi(lpBackupFileName, backup))
        return FALSE;
    return ReplacePath(replaced, replacement, lpBackupFileName ? &backup : nullptr, dwReplaceFlags);
}

BOOL WINAPI ReplaceFileW(LPCWSTR lpReplacedFileName, LPCWSTR lpReplacementFileName,
                         LPCWSTR lpBackupFileName, DWORD dwReplaceFlags, LPVOID, LPVOID)
{
    std::string replaced, replacement, backup;
    if (!w32::PathFromWide(lpReplacedFileName, replaced) ||
        !w32::PathFromWide(lpReplacementFileName, replacement))
        return FALSE;
    if (lpBackupFileName && !w32::PathFromWide(lpBackupFileName, backup))
        return FALSE;
    return ReplacePath(replaced, replacement, lpBackupFileName ? &backup : nullptr, dwReplaceFlags);
}
