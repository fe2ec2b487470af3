#include "velmar/win32/Files.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/FileAttributes.h"
#include "FileObject.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/WideText.h"
#include "Paths.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <sys/stat.h>
#include <vector>

namespace
{

BOOL DeletePath(const std::string& path)
{
    struct stat st;
    if (w32::sys::stat(path.c_str(), &st) != 0)
    {
        w32::SetLastErrorForPath(errno, path);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // Deleting opens for delete access and shares everything: it fails only
    // where an open handle refuses to share deletion.
    if (DWORD err = w32::CheckShareAccess(st.st_dev, st.st_ino, w32::kShareDelete,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    {
        SetLastError(err);
        return FALSE;
    }
    if (w32::sys::unlink(path.c_str()) != 0)
    {
        w32::SetLastErrorForPath(errno, path);
        return FALSE;
    }
    return TRUE;
}

// Closes both handles, keeping the last error of the failure being reported.
void CloseBoth(HANDLE a, HANDLE b)
{
    const DWORD err = GetLastError();
    if (a != INVALID_HANDLE_VALUE)
        CloseHandle(a);
    if (b != INVALID_HANDLE_VALUE)
        CloseHandle(b);
    SetLastError(err);
}

BOOL CopyPath(const std::string& from, const std::string& to, BOOL failIfExists)
{
    // Both ends share reading and writing: a copy needs only that the holders
    // of the source let it read and the holders of the destination let it write.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE source = w32::CreateFileUtf8(from, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0);
    if (source == INVALID_HANDLE_VALUE)
        return FALSE;
    const DWORD attributes = w32::AttributesOfPath(from);
    auto in = w32::FileFromHandle(source);
    struct stat fromStat, toStat;
    if (w32::sys::fstat(in->fd, &fromStat) == 0 && w32::sys::stat(to.c_str(), &toStat) == 0 &&
        fromStat.st_dev == toStat.st_dev && fromStat.st_ino == toStat.st_ino)
    {
        // Copying a file onto itself would empty it before reading it.
        SetLastError(failIfExists ? ERROR_FILE_EXISTS : ERROR_SHARING_VIOLATION);
        CloseBoth(source, INVALID_HANDLE_VALUE);
        return FALSE;
    }
    // Created with the source's hidden and system flags, so that a destination
    // carrying the same ones may be replaced and one carrying others may not.
    const DWORD createdWith =
        attributes == INVALID_FILE_ATTRIBUTES
            ? FILE_ATTRIBUTE_NORMAL
            : FILE_ATTRIBUTE_NORMAL |
                  (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    HANDLE target = w32::CreateFileUtf8(to, GENERIC_WRITE, share, nullptr,
                                        failIfExists ? CREATE_NEW : CREATE_ALWAYS, createdWith);
    if (target == INVALID_HANDLE_VALUE)
    {
        CloseBoth(source, target);
        return FALSE;
    }
    auto out = w32::FileFromHandle(target);

    std::vector<char> block(1 << 16);
    bool ok = true;
    for (;;)
    {
        DWORD n = 0;
        if (!ReadFile(source, block.data(), static_cast<DWORD>(block.size()), &n, nullptr))
        {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(target, block.data(), n, &written, nullptr))
        {
            ok = false;
            break;
        }
    }
    if (ok)
    {
        // The copy keeps the source's last-write time and attributes.
        struct stat st
        {
        };
        const bool haveStat = w32::sys::fstat(in->fd, &st) == 0;
        if (haveStat)
        {
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            w32::sys::futimens(out->fd, times);
        }
        if (attributes != INVALID_FILE_ATTRIBUTES)
        {
            w32::StoreAttributes(out->path, attributes);
            if ((attributes & FILE_ATTRIBUTE_READONLY) && haveStat)
                w32::sys::fchmod(out->fd, st.st_mode & 07555);
        }
    }
    else
    {
        out->deleteOnClose = true; // no partial copy stays behind
    }
    in.reset();
    out.reset();
    CloseBoth(source, target);
    return ok ? TRUE : FALSE;
}

} // namespace

BOOL WINAPI DeleteFileA(LPCSTR lpFileName)
{
    std::string path;
    return w32::PathFromAnsi(lpFileName, path) ? DeletePath(path) : FALSE;
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName)
{
    std::string path;
    return w32::PathFromWide(lpFileName, path) ? DeletePath(path) : FALSE;
}

DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    if (path.back() != '/')
        path += '/';
    const std::wstring wide = w32::WideFromUtf8(path);
    if (!lpBuffer || nBufferLength <= wide.size())
        return (DWORD)wide.size() + 1;
    wmemcpy(lpBuffer, wide.c_str(), wide.size() + 1);
    return (DWORD)wide.size();
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists)
{
    std::string from, to;
    if (!w32::PathFromAnsi(lpExistingFileName, from) || !w32::PathFromAnsi(lpNewFileName, to))
        return FALSE;
    return CopyPath(from, to, bFailIfExists);
}

BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists)
{
    std::string from, to;
    if (!w32::PathFromWide(lpExistingFileName, from) || !w32::PathFromWide(lpNewFileName, to))
        return FALSE;
    return CopyPath(from, to, bFailIfExists);
}
